#include "tests/support/tree_snapshot.h"

#include <sys/stat.h>

#include "tests/support/temp_folder.h"

namespace sorvik::test {

std::map<std::string, std::string> snapshotTree(const std::filesystem::path& root,
                                                const std::filesystem::path& skipped) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const fs::directory_entry& entry = *it;
        if (!skipped.empty() && entry.path() == skipped) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        std::string& facts = entries[entry.path().lexically_relative(root).string()];
        facts = std::to_string(st.st_mode);
        if (S_ISREG(st.st_mode)) {
            facts += " " + std::to_string(st.st_ino) + " " +
                     std::to_string(modifiedTimeNs(entry.path())) + " " + readFile(entry.path());
        } else if (S_ISLNK(st.st_mode)) {
            facts += " -> " + fs::read_symlink(entry.path()).string();
        }
    }
    return entries;
}

}  // namespace sorvik::test
