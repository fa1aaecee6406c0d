#pragma once

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace sorvik::test {

// Answers the modal boxes opened while it lives; create it before the click that opens one. Every
// box's title is recorded. A message box's text is recorded and it is answered with `answer`; a
// name box's prompt is recorded and it gets the next of `inputAnswers` (a null string, or none
// left, cancels). `whileOpen` runs in every box before its answer, while what opened it is on.
class ModalAnswerer : public QObject {
  public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::answerOpenBox);
        timer_.start(5);
    }

    std::function<void()> whileOpen;
    QStringList titles, texts, inputAnswers, prompts;

  private:
    void answerOpenBox() {
        QWidget* modal = QApplication::activeModalWidget();
        // Guarded: the next box may be built at the address of the last one.
        if (!modal || modal == answered_) {
            return;
        }
        answered_ = modal;
        titles << modal->windowTitle();
        auto* input = qobject_cast<QInputDialog*>(modal);
        auto* box = qobject_cast<QMessageBox*>(modal);
        input ? void(prompts << input->labelText()) : void(texts << (box ? box->text() : ""));
        if (whileOpen) {
            whileOpen();
        }
        if (box) {
            box->done(answer_);
        } else if (input) {
            const QString answer = inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
            input->setTextValue(answer);
            answer.isNull() ? input->reject() : input->accept();
        }
    }

    QMessageBox::StandardButton answer_;
    QTimer timer_;
    QPointer<QWidget> answered_;
};

}  // namespace sorvik::test
