#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace sorvik::test {

// Answers the message boxes a window opens while it is alive: each one's title and text are
// recorded, then it is answered with `answer`. Create it before the click that opens a box: the
// box is modal and the click returns only once it is gone. `whileOpen`, when given, runs once in
// every box before it is answered, to act while the run that opened it is still on.
class ModalAnswerer : public QObject {
  public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::answerOpenBox);
        timer_.start(5);
    }

    std::function<void()> whileOpen;
    QStringList titles;
    QStringList texts;

  private:
    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == answered_) {
            return;
        }
        answered_ = box;
        titles << box->windowTitle();
        texts << box->text();
        if (whileOpen) {
            whileOpen();
        }
        box->done(answer_);
    }

    QMessageBox::StandardButton answer_;
    QTimer timer_;
    // Guarded: the next box a handler opens may be built at the address of the last one.
    QPointer<QMessageBox> answered_;
};

}  // namespace sorvik::test
