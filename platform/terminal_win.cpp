#include "platform/terminal.h"

#include <windows.h>

namespace sorvik::platform {

// The progress line rewrites itself with "\r" and "ESC [K": a console that does not take escape
// sequences (Windows before 10, or one whose owner refused) would show them as text, so it gets
// no progress line at all. The mode is left on for the console's later users, as cmd itself does.
bool standardErrorIsTerminal() noexcept {
    const HANDLE standardError = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (standardError == nullptr || standardError == INVALID_HANDLE_VALUE ||
        !::GetConsoleMode(standardError, &mode)) {
        return false;
    }
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           ::SetConsoleMode(standardError, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace sorvik::platform
