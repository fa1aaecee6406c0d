#include "platform/text_file.h"

#include "platform/atomic_file.h"
#include "platform/code_page.h"
#include "platform/whole_file.h"

namespace sorvik::platform {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

std::vector<std::string> splitAtCrLf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find(kLineEnd); end != std::string_view::npos;
         end = text.find(kLineEnd, start)) {
        lines.emplace_back(text.substr(start, end - start));
        start = end + kLineEnd.size();
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

// Sorvik ends every line it writes with CR LF, so in a file that holds one only CR LF ends a line,
// and a name holding a lone LF or CR comes back whole. A file without any CR LF was written by
// hand elsewhere: there a lone LF or a lone CR ends a line.
std::vector<std::string> splitLines(std::string_view text) {
    if (text.find(kLineEnd) != std::string_view::npos) {
        return splitAtCrLf(text);
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
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

Result<std::string> encodeTextLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.find(kLineEnd) != std::string::npos) {
            // It would read back as two lines and shift every line after it.
            return std::make_error_code(std::errc::invalid_argument);
        }
    }
    const std::string text = joinLines(lines);
    Result<std::string> encoded = toCodePage932(text);
    if (encoded) {
        return encoded;
    }
    return std::string(kUtf8Mark) + text;
}

std::error_code writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
    const Result<std::string> bytes = encodeTextLines(lines);
    if (!bytes) {
        return bytes.error();
    }
    return replaceFileContents(path, *bytes);
}

}  // namespace sorvik::platform
