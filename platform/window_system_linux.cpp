#include "platform/window_system.h"

namespace sorvik::platform {

const char* preferredWindowPlatform() {
#ifdef __linux__
    return "xcb;wayland";
#else
    return nullptr;
#endif
}

// The desktop's own font for Latin letters; for Japanese, the proportional IPA Gothic where it is
// installed, since the fixed-pitch Japanese fonts are too wide for the captions' places.
std::vector<std::string> uiFontFamilies(const std::string& defaultFamily) {
    return {defaultFamily, "IPAPGothic"};
}

}  // namespace sorvik::platform
