#include "platform/process_signals.h"

#include <windows.h>

namespace sorvik::platform {

// Windows raises no signal for a failed write: a closed pipe gives ERROR_NO_DATA and a full disk
// ERROR_DISK_FULL, both ordinary errors already. What would stop a run instead is the system's
// "There is no disk in the drive" box when a removable drive has been pulled or a card reader is
// empty: it waits for someone to click, and from a scheduled task nobody will. With
// SEM_FAILCRITICALERRORS the call fails with ERROR_NOT_READY, which is told like any other
// error. The mode is the process's, so it covers the engine's worker threads too.
void keepRunningWhenWritesFail() {
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS);
}

}  // namespace sorvik::platform
