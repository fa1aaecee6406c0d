#pragma once

#include <QObject>

class QWidget;

namespace sorvik::app {

// While alive, drops every keyboard, mouse, wheel, drag and context-menu event meant for one
// window and its children, so the window can repaint during a run without taking input. Events
// for other windows, such as the run's own message boxes, pass.
class InputBlocker : public QObject {
    Q_OBJECT

  public:
    explicit InputBlocker(QWidget& window);
    ~InputBlocker() override;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    QWidget& window_;
};

}  // namespace sorvik::app
