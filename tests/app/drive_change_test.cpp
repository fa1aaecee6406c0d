// Moving a column of the current list to another drive: two letters and Enter in a folder box, or
// the drive picker that a right press puts in the box's place.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "engine/messages.h"
#include "platform/text_file.h"
#include "tests/app/support/folder_contents.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/app/support/started_window.h"

namespace {

using sorvik::test::fileBytes;
using sorvik::test::itemTexts;
using sorvik::test::lfListBytes;
using sorvik::test::ModalAnswerer;
using sorvik::test::qText;
using sorvik::test::StartedWindow;

const QString kChangeAll = QStringLiteral("パスリストを一括変更しますか？");

QString letterSwapQuestion(const QString& typed) {
    const qsizetype split = typed.front().isHighSurrogate() ? 2 : 1;
    return typed.left(split) + QStringLiteral(":\\ を\n") + typed.mid(split) +
           QStringLiteral(":\\ に変更しますか？");
}

// The lines of a list whose source column is `sources` and backup column `backups`.
QStringList listLines(const QStringList& sources, const QStringList& backups) {
    QStringList lines;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        lines << sources[i] << backups[i];
    }
    return lines;
}

// The bytes a save writes for those lines.
std::string savedBytes(const QStringList& lines) {
    std::vector<std::string> encoded;
    for (const QString& line : lines) {
        encoded.push_back(line.toStdString());
    }
    return *sorvik::platform::encodeTextLines(encoded);
}

}  // namespace

class DriveChangeTest : public QObject {
    Q_OBJECT

  private slots:
    // Destroyed without closing, possibly with a picker still up and holding the focus, as when
    // the program ends with its window open.
    void cleanup() { w_.reset(); }

    void twoLettersAndEnterSwapTheLetterInThatColumn_data();
    void twoLettersAndEnterSwapTheLetterInThatColumn();
    void otherTextsOrKeysAskNothing_data();
    void otherTextsOrKeysAskNothing();
    void aSwapWithNoListCurrentSaysItIsNotSaved();
    void theRightButtonPutsThePickerInTheBoxsPlace_data();
    void theRightButtonPutsThePickerInTheBoxsPlace();
    void leavingThePickerBringsTheBoxBack_data();
    void leavingThePickerBringsTheBoxBack();
    void choosingADriveMovesTheColumn_data();
    void choosingADriveMovesTheColumn();

  private:
    // Starts on a list whose columns both hold `entries` (a blank line when there are none, so a
    // save still changes the bytes).
    void start(const QStringList& entries);
    QComboBox& picker(int column) {
        return *w_->form.findChild<QComboBox*>(QStringLiteral("Drive_%1").arg(column));
    }
    [[nodiscard]] bool openPicker(int column);
    // Only `column` shows `changed`, the other still `entries`; the file holds both when `saved`
    // and is untouched otherwise.
    void checkColumnAndFile(int column, const QStringList& entries, const QStringList& changed,
                            bool saved);
    [[nodiscard]] bool openList(int column);

    std::unique_ptr<StartedWindow> w_;
    std::string before_;  // the list file's bytes at the start
};

void DriveChangeTest::start(const QStringList& entries) {
    before_ = entries.isEmpty() ? std::string("\n") : lfListBytes(listLines(entries, entries));
    w_ = std::make_unique<StartedWindow>("daily.lst", before_);
    QVERIFY(w_->ready);
    QCOMPARE(itemTexts(w_->column(0)), entries);
    QCOMPARE(itemTexts(w_->column(1)), entries);
}

void DriveChangeTest::checkColumnAndFile(int column, const QStringList& entries,
                                         const QStringList& changed, bool saved) {
    QCOMPARE(itemTexts(w_->column(column)), changed);
    QCOMPARE(itemTexts(w_->column(1 - column)), entries);
    const std::string file = fileBytes(w_->form.ListPath);
    if (saved) {
        QCOMPARE(file, savedBytes(column == 0 ? listLines(changed, entries)
                                              : listLines(entries, changed)));
    } else {
        QCOMPARE(file, before_);
    }
}

bool DriveChangeTest::openPicker(int column) {
    QTest::mouseClick(&w_->box(column), Qt::RightButton);
    return w_->box(column).isHidden() && picker(column).isVisible();
}

// Opens the picker's list as a click on it does; the focus moving into the list is no leaving.
bool DriveChangeTest::openList(int column) {
    QTest::mouseClick(&picker(column), Qt::LeftButton);
    return QApplication::activePopupWidget() == picker(column).view()->window() &&
           picker(column).isVisible() && w_->box(column).isHidden();
}

