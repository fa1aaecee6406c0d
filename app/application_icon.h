#pragma once

#include <QIcon>

namespace sorvik::app {

// Sorvik's icon at every size it is drawn in.
QIcon applicationIcon();

}  // namespace sorvik::app
