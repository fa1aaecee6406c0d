#include <QApplication>
#include <string>

#include "app/application_icon.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/standard_texts.h"
#include "app/window_texts.h"
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
    using sorvik::app::qText;
    sorvik::platform::keepRunningWhenWritesFail();
    choosePreferredWindowPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvik"));
    sorvik::app::useJapaneseStandardTexts(application);
    QApplication::setWindowIcon(sorvik::app::applicationIcon());
    // Lets the desktop match the window with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("sorvik"));

    auto programFolder = sorvik::platform::programFolder();
    sorvik::app::MainWindow window(programFolder ? *programFolder : std::string());
    if (programFolder) {
        window.start();
        window.show();
    } else {
        // Runs still work without it; only the lists, the settings and the error log have
        // nowhere to go.
        window.show();
        sorvik::app::tell(&window, qText(sorvik::app::text::kFileUnwritable) +
                                       QStringLiteral("\r\n") +
                                       qText(programFolder.error().message()));
    }
    return QApplication::exec();
}