void DriveChangeTest::twoLettersAndEnterSwapTheLetterInThatColumn_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("changed");  // the typed column's entries afterwards
    const int yes = QMessageBox::Yes;
    const QStringList mixed{"c:/x", "C:/y", "d:/z", "/c", ""};
    QTest::newRow("cd: either case of c")
        << 0 << "cd" << yes << mixed << QStringList{"d:/x", "d:/y", "d:/z", "/c", ""};
    QTest::newRow("CD in the backup box: the letter as typed")
        << 1 << "CD" << yes << mixed << QStringList{"D:/x", "D:/y", "d:/z", "/c", ""};
    QTest::newRow("a backslash first")
        << 0 << "\\e" << yes << QStringList{"\\\\srv\\a", "e:\\b", "c:\\d"}
        << QStringList{"e\\srv\\a", "e:\\b", "c:\\d"};
    QTest::newRow("a character beyond the BMP is one")
        << 0 << "😀c" << yes << QStringList{"😀/x", "d/y"} << QStringList{"c/x", "d/y"};
    QTest::newRow("no entry matches: saved all the same")
        << 0 << "xy" << yes << QStringList{"c:/x"} << QStringList{"c:/x"};
    QTest::newRow("answered No") << 0 << "cd" << static_cast<int>(QMessageBox::No)
                                 << QStringList{"c:/x"} << QStringList{"c:/x"};
}

void DriveChangeTest::twoLettersAndEnterSwapTheLetterInThatColumn() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, changed);
    start(entries);
    QLineEdit& box = w_->box(column);
    QSignalSpy returnPressed(&box, &QLineEdit::returnPressed);
    box.setText(typed);
    ModalAnswerer answerer(static_cast<QMessageBox::StandardButton>(answer));

    QTest::keyClick(&box, Qt::Key_Return);

    QCOMPARE(answerer.titles, QStringList{"Sorvik"});
    QCOMPARE(answerer.texts, QStringList{letterSwapQuestion(typed)});
    // Enter is the swap's alone.
    QCOMPARE(returnPressed.count(), 0);
    QCOMPARE(box.text(), typed);
    checkColumnAndFile(column, entries, changed, answer == QMessageBox::Yes);
}

void DriveChangeTest::otherTextsOrKeysAskNothing_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::newRow("one character") << "c" << static_cast<int>(Qt::Key_Return);
    QTest::newRow("three characters") << "cde" << static_cast<int>(Qt::Key_Return);
    QTest::newRow("nothing") << "" << static_cast<int>(Qt::Key_Return);
    QTest::newRow("Escape") << "cd" << static_cast<int>(Qt::Key_Escape);
    QTest::newRow("Down") << "cd" << static_cast<int>(Qt::Key_Down);
}

void DriveChangeTest::otherTextsOrKeysAskNothing() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    start({"c:/x"});
    w_->box(0).setText(typed);
    ModalAnswerer answerer(QMessageBox::Yes);

    QTest::keyClick(&w_->box(0), static_cast<Qt::Key>(key));

    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(itemTexts(w_->column(0)), QStringList{"c:/x"});
    QCOMPARE(fileBytes(w_->form.ListPath), before_);
}

void DriveChangeTest::aSwapWithNoListCurrentSaysItIsNotSaved() {
    start({"c:/x"});
    const std::string file = w_->form.ListPath;
    w_->form.ListPath.clear();
    w_->box(0).setText("cd");
    ModalAnswerer answerer(QMessageBox::Yes);

    QTest::keyClick(&w_->box(0), Qt::Key_Return);

    QCOMPARE(answerer.texts,
             (QStringList{letterSwapQuestion("cd"), qText(sorvik::engine::text::kNoListSelected)}));
    QCOMPARE(itemTexts(w_->column(0)), QStringList{"d:/x"});
    QCOMPARE(fileBytes(file), before_);
}

void DriveChangeTest::theRightButtonPutsThePickerInTheBoxsPlace_data() {
    QTest::addColumn<int>("column");
    QTest::newRow("source box") << 0;
    QTest::newRow("backup box") << 1;
}

