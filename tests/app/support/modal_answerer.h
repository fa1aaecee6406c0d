#pragma once

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace sorvik::test {

// Answers the message boxes a window opens while it is alive: each one's title and text are
// recorded, then it is answered with `answer`. Input boxes are answered from `inputAnswers` in
// order (a null string cancels, as does running out of answers); their titles and prompts are
// recorded in `inputTitles` and `prompts`. Create it before the click that opens a box: the
// box is modal and the click returns only once it is gone. `whileOpen`, when given, runs once in
// every box, input boxes included, before it is answered, to act while the run that opened it is
// still on.
class ModalAnswerer : public QObject {
  public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::answerOpenBox);
        timer_.start(5);
    }

    std::function<void()> whileOpen;
    QStringList titles;
    QStringList texts;
    QStringList inputAnswers;
    QStringList inputTitles;
    QStringList prompts;

  private:
    void answerOpenBox() {
        if (auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            answerInput(*input);
            return;
        }
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

    void answerInput(QInputDialog& input) {
        if (&input == answeredInput_) {
            return;
        }
        answeredInput_ = &input;
        inputTitles << input.windowTitle();
        prompts << input.labelText();
        if (whileOpen) {
            whileOpen();
        }
        const QString answer = inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
        if (answer.isNull()) {
            input.reject();
            return;
        }
        input.setTextValue(answer);
        input.accept();
    }

    QMessageBox::StandardButton answer_;
    QTimer timer_;
    // Guarded: the next box a handler opens may be built at the address of the last one.
    QPointer<QMessageBox> answered_;
    QPointer<QInputDialog> answeredInput_;
};

}  // namespace sorvik::test
