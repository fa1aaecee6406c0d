#include "platform/working_folder.h"

#include <unistd.h>

#include <cerrno>
#include <memory>

namespace sorvik::platform {

Result<std::string> workingFolder() {
    // glibc allocates a buffer of the right size when given none.
    const std::unique_ptr<char, decltype(&::free)> path(::getcwd(nullptr, 0), &::free);
    if (!path) {
        return std::error_code(errno, std::generic_category());
    }
    return std::string(path.get());
}

}  // namespace sorvik::platform
