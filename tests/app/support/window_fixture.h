#pragma once

#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#endif

#include "app/automatic_run.h"
#include "app/folder_boxes.h"
#include "app/main_window.h"
#include "app/path_list_panel.h"
#include "app/run_controller.h"
#include "app/settings_panel.h"
#include "app/window_texts.h"
#include "engine/messages.h"
#include "frontend/program_files.h"
#include "lists/list_file.h"
#include "lists/settings_file.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {

namespace fs = std::filesystem;
using lists::PathPair;
using lists::Settings;

inline QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Folders on a drive, the drive a user picks for them and where the pick moves them.
struct DriveMove {
    QStringList before;
    const char* drive;
    QStringList after;
};
#ifdef _WIN32
// A pick replaces the drive letter.
inline const DriveMove kDriveMove{
    {"D:\\old\\data\\", "C:\\home"}, "E:", {"E:\\old\\data\\", "E:\\home"}};
#else
// A pick replaces the mount point the folder is on.
inline const DriveMove kDriveMove{
    {"/media/old/data/", "/home"}, "/media/usb", {"/media/usb/data/", "/media/usb"}};
#endif

// A message box's text: the message, then the path and the system's reason on lines of their own.
// Windows words a system call's failure in its own language, from the Windows error it gives
// there; Sorvik's own reasons read the same on both systems.
inline QString boxText(std::string_view message, const std::string& path, std::errc reason = {},
                       [[maybe_unused]] unsigned long windowsError = 0) {
    QString text = qText(message) + QLatin1Char('\n') + qText(path);
    if (reason == std::errc{}) {
        return text;
    }
#ifdef _WIN32
    if (windowsError != 0) {
        wchar_t* reasonText = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, windowsError, 0, reinterpret_cast<wchar_t*>(&reasonText), 0,
                       nullptr);
        text += '\n' + QString::fromWCharArray(reasonText).trimmed();
        LocalFree(reasonText);
        return text;
    }
#endif
    return text + '\n' + qText(std::make_error_code(reason).message());
}

// A file's bytes, or a marker when there is none, so a test fails on a comparison.
inline std::string fileBytes(const std::string& path) {
    std::error_code error;
    return fs::exists(pathOf(path), error) ? readFile(path) : std::string("<no file>");
}

// Every entry below `root`, sorted: a folder as "name/", a file as "name=contents".
inline QStringList treeOf(const std::string& root) {
    QStringList entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(pathOf(root), error);
         !error && it != decltype(it)(); ++it) {
        const std::u8string relative =
            it->path().lexically_relative(pathOf(root)).generic_u8string();
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(relative.data()),
                                               static_cast<qsizetype>(relative.size()));
        entries << (it->is_directory() ? name + '/'
                                       : name + '=' + qText(readFile(textOf(it->path()))));
    }
    entries.sort();
    return entries;
}

// The texts a view shows, top to bottom.
inline QStringList shownTexts(const QAbstractItemView& view) {
    QStringList texts;
    const int column = view.property("modelColumn").toInt();
    for (int row = 0; row < view.model()->rowCount(); ++row) {
        texts << view.model()->index(row, column).data().toString();
    }
    return texts;
}

// A program folder "program" in a temporary folder, with room for sources and backups beside it.
struct ProgramFolder {
    ProgramFolder() { fs::create_directory(pathOf(folder)); }

    std::string path(std::string_view name) const {
        return temp / ("program/" + std::string(name));
    }
    std::string outside(std::string_view relative) const { return temp / relative; }
    lists::PathPair pair(std::string_view source, std::string_view backup) const {
        return {outside(source), outside(backup)};
    }
    // Lays out "name=contents" files beside the program folder; a name without "=" is a folder.
    void lay(std::initializer_list<std::string_view> laid) const {
        for (const std::string_view file : laid) {
            const std::size_t split = file.find('=');
            split == std::string_view::npos
                ? void(fs::create_directories(pathOf(outside(file))))
                : writeFile(outside(file.substr(0, split)), file.substr(split + 1));
        }
    }
    // An earlier session: list `listName` holding `pairs` was current with `settings`.
    bool leaveSession(const std::vector<lists::PathPair>& pairs, lists::Settings settings = {},
                      std::string_view listName = "daily.lst") {
        settings.listPath = path(listName);
        return !lists::writeListFile(settings.listPath, pairs) &&
               !lists::writeSettingsFile(files.settings, settings);
    }

    TempFolder temp;
    std::string folder = temp / "program";
    frontend::ProgramFiles files = frontend::programFilesIn(folder);
};

// A window on a fresh program folder, not yet started.
struct WindowFixture : ProgramFolder {
    template <typename T = QWidget>
    T& find(const QString& name) {
        T* found = window.findChild<T*>(name);
        if (!found) {
            qFatal("no %s", qPrintable(name));
        }
        return *found;
    }
    QLineEdit& box(int column) {
        return find<QLineEdit>(column == 0 ? "sourceFolderBox" : "backupFolderBox");
    }
    QAbstractItemView& column(int index) {
        return find<QAbstractItemView>(index == 0 ? "sourceColumn" : "backupColumn");
    }
    // Starts and shows the window; true once it is on screen.
    bool start() {
        window.start();
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    app::MainWindow window{folder};
};

}  // namespace sorvik::test
