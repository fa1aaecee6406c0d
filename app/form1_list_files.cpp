// The list files in the program folder: switching the current list, creating a new one and
// deleting one.
#include <QAction>
#include <QListWidget>
#include <QMenu>

#include "app/form1.h"
#include "app/list_rows.h"
#include "app/qt_text.h"
#include "engine/messages.h"
#include "lists/list_name.h"
#include "platform/path_lookup.h"
#include "platform/separator.h"

namespace sorvik::app {

namespace {

constexpr const char* kNewListNamePrompt = "新規ファイルリスト名を入力してください";

}  // namespace

std::string Form1::programFilePath(const std::string& name) const {
    // Without a program folder a list would land in the root folder: no list rather than that.
    return programFolder_.empty() ? std::string() : programFolder_ + platform::kSeparator + name;
}

void Form1::File2_Click() {
    const int row = selectedRow(*File2_);
    if (row >= 0) {
        switchList(programFilePath(stdText(textAt(*File2_, row))));
    }
}

void Form1::mn4_Click(int index) {
    // The file name the menu shows, used as it is; a caption left from an earlier state of the
    // folder names a list that is empty until it is saved.
    const QString name = mn4_[static_cast<std::size_t>(index)]->data().toString();
    switchList(programFilePath(stdText(name)));
}

void Form1::switchList(const std::string& path) {
    if (FP1_Save()) {
        return;  // the user has been told; the unsaved pairs stay on screen
    }
    ListPath = path;
    FP1_Load();
}

void Form1::File2_MouseDown(Qt::MouseButton button, const QPoint& globalPosition) {
    if (button == Qt::RightButton) {
        mn0Menus_[3]->popup(globalPosition);
    }
}

void Form1::mn3_Click(int index) {
    if (index == 0) {
        createList();
    } else if (index == 1) {
        deleteSelectedListFile();
    }
    refreshFile2();
}

void Form1::createList() {
    if (FP1_Save()) {
        return;
    }
    const std::string name = askName(QStringLiteral("NewListNameInput"), kNewListNamePrompt);
    if (name.empty()) {
        return;
    }
    if (!lists::isProperListName(name)) {
        showText(qText(engine::text::kBadListName));
        return;
    }
    // An existing list of that name is loaded and written back as it is, not emptied.
    ListPath = programFilePath(lists::listFileName(name));
    FP1_Load();
    static_cast<void>(FP1_Save());
}

void Form1::deleteSelectedListFile() {
    const int row = selectedRow(*File2_);
    if (row < 0) {
        return;
    }
    const std::string path = programFilePath(stdText(textAt(*File2_, row)));
    const std::error_code error = platform::removeFile(path);
    if (error && error != std::errc::no_such_file_or_directory) {
        // Nothing was deleted, so the current list stays current.
        showText(messageWithPath(engine::text::kFileNotDeleted, path, error));
        return;
    }
    // The columns keep their pairs, but no file backs them now, and no later save may bring the
    // deleted list back.
    ListPath.clear();
}

}  // namespace sorvik::app
