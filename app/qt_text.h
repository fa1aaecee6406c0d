#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <system_error>

namespace sorvik::app {

// Texts and paths cross between the engine, the lists and the window as UTF-8 bytes. A path is
// decoded only to be shown; what is shown is never read back as the path.
inline QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string stdText(const QString& text) {
    return text.toStdString();
}

// A message followed by the path it is about, and the system's reason why, each on a line of its
// own: "could not be saved" alone leaves the user guessing between a full disk and a locked file.
inline QString messageWithPath(std::string_view message, std::string_view path,
                               std::error_code reason) {
    return qText(message) + QStringLiteral("\r\n") + qText(path) + QStringLiteral("\r\n") +
           qText(reason.message());
}

}  // namespace sorvik::app
