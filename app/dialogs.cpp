#include "app/dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

#include "app/qt_text.h"
#include "engine/messages.h"

namespace sorvik::app {

namespace {

QString shownText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

void tell(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, qText(engine::text::kApplicationTitle), shownText(text),
                    QMessageBox::Ok, parent);
    box.exec();
}

bool askYesNo(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::NoIcon, qText(engine::text::kApplicationTitle),
                    shownText(question), QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::string askName(QWidget* parent, const QString& objectName, std::string_view prompt) {
    QInputDialog box(parent);
    box.setObjectName(objectName);
    box.setWindowTitle(qText(engine::text::kApplicationTitle));
    box.setLabelText(qText(prompt));
    box.setTextValue(QString());
    return box.exec() == QDialog::Accepted ? stdText(box.textValue()) : std::string();
}

}  // namespace sorvik::app
