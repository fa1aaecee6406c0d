#pragma once

#include <string>
#include <vector>

namespace sorvik::platform {

// The window platforms to ask the toolkit for, best first, when the user has chosen none; null
// to leave the choice to the toolkit. On Linux this is X11 (XWayland under a Wayland session),
// because Wayland lets no program place its own window or keep it on top; Wayland itself stays
// as the fallback where no X server runs.
const char* preferredWindowPlatform();

// The font families the window's Japanese text asks for, best first, given the toolkit's default
// family: the system's own Japanese UI font where it has one, never one that ships elsewhere only.
std::vector<std::string> uiFontFamilies(const std::string& defaultFamily);

}  // namespace sorvik::platform
