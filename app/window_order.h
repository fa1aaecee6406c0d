#pragma once

class QWidget;

namespace sorvik::app {

// Window order modes: 0 ends staying on top, 1 keeps the window above all windows that do not
// stay on top themselves, 2 raises it without changing whether it stays on top.
enum WindowOrderMode : int { kNotTopmost = 0, kTopmost = 1, kTop = 2 };

// Puts `window` on top of others or takes it off, keeping its place and size and making it
// visible. Returns nonzero when done, 0 for a mode it does not know (and then leaves the window
// alone).
long SetWindowOrder(QWidget& window, int mode);

}  // namespace sorvik::app
