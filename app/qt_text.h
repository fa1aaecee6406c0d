#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace sorvik::app {

// Texts cross between the engine and the window as UTF-8 bytes.
inline QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string stdText(const QString& text) {
    return text.toStdString();
}

// A message followed by the path it is about, on a line of its own.
inline QString messageWithPath(std::string_view message, std::string_view path) {
    return qText(message) + QStringLiteral("\r\n") + qText(path);
}

}  // namespace sorvik::app
