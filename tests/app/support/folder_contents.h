#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/text_file.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {

inline QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The box text for a message and the line below it, as the window shows it.
inline QString boxText(std::string_view message, const std::string& line) {
    return qText(message) + QLatin1Char('\n') + qText(line);
}

// The box text for a message about a file, the path and the system's reason below it.
inline QString boxText(std::string_view message, const std::string& path, std::errc reason) {
    return boxText(message, path) + QLatin1Char('\n') +
           qText(std::make_error_code(reason).message());
}

// A folder "program" inside `temp`, for a window to keep its files in.
inline std::string makeProgramFolder(const TempFolder& temp) {
    const std::string folder = temp / "program";
    std::filesystem::create_directory(folder);
    return folder;
}

// The texts of a list's entries, in order.
inline QStringList itemTexts(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) {
        texts << list.item(i)->text();
    }
    return texts;
}

// Every entry below `root`, sorted: a folder as "name/", a file as "name=contents".
inline QStringList treeOf(const std::filesystem::path& root) {
    QStringList entries;
    std::error_code error;
    if (!std::filesystem::exists(root, error)) {
        return entries;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const QString relative =
            QString::fromStdString(entry.path().lexically_relative(root).string());
        if (entry.is_directory()) {
            entries << relative + QLatin1Char('/');
        } else {
            entries << relative + QLatin1Char('=') + QString::fromStdString(readFile(entry.path()));
        }
    }
    entries.sort();
    return entries;
}

// A text file's lines, decoded; one "<unreadable ...>" line when it cannot be read.
inline QStringList textLines(const std::string& path) {
    const auto lines = platform::readTextLines(path);
    if (!lines) {
        return {QStringLiteral("<unreadable: %1>")
                    .arg(QString::fromStdString(lines.error().message()))};
    }
    QStringList decoded;
    for (const std::string& line : *lines) {
        decoded << qText(line);
    }
    return decoded;
}

}  // namespace sorvik::test