void DriveChangeTest::theRightButtonPutsThePickerInTheBoxsPlace() {
    QFETCH(int, column);
    start({"/media/old/data/"});
    QLineEdit& box = w_->box(column);
    QComboBox& drives = picker(column);
    QVERIFY(drives.isHidden());

    QVERIFY(openPicker(column));

    QVERIFY(!box.isEnabled());
    QCOMPARE(drives.geometry().topLeft(), box.geometry().topLeft());
    QCOMPARE(QApplication::focusWidget(), &drives);
    // Closed, so the right button's release cannot choose a drive.
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    QVERIFY(w_->box(1 - column).isVisible());
    QVERIFY(picker(1 - column).isHidden());
    // Every mount point once, the root folder first; opening it again lists them afresh.
    QTest::keyClick(&drives, Qt::Key_Escape);
    QVERIFY(openPicker(column));
    QStringList mountPoints;
    for (int i = 0; i < drives.count(); ++i) {
        mountPoints << drives.itemData(i).toString();
    }
    QVERIFY(!mountPoints.isEmpty());
    QCOMPARE(mountPoints.front(), QStringLiteral("/"));
    QCOMPARE(mountPoints.removeDuplicates(), 0);
}

void DriveChangeTest::leavingThePickerBringsTheBoxBack_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Esc in the open list") << "escape list";
    QTest::newRow("Esc in the closed picker") << "escape picker";
    QTest::newRow("a click elsewhere") << "focus";
}

void DriveChangeTest::leavingThePickerBringsTheBoxBack() {
    QFETCH(QString, way);
    start({"/media/old/data/"});
    QVERIFY(openPicker(0));
    QComboBox& drives = picker(0);
    auto* elsewhere = w_->form.findChild<QPushButton*>("Command1");
    ModalAnswerer answerer(QMessageBox::Yes);

    if (way == "escape list") {
        QVERIFY(openList(0));
        QTest::keyClick(drives.view(), Qt::Key_Escape);
    } else if (way == "escape picker") {
        QTest::keyClick(&drives, Qt::Key_Escape);
    } else {
        elsewhere->setFocus(Qt::MouseFocusReason);
    }

    QVERIFY(w_->box(0).isVisible());
    QVERIFY(w_->box(0).isEnabled());
    QVERIFY(drives.isHidden());
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    // The focus comes back to the box from the picker, but stays where a click put it.
    QCOMPARE(QApplication::focusWidget(),
             way == "focus" ? static_cast<QWidget*>(elsewhere) : &w_->box(0));
    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(itemTexts(w_->column(0)), QStringList{"/media/old/data/"});
    QCOMPARE(fileBytes(w_->form.ListPath), before_);
}

void DriveChangeTest::choosingADriveMovesTheColumn_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("inTheList");  // else with Down on the closed picker
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("changed");
    const int yes = QMessageBox::Yes;
    // The moves themselves are pathOnDrive's; here two of them reach the columns and the file.
    const QStringList entries{"/media/old/data/", "/home"};
    const QStringList moved{"/media/usb/data/", "/media/usb"};
    QTest::newRow("source column, in the open list") << 0 << true << yes << entries << moved;
    QTest::newRow("backup column, on the closed picker") << 1 << false << yes << entries << moved;
    QTest::newRow("answered No") << 0 << true << static_cast<int>(QMessageBox::No) << entries
                                 << entries;
    QTest::newRow("an empty column is asked about and saved")
        << 0 << false << yes << QStringList() << QStringList();
}

void DriveChangeTest::choosingADriveMovesTheColumn() {
    QFETCH(int, column);
    QFETCH(bool, inTheList);
    QFETCH(int, answer);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, changed);
    start(entries);
    w_->box(0).setText("typed 0");
    w_->box(1).setText("typed 1");
    QVERIFY(openPicker(column));
    QComboBox& drives = picker(column);
    drives.addItem("usb", QStringLiteral("/media/usb"));
    const int usb = drives.count() - 1;
    ModalAnswerer answerer(static_cast<QMessageBox::StandardButton>(answer));

    if (inTheList) {
        QVERIFY(openList(column));
        drives.view()->setCurrentIndex(drives.model()->index(usb, 0));
        QTest::keyClick(drives.view(), Qt::Key_Return);
    } else {
        drives.setCurrentIndex(usb - 1);
        QTest::keyClick(&drives, Qt::Key_Down);
    }

    QCOMPARE(answerer.titles, QStringList{"Sorvik"});
    QCOMPARE(answerer.texts, QStringList{kChangeAll});
    QVERIFY(w_->box(column).isVisible());
    QVERIFY(w_->box(column).isEnabled());
    QVERIFY(drives.isHidden());
    QCOMPARE(w_->box(0).text(), QStringLiteral("typed 0"));
    QCOMPARE(w_->box(1).text(), QStringLiteral("typed 1"));
    checkColumnAndFile(column, entries, changed, answer == QMessageBox::Yes);
}

QTEST_MAIN(DriveChangeTest)
#include "drive_change_test.moc"
