#include "platform/terminal.h"

#include <unistd.h>

namespace sorvik::platform {

bool standardErrorIsTerminal() noexcept {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace sorvik::platform
