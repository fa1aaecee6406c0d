#pragma once

namespace sorvik::platform {

// True when the process's standard error is a terminal, where a progress line that rewrites
// itself is welcome; in a file or a pipe it would only be noise. On Windows only a console that
// takes escape sequences counts (the call turns them on where it can).
[[nodiscard]] bool standardErrorIsTerminal() noexcept;

}  // namespace sorvik::platform
