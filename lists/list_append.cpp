#include "lists/list_append.h"

#include "lists/list_file.h"
#include "platform/atomic_file.h"
#include "platform/path_lookup.h"
#include "platform/whole_file.h"

namespace sorvik::lists {

namespace {

using Step = ListEditFailure::Step;

// The list's bytes as they stand; a list that is not there is empty.
platform::Result<std::string> listContents(const std::string& listPath) {
    const auto kind = platform::lookUp(listPath);
    if (!kind) {
        return kind.error();
    }
    if (*kind == platform::EntryKind::missing) {
        return std::string();
    }
    return platform::readWholeFile(listPath);
}

}  // namespace

std::string workCopyPath(const std::string& listPath) {
    return listPath + "-";
}

std::optional<ListEditFailure> appendPairToList(const std::string& listPath, const PathPair& pair) {
    const auto contents = listContents(listPath);
    if (!contents) {
        return ListEditFailure{Step::readList, listPath, contents.error()};
    }
    const std::string workCopy = workCopyPath(listPath);
    if (const std::error_code error = platform::replaceFileContents(workCopy, *contents)) {
        return ListEditFailure{Step::writeWorkCopy, workCopy, error};
    }
    auto pairs = readListFile(workCopy);
    if (!pairs) {
        // The copy holds the list's own bytes: they are what cannot be read.
        static_cast<void>(platform::removeFile(workCopy));
        return ListEditFailure{Step::readList, listPath, pairs.error()};
    }
    pairs->push_back(pair);
    if (const std::error_code error = writeListFile(listPath, *pairs)) {
        return ListEditFailure{Step::writeList, listPath, error};
    }
    if (const std::error_code error = platform::removeFile(workCopy)) {
        return ListEditFailure{Step::removeWorkCopy, workCopy, error};
    }
    return std::nullopt;
}

}  // namespace sorvik::lists
