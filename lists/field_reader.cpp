#include "lists/field_reader.h"

namespace sorvik::lists {

std::vector<std::string> readFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (true) {
        while (at < line.size() && line[at] == ' ') {
            ++at;
        }
        std::size_t end = 0;
        if (at < line.size() && line[at] == '"') {
            const std::size_t closing = line.find('"', at + 1);
            const std::size_t textEnd = closing == std::string_view::npos ? line.size() : closing;
            fields.emplace_back(line.substr(at + 1, textEnd - at - 1));
            end = line.find(',', textEnd);
        } else {
            end = line.find(',', at);
            fields.emplace_back(line.substr(at, end == std::string_view::npos ? end : end - at));
        }
        if (end == std::string_view::npos) {
            return fields;
        }
        at = end + 1;
    }
}

}  // namespace sorvik::lists
