// Backs up one pair through the window, the way a click on the backup button does, so that a
// window run can be timed against `sorvik-cli run` on the same tree. The window is created on
// the offscreen platform unless another is asked for, with no rule switched on (as the command
// line without options). Exit status: 0 without errors, 1 when the run showed any message.
//
//   sorvik-window-run SOURCE BACKUP
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_window.h"

namespace {

// The run's own error log and lock live in a throwaway program folder.
std::string newProgramFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvik-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    return pattern;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE BACKUP\n", argv[0]);
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const std::string programFolder = newProgramFolder();
    sorvik::app::MainWindow window(programFolder);
    window.show();
    for (const char* rule :
         {"skipExcludedExtensionsBox", "onlyWhenLargerBox", "onlyWhenNewerBox"}) {
        window.findChild<QCheckBox*>(rule)->setChecked(false);
    }
    window.findChild<QLineEdit*>("sourceFolderBox")->setText(QString::fromLocal8Bit(argv[1]));
    window.findChild<QLineEdit*>("backupFolderBox")->setText(QString::fromLocal8Bit(argv[2]));

    int messages = 0;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&messages] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "%s\n", qPrintable(box->text()));
            ++messages;
            box->done(QMessageBox::Ok);
        }
    });
    answerer.start(20);
    window.findChild<QPushButton*>("backUpButton")->click();

    std::filesystem::remove_all(programFolder);
    return messages == 0 ? 0 : 1;
}
