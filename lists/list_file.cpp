#include "lists/list_file.h"

#include <utility>

#include "platform/path_lookup.h"
#include "platform/text_file.h"

namespace sorvik::lists {

platform::Result<std::vector<PathPair>> readListFile(const std::string& path) {
    const platform::Result<platform::EntryKind> kind = platform::lookUp(path);
    if (!kind) {
        return kind.error();
    }
    // Looked up before opening: opening a FIFO would wait for a writer that never comes.
    if (*kind != platform::EntryKind::ordinaryFile) {
        return std::vector<PathPair>{};
    }
    platform::Result<std::vector<std::string>> read = platform::readTextLines(path);
    if (!read) {
        return read.error();
    }
    std::vector<std::string>& lines = *read;
    if (lines.size() % 2 != 0) {
        if (lines.back().empty()) {
            lines.pop_back();
        } else {
            lines.emplace_back();
        }
    }
    std::vector<PathPair> pairs;
    pairs.reserve(lines.size() / 2);
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        pairs.push_back({std::move(lines[i]), std::move(lines[i + 1])});
    }
    return pairs;
}

std::error_code writeListFile(const std::string& path, const std::vector<PathPair>& pairs) {
    std::vector<std::string> lines;
    lines.reserve(pairs.size() * 2);
    for (const PathPair& pair : pairs) {
        lines.push_back(pair.source);
        lines.push_back(pair.backup);
    }
    return platform::writeTextLines(path, lines);
}

}  // namespace sorvik::lists
