#include "app/drive_picker.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace sorvik::app {

void DrivePicker::showPopup() {
    popupOpen_ = true;
    QComboBox::showPopup();
}

void DrivePicker::hidePopup() {
    QComboBox::hidePopup();
    popupOpen_ = false;
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
    // While its own list is open the focus moves into the list: that is no leaving.
    if (!popupOpen_ && event->reason() != Qt::PopupFocusReason) {
        emit dismissed();
    }
}

}  // namespace sorvik::app
