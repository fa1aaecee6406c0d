#pragma once

#include <string>

namespace sorvik::lists {

// One line of a backup list: a source folder and the folder it is backed up to, exactly as the
// user entered them.
struct PathPair {
    std::string source;
    std::string backup;
    bool operator==(const PathPair&) const = default;
};

}  // namespace sorvik::lists
