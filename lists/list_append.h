#pragma once

#include <optional>
#include <string>
#include <system_error>

#include "lists/path_pair.h"

namespace sorvik::lists {

// Why adding a pair to a list file failed, and at which file.
struct ListEditFailure {
    enum class Step {
        readList,        // the list file could not be read: nothing was written
        writeWorkCopy,   // the work copy could not be written: the list is untouched
        writeList,       // the new list could not be written: the old one is whole, the work copy
                         // is kept beside it
        removeWorkCopy,  // the new list is in place, but the work copy stayed behind
    };
    Step step;
    std::string path;
    std::error_code error;
};

// The work copy of a list file while a pair is added: the list's path followed by "-".
std::string workCopyPath(const std::string& listPath);

// Appends a pair to the end of the list file at `listPath`. The list is first copied to its work
// copy, the pairs are read back from that copy, and the list is replaced whole by them and the new
// pair; the work copy is removed only once the new list is in place. A list file that does not
// exist counts as an empty list. Returns nothing on success.
[[nodiscard]] std::optional<ListEditFailure> appendPairToList(const std::string& listPath, const PathPair& pair);

}  // namespace sorvik::lists
