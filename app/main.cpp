#include <QApplication>
#include <QCheckBox>
#include <string>

#include "app/application_icon.h"
#include "app/form1.h"
#include "app/window_order.h"
#include "engine/messages.h"
#include "platform/path_lookup.h"
#include "platform/program_folder.h"
#include "platform/separator.h"
#include "platform/window_system.h"

namespace {

void choosePreferredWindowPlatform() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        return;
    }
    if (const char* platform = sorvik::platform::preferredWindowPlatform()) {
        qputenv("QT_QPA_PLATFORM", platform);
    }
}

// Opens the default list of the program folder, when there is one, with its first pair selected.
void openDefaultList(sorvik::app::Form1& form) {
    form.ListPath = form.programFolder() + sorvik::platform::kSeparator + "Default.lst";
    const auto kind = sorvik::platform::lookUp(form.ListPath);
    if (kind && *kind == sorvik::platform::EntryKind::ordinaryFile) {
        form.FP1_Load();
    }
    form.selectPair(0);
}

}  // namespace

int main(int argc, char** argv) {
    choosePreferredWindowPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvik"));
    QApplication::setWindowIcon(sorvik::app::applicationIcon());

    auto programFolder = sorvik::platform::programFolder();
    sorvik::app::Form1 form(programFolder ? *programFolder : std::string());
    form.show();
    if (!programFolder) {
        // Runs still work without it; only the lists and the error log have nowhere to go.
        form.showMessage({std::string(sorvik::engine::text::kFileUnwritable),
                          {programFolder.error().message()},
                          {}});
    } else {
        openDefaultList(form);
    }
    sorvik::app::SetWindowOrder(form, form.findChild<QCheckBox*>("Check_0")->isChecked()
                                          ? sorvik::app::kTopmost
                                          : sorvik::app::kNotTopmost);
    return QApplication::exec();
}
