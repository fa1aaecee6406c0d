#pragma once

class QWidget;

namespace sorvik::app {

// Keeps `window` above the windows that do not stay on top themselves, or ends that. Either way
// the window keeps its place and size and is shown and raised.
void keepOnTop(QWidget& window, bool onTop);

}  // namespace sorvik::app
