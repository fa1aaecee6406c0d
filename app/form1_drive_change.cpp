// Moving a whole column of the current list to another drive: by typing the old and the new
// letter into a folder box, or by picking a drive in the picker that stands in for the box.
#include <QAbstractItemView>
#include <QLineEdit>
#include <QListWidget>

#include "app/drive_picker.h"
#include "app/form1.h"
#include "app/qt_text.h"
#include "platform/drive_path.h"
#include "platform/mounted_drives.h"

namespace sorvik::app {

namespace {

constexpr const char* kChangeAllPaths = "パスリストを一括変更しますか？";

QString letterSwapQuestion(const QString& from, const QString& to) {
    return from + QStringLiteral(":\\ を\r\n") + to + QStringLiteral(":\\ に変更しますか？");
}

// The first character of a text, whole even when it lies outside the Basic Multilingual Plane.
QString firstCharacter(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return text.left(text.front().isHighSurrogate() && text.size() > 1 ? 2 : 1);
}

}  // namespace

void Form1::FilP_KeyDown(int index, int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return;
    }
    const QString typed = FilP_[index]->text();
    const QString from = firstCharacter(typed);
    const QString to = typed.mid(from.size());
    if (from.isEmpty() || to.isEmpty() || firstCharacter(to) != to) {
        return;  // exactly two characters or nothing
    }
    if (!askYesNo(letterSwapQuestion(from, to))) {
        return;
    }
    QListWidget& column = *FilPL_[index];
    const QString fromFolded = from.toLower();
    for (int i = 0; i < column.count(); ++i) {
        QListWidgetItem& entry = *column.item(i);
        const QString first = firstCharacter(entry.text());
        if (!first.isEmpty() && first.toLower() == fromFolded) {
            entry.setText(to + entry.text().mid(first.size()));
        }
    }
    saveEditedColumns();
}

void Form1::Drive_Change(int index) {
    if (!askYesNo(QString::fromUtf8(kChangeAllPaths))) {
        return;
    }
    const std::string drive = stdText(Drive_[index]->currentData().toString());
    QListWidget& column = *FilPL_[index];
    for (int i = 0; i < column.count(); ++i) {
        QListWidgetItem& entry = *column.item(i);
        entry.setText(qText(platform::pathOnDrive(stdText(entry.text()), drive)));
    }
    saveEditedColumns();
}

void Form1::FilP_MouseDown(int index, Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        showDrivePicker(index);
    }
}

void Form1::showDrivePicker(int index) {
    DrivePicker& picker = *Drive_[index];
    picker.clear();
    for (const platform::Drive& drive : platform::mountedDrives()) {
        picker.addItem(qText(drive.label), qText(drive.designation));
    }
    FilP_[index]->setEnabled(false);
    FilP_[index]->hide();
    picker.show();
    picker.setFocus(Qt::MouseFocusReason);
}

void Form1::restoreFolderBox(int index) {
    DrivePicker& picker = *Drive_[index];
    if (picker.isHidden()) {
        return;
    }
    // The focus returns to the box only from the picker: a click elsewhere keeps it there.
    const bool pickerHadFocus = picker.hasFocus() || picker.view()->hasFocus();
    picker.hide();
    FilP_[index]->setEnabled(true);
    FilP_[index]->show();
    if (pickerHadFocus) {
        FilP_[index]->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace sorvik::app
