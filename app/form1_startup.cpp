// Start-up and shutdown: the program folder's files, the settings and the excluded extensions.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QInputDialog>
#include <QListWidget>
#include <QTimer>

#include "app/form1.h"
#include "app/qt_text.h"
#include "app/window_order.h"
#include "engine/messages.h"
#include "lists/extension_file.h"
#include "lists/list_file.h"
#include "lists/list_name.h"
#include "lists/settings_file.h"
#include "platform/path_lookup.h"

namespace sorvik::app {

namespace {

constexpr const char* kListNamePrompt = "バックアップリスト名を入力してください";

// Only an ordinary file counts: a folder or a FIFO under one of the program's names is no file.
bool isOrdinaryFile(const std::string& path) {
    const auto kind = platform::lookUp(path);
    return kind && *kind == platform::EntryKind::ordinaryFile;
}

}  // namespace

void Form1::setProgramPaths() {
    IniPath = programFilePath("sorvik01.ini");
    ExtIniPath = programFilePath("sorvik02.ini");
    ErrLogPath = programFilePath("ErrorLog.txt");
    AutoGoPath = programFilePath("Auto.go");
}

void Form1::Form_Load() {
    Loading = true;
    setProgramPaths();
    refreshFile2();
    testForAutomaticRun();
    restoreSettings();
    openCurrentList();
    restoreExcludedExtensions();
    Loading = false;
    if (FilPL_[0]->count() > 0) {
        selectPair(0);
    }
    if (std::exchange(closeRequested_, false)) {
        // Asked for while a start-up box was open: closing then would have saved half a start.
        QTimer::singleShot(0, this, &QWidget::close);
    }
    // The one place the program lets queued events run itself; it may already deliver the first
    // countdown tick.
    QCoreApplication::processEvents();
}

void Form1::testForAutomaticRun() {
    if (!isOrdinaryFile(AutoGoPath)) {
        AutoWait = kNoAutomaticRun;
        return;
    }
    AutoWait = 5;
    // Gone until the run has been done, so a start that crashes during the countdown is not
    // automatic again.
    static_cast<void>(platform::removeFile(AutoGoPath));
    move(0, 0);
    Form_Resize();
    Timer1_->start(firstTickInterval_);
}

void Form1::restoreSettings() {
    bool firstRun = !isOrdinaryFile(IniPath);
    if (!firstRun) {
        auto settings = lists::readSettingsFile(IniPath);
        if (!settings) {
            // Nothing of it can be trusted: start as on a first run, and say why.
            showText(messageWithPath(engine::text::kFileUnreadable, IniPath, settings.error()));
            firstRun = true;
        } else {
            ListPath = settings->listPath;
            mn2_[0]->setChecked(settings->placeholder);
            for (std::size_t i = 0; i < Check_.size(); ++i) {
                Check_[i]->setChecked((*settings)[lists::kOptionsInFileOrder[i]]);
            }
            FBefor();
        }
    }
    if (firstRun) {
        SetWindowOrder(*this, kTopmost);
    }
    // A list deleted in the last session leaves no current list: ask for one as on a first run.
    if (firstRun || ListPath.empty()) {
        while (!askForListName()) {
        }
    }
}

bool Form1::askForListName() {
    const std::string name = askName(QStringLiteral("ListNameInput"), kListNamePrompt);
    if (!lists::isProperListName(name)) {
        showText(qText(engine::text::kBadListName));
        return false;
    }
    ListPath = programFilePath(lists::listFileName(name));
    return true;
}

std::string Form1::askName(const QString& objectName, const char* prompt) {
    QInputDialog box(this);
    box.setObjectName(objectName);
    box.setWindowTitle(qText(engine::text::kApplicationTitle));
    box.setLabelText(QString::fromUtf8(prompt));
    box.setTextValue(QString());
    // A cancelled box answers with an empty name, as an empty answer does.
    return box.exec() == QDialog::Accepted ? stdText(box.textValue()) : std::string();
}

void Form1::openCurrentList() {
    // Only a list that is surely missing is created: one that cannot even be looked up may exist,
    // and loading it reports it and leaves it alone.
    const auto kind = platform::lookUp(ListPath);
    if (!kind || *kind != platform::EntryKind::missing) {
        FP1_Load();
        return;
    }
    if (const std::error_code error = lists::writeListFile(ListPath, {})) {
        reportUnwritable(ListPath, error);
    }
}

void Form1::restoreExcludedExtensions() {
    if (!isOrdinaryFile(ExtIniPath)) {
        return;
    }
    const auto entries = lists::readExtensionFile(ExtIniPath);
    if (!entries) {
        showText(messageWithPath(engine::text::kFileUnreadable, ExtIniPath, entries.error()));
        return;
    }
    for (const std::string& entry : *entries) {
        List1_->addItem(qText(entry));
    }
}

void Form1::FBefor() {
    SetWindowOrder(*this, Check_[static_cast<std::size_t>(lists::Option::alwaysOnTop)]->isChecked() ? kTopmost : kNotTopmost);
}

void Form1::Form_QueryUnload(bool& cancel) {
    if (AutoWait < 0) {
        saveSettings();
        return;
    }
    cancel = true;
    cancelAutomaticRun();
}

void Form1::saveSettings() {
    if (IniPath.empty()) {
        return;
    }
    lists::Settings settings;
    settings.listPath = ListPath;
    settings.placeholder = mn2_[0]->isChecked();
    for (std::size_t i = 0; i < Check_.size(); ++i) {
        settings[lists::kOptionsInFileOrder[i]] = Check_[i]->isChecked();
    }
    if (const std::error_code error = lists::writeSettingsFile(IniPath, settings)) {
        reportUnwritable(IniPath, error);
    }
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(List1_->count()));
    for (int i = 0; i < List1_->count(); ++i) {
        entries.push_back(stdText(List1_->item(i)->text()));
    }
    if (const std::error_code error = lists::writeExtensionFile(ExtIniPath, entries)) {
        reportUnwritable(ExtIniPath, error);
    }
}

}  // namespace sorvik::app
