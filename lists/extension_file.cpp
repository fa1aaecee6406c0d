#include "lists/extension_file.h"

#include "lists/field_reader.h"
#include "platform/text_file.h"

namespace sorvik::lists {

platform::Result<std::vector<std::string>> readExtensionFile(const std::string& path) {
    auto lines = platform::readTextLines(path);
    if (!lines) {
        return lines.error();
    }
    std::vector<std::string> entries;
    for (const std::string& line : *lines) {
        if (line.empty()) {
            continue;  // a blank line left by an editor is no entry
        }
        for (std::string& field : readFields(line)) {
            entries.push_back(std::move(field));
        }
    }
    return entries;
}

std::error_code writeExtensionFile(const std::string& path,
                                   const std::vector<std::string>& entries) {
    return platform::writeTextLines(path, entries);
}

}  // namespace sorvik::lists
