#include "platform/drive_path.h"

#include "platform/separator.h"

namespace sorvik::platform {

#ifdef _WIN32

std::string pathOnDrive(std::string_view path, std::string_view drive) {
    std::string moved(drive);
    if (path.size() > 2) {
        moved.append(path.substr(2));
    }
    return moved;
}

#else

namespace {

std::size_t skipSeparators(std::string_view path, std::size_t at) {
    while (at < path.size() && path[at] == kSeparator) {
        ++at;
    }
    return at;
}

std::size_t componentCount(std::string_view path) {
    std::size_t count = 0;
    for (std::size_t at = skipSeparators(path, 0); at < path.size();
         at = skipSeparators(path, at)) {
        ++count;
        while (at < path.size() && path[at] != kSeparator) {
            ++at;
        }
    }
    return count;
}

}  // namespace

std::string pathOnDrive(std::string_view path, std::string_view drive) {
    const std::size_t dropped = componentCount(drive);
    std::size_t at = skipSeparators(path, 0);
    for (std::size_t i = 0; i < dropped; ++i) {
        if (at == path.size()) {
            return std::string(drive);  // fewer components than the mount point
        }
        while (at < path.size() && path[at] != kSeparator) {
            ++at;
        }
        if (i + 1 < dropped) {
            at = skipSeparators(path, at);
        }
    }
    // What follows the dropped components: nothing, separators only (a folder path's trailing
    // "/"), or the rest of the path.
    const std::string_view rest = path.substr(skipSeparators(path, at));
    const bool anythingFollows = at < path.size();
    std::string moved(drive);
    if (!anythingFollows) {
        return moved;
    }
    if (!endsWithSeparator(moved)) {
        moved.push_back(kSeparator);
    }
    moved.append(rest);
    return moved;
}

#endif

}  // namespace sorvik::platform
