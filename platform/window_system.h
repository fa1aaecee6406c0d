#pragma once

namespace sorvik::platform {

// The window platforms to ask the toolkit for, best first, when the user has chosen none; null
// to leave the choice to the toolkit. On Linux this is X11 (XWayland under a Wayland session),
// because Wayland lets no program place its own window or keep it on top; Wayland itself stays
// as the fallback where no X server runs.
const char* preferredWindowPlatform();

}  // namespace sorvik::platform
