#pragma once

namespace sorvik::platform {

// True when the process's standard error is a terminal, where a progress line that rewrites
// itself is welcome; in a file or a pipe it would only be noise.
[[nodiscard]] bool standardErrorIsTerminal() noexcept;

}  // namespace sorvik::platform
