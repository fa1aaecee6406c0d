#include "engine/error_text.h"

#include "engine/messages.h"

namespace sorvik::engine {

void ErrorText::add(std::string_view label, std::string_view path) {
    text_ += label;
    text_ += text::kLineEnd;
    text_ += path;
    text_ += text::kLineEnd;
    ++stats_.errors;
    host_.errorRecorded(label, path);
}

std::vector<std::string> ErrorText::pieces() const {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text_.find(text::kLineEnd, start);
        if (end == std::string::npos) {
            result.emplace_back(text_.substr(start));
            return result;
        }
        result.emplace_back(text_.substr(start, end - start));
        start = end + text::kLineEnd.size();
    }
}

}  // namespace sorvik::engine
