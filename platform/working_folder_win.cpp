#include "platform/working_folder.h"

#include <windows.h>

#include <string>

#include "platform/windows/system_error.h"
#include "platform/windows/wide_text.h"

namespace sorvik::platform {

Result<std::string> workingFolder() {
    // The wide call: the ANSI one would turn every name outside the code page into "?".
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data());
        if (length == 0) {
            return lastWin32Error();
        }
        if (length < path.size()) {
            path.resize(length);
            return toUtf8(path);
        }
        // Too small: the length asked for counts the terminating null. Another thread may change
        // the folder meanwhile, hence the loop.
        path.resize(length);
    }
}

}  // namespace sorvik::platform
