#include "platform/window_system.h"

namespace sorvik::platform {

const char* preferredWindowPlatform() {
#ifdef __linux__
    return "xcb;wayland";
#else
    return nullptr;
#endif
}

}  // namespace sorvik::platform
