#include "app/window_order.h"

#include <QPoint>
#include <QWidget>

namespace sorvik::app {

namespace {

void setStaysOnTop(QWidget& window, bool onTop) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        return;
    }
    // Changing a window flag recreates the native window, which hides it and may let the window
    // manager place it afresh: keep where it was.
    const QPoint place = window.pos();
    const bool wasVisible = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        window.move(place);
    }
}

}  // namespace

long SetWindowOrder(QWidget& window, int mode) {
    switch (mode) {
        case kNotTopmost:
            setStaysOnTop(window, false);
            break;
        case kTopmost:
            setStaysOnTop(window, true);
            break;
        case kTop:
            break;
        default:
            return 0;
    }
    window.show();
    window.raise();
    return 1;
}

}  // namespace sorvik::app
