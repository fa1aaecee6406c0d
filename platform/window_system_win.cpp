#include "platform/window_system.h"

namespace sorvik::platform {

// Qt has one platform for Windows desktops, "windows", and picks it by itself.
const char* preferredWindowPlatform() {
    return nullptr;
}

// Meiryo UI since Vista, Yu Gothic UI since 8.1 (Meiryo UI is optional on 10 and later), and
// MS UI Gothic, which every Japanese Windows has; the default family's Latin letters are the
// last resort.
std::vector<std::string> uiFontFamilies(const std::string& defaultFamily) {
    return {"Meiryo UI", "Yu Gothic UI", "MS UI Gothic", defaultFamily};
}

}  // namespace sorvik::platform
