#include "lists/list_folder.h"

#include <string_view>
#include <utility>

#include "platform/folder.h"
#include "platform/name_order.h"

namespace sorvik::lists {
namespace {

constexpr std::string_view kListExtension = ".lst";

bool isListName(std::string_view name) {
    return name.size() >= kListExtension.size() &&
           platform::equalIgnoringCase(name.substr(name.size() - kListExtension.size()),
                                       kListExtension);
}

}  // namespace

platform::Result<std::vector<std::string>> listFileNames(const std::string& folder) {
    const platform::Result<platform::Folder> opened = platform::Folder::open(folder);
    if (!opened) {
        return opened.error();
    }
    // Already in the order the window shows; filtering keeps it.
    platform::Result<std::vector<std::string>> files = opened->ordinaryFiles();
    if (!files) {
        return files.error();
    }
    std::vector<std::string> names = std::move(files).value();
    std::erase_if(names, [](const std::string& name) { return !isListName(name); });
    return names;
}

}  // namespace sorvik::lists
