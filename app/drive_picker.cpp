#include "app/drive_picker.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace sorvik::app {

void DrivePicker::hidePopup() {
    QComboBox::hidePopup();
    emit dismissed();
}

void DrivePicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit dismissed();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DrivePicker::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // Opening its own list moves the focus to the list for a while; that is no leaving.
    if (event->reason() != Qt::PopupFocusReason) {
        emit dismissed();
    }
}

}  // namespace sorvik::app
