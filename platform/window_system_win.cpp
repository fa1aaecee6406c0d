#include "platform/window_system.h"

namespace sorvik::platform {

// Qt has one platform for Windows desktops, "windows", and picks it by itself.
const char* preferredWindowPlatform() {
    return nullptr;
}

}  // namespace sorvik::platform
