#include "platform/text_file.h"

#include "platform/atomic_file.h"
#include "platform/code_page.h"
#include "platform/whole_file.h"

namespace sorvik::platform {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

}  // namespace

Result<std::vector<std::string>> readTextLines(const std::string& path) {
    Result<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        return bytes.error();
    }
    std::string_view view = *bytes;
    if (view.starts_with(kUtf8Mark)) {
        return splitLines(view.substr(kUtf8Mark.size()));
    }
    Result<std::string> text = fromCodePage932(view);
    if (!text) {
        return text.error();
    }
    return splitLines(*text);
}

std::string encodeTextLines(const std::vector<std::string>& lines) {
    const std::string text = joinLines(lines);
    Result<std::string> encoded = toCodePage932(text);
    if (encoded) {
        return std::move(encoded).value();
    }
    return std::string(kUtf8Mark) + text;
}

std::error_code writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
    return replaceFileContents(path, encodeTextLines(lines));
}

}  // namespace sorvik::platform
