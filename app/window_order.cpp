#include "app/window_order.h"

#include <QPoint>
#include <QWidget>

namespace sorvik::app {

void keepOnTop(QWidget& window, bool onTop) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        // Changing a window flag recreates the native window, which hides it and may let the
        // window manager place it afresh: keep where it was.
        const QPoint place = window.pos();
        const bool wasVisible = window.isVisible();
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (wasVisible) {
            window.move(place);
        }
    }
    window.show();
    window.raise();
}

}  // namespace sorvik::app
