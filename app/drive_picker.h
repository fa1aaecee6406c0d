#pragma once

#include <QComboBox>

namespace sorvik::app {

// The drive list that stands in for a folder box while the user picks a drive. A choice raises
// `activated`; closing its list without a choice, Esc, or moving the focus elsewhere raises
// `dismissed`, so the folder box never stays hidden.
class DrivePicker : public QComboBox {
    Q_OBJECT

  public:
    using QComboBox::QComboBox;

    void showPopup() override;
    void hidePopup() override;

  signals:
    void dismissed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool popupOpen_ = false;
};

}  // namespace sorvik::app
