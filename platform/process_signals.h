#pragma once

namespace sorvik::platform {

// Turns the signals that a failed write raises into errors the program handles: a closed pipe on
// standard error ("sorvik-cli run … | head -1") gives EPIPE instead of killing the run halfway,
// and a file size limit gives EFBIG, which becomes an ordinary copy error, instead of killing the
// program with a temporary left behind. Windows raises no such signals; there it keeps a pulled
// USB drive or an empty card reader from stopping the run on a system dialog instead. Called
// first thing by every program.
void keepRunningWhenWritesFail();

}  // namespace sorvik::platform
