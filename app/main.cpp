#include <QApplication>
#include <string>

#include "app/application_icon.h"
#include "app/form1.h"
#include "engine/messages.h"
#include "platform/process_signals.h"
#include "platform/program_folder.h"
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

}  // namespace

int main(int argc, char** argv) {
    sorvik::platform::keepRunningWhenWritesFail();
    choosePreferredWindowPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvik"));
    QApplication::setWindowIcon(sorvik::app::applicationIcon());
    // Lets the desktop match the window with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("sorvik"));

    auto programFolder = sorvik::platform::programFolder();
    sorvik::app::Form1 form(programFolder ? *programFolder : std::string());
    if (programFolder) {
        form.Form_Load();
        form.show();
    } else {
        // Runs still work without it; only the lists, the settings and the error log have
        // nowhere to go.
        form.show();
        form.showMessage({std::string(sorvik::engine::text::kFileUnwritable),
                          {programFolder.error().message()},
                          {}});
    }
    return QApplication::exec();
}
