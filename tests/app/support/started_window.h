#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "lists/settings_file.h"
#include "tests/app/support/folder_contents.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {

// The bytes of a list file whose lines end in a lone LF. The window reads such a file, but any
// save writes CR LF, so the bytes tell an untouched file from a rewritten one. Lines beyond ASCII
// make it UTF-8 with a byte-order mark.
inline std::string lfListBytes(const QStringList& lines) {
    std::string bytes;
    for (const QString& line : lines) {
        if (line.toStdString().size() != static_cast<std::size_t>(line.size())) {
            bytes = "\xEF\xBB\xBF";
        }
    }
    for (const QString& line : lines) {
        bytes += line.toStdString() + "\n";
    }
    return bytes;
}

// A file's bytes, or a marker when there is no file: a test then fails on the comparison instead
// of aborting on readFile's exception.
inline std::string fileBytes(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error) ? readFile(path) : std::string("<no file>");
}

// A window shown and started on a fresh program folder whose current list is `listName`, a file
// holding `listBytes` as they are.
struct StartedWindow {
    StartedWindow(std::string_view listName, const std::string& listBytes)
        : folder(makeProgramFolder(temp)), form(folder) {
        writeFile(path(listName), listBytes);
        lists::Settings settings;
        settings.listPath = path(listName);
        const bool written = !lists::writeSettingsFile(form.IniPath, settings);
        form.Form_Load();
        form.show();
        form.activateWindow();
        ready = written && QTest::qWaitForWindowActive(&form);
    }

    std::string path(std::string_view name) const { return folder + "/" + std::string(name); }
    QListWidget& column(int index) {
        return *form.findChild<QListWidget*>(QStringLiteral("FilPL_%1").arg(index));
    }
    QLineEdit& box(int index) {
        return *form.findChild<QLineEdit*>(QStringLiteral("FilP_%1").arg(index));
    }

    TempFolder temp;
    std::string folder;
    app::Form1 form;
    bool ready = false;
};

}  // namespace sorvik::test
