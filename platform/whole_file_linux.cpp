#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/unique_fd.h"
#include "platform/path_text.h"

namespace sorvik::platform {

Result<std::string> readWholeFile(const std::string& path) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const char* system = systemPath(path);
    if (system == nullptr) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    UniqueFd in(::open(system, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in) {
        return lastSystemError(errno);
    }
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) {
        return lastSystemError(errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got == 0) {
            return bytes;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastSystemError(errno);
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace sorvik::platform
