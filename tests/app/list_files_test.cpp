// The list files of the program folder in the window: switching lists from File2 or the exchange
// menu, creating a list and deleting one.
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <string>

#include "app/form1.h"
#include "engine/messages.h"
#include "tests/app/support/folder_contents.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/app/support/started_window.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
namespace text = sorvik::engine::text;
using sorvik::test::boxText;
using sorvik::test::fileBytes;
using sorvik::test::itemTexts;
using sorvik::test::lfListBytes;
using sorvik::test::ModalAnswerer;
using sorvik::test::StartedWindow;
using sorvik::test::writeFile;

// Lone LF line ends: a list that is saved comes back with CR LF.
const std::string kListA = lfListBytes({"/a0", "/x0", "/a1", "/x1"});
const std::string kListB = lfListBytes({"/b0", "/y0"});
// A's pairs once its second source has been edited in the column, as saved.
const std::string kEditedA = "/a0\r\n/x0\r\n/edited\r\n/x1\r\n";
const QString kBadName = QStringLiteral("リスト名が正しくありません");

// The names in a folder, sorted.
QStringList namesIn(const std::string& folder) {
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names << QString::fromStdString(entry.path().filename().string());
    }
    names.sort();
    return names;
}

}  // namespace

class ListFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { w_.reset(); }

    void switchingSavesTheCurrentListThenLoadsTheOther_data();
    void switchingSavesTheCurrentListThenLoadsTheOther();
    void aSwitchWhoseSaveFailsStaysOnTheList_data();
    void aSwitchWhoseSaveFailsStaysOnTheList();
    void theRightButtonOnFile2OffersTheListMenuAndKeepsTheSelection();
    void newList_data();
    void newList();
    void deletingTheSelectedListFile_data();
    void deletingTheSelectedListFile();
    void aListFileThatCannotBeDeletedIsReportedAndStaysCurrent();
    void withNoListFileTheExchangeMenuOffersAListNamedZero();

  private:
    [[nodiscard]] bool showSettingsPanel(bool shown);
    QAction* action(const char* name) { return w_->form.findChild<QAction*>(name); }
    QListWidget& file2() { return *w_->form.findChild<QListWidget*>("File2"); }
    int file2Row(const QString& name) { return static_cast<int>(itemTexts(file2()).indexOf(name)); }
    [[nodiscard]] bool clickFile2(const QString& name);
    QStringList offeredByTheExchangeMenu();
    [[nodiscard]] bool switchTo(bool throughTheMenu, const QString& name);

    std::unique_ptr<StartedWindow> w_;
};

void ListFilesTest::init() {
    w_ = std::make_unique<StartedWindow>("A.lst", kListA);
    writeFile(w_->path("B.lst"), kListB);
    QVERIFY(w_->ready);
    QVERIFY(showSettingsPanel(true));
    QCOMPARE(itemTexts(file2()), (QStringList{"A.lst", "B.lst"}));
}

bool ListFilesTest::showSettingsPanel(bool shown) {
    if (file2().isVisible() != shown) {
        action("mn0_2")->trigger();
    }
    return file2().isVisible() == shown;
}

bool ListFilesTest::clickFile2(const QString& name) {
    const int row = file2Row(name);
    if (!showSettingsPanel(true) || row < 0) {
        return false;
    }
    QTest::mouseClick(file2().viewport(), Qt::LeftButton, {},
                      file2().visualItemRect(file2().item(row)).center());
    return true;
}

// Opens the exchange menu with the right button on the bare path-list panel; the file names its
// visible items carry.
QStringList ListFilesTest::offeredByTheExchangeMenu() {
    if (!showSettingsPanel(false)) {
        return {"<the path list is not shown>"};
    }
    auto* menu = w_->form.findChild<QMenu*>("mn0_4");
    QTest::mouseClick(w_->form.findChild<QGroupBox*>("Frame_0"), Qt::RightButton, {}, QPoint(3, 3));
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); })) {
        return {"<no menu>"};
    }
    menu->hide();
    QStringList offered;
    for (QAction* item : menu->actions()) {
        if (item->isVisible()) {
            offered << item->data().toString();
        }
    }
    return offered;
}

bool ListFilesTest::switchTo(bool throughTheMenu, const QString& name) {
    if (!throughTheMenu) {
        return clickFile2(name);
    }
    const auto index = offeredByTheExchangeMenu().indexOf(name);
    if (index < 0) {
        return false;
    }
    action(qPrintable(QStringLiteral("mn4_%1").arg(index)))->trigger();
    return true;
}

void ListFilesTest::switchingSavesTheCurrentListThenLoadsTheOther_data() {
    QTest::addColumn<bool>("throughTheMenu");
    QTest::newRow("a click on File2") << false;
    QTest::newRow("the exchange menu") << true;
}

void ListFilesTest::switchingSavesTheCurrentListThenLoadsTheOther() {
    QFETCH(bool, throughTheMenu);
    w_->column(0).item(1)->setText("/edited");
    w_->box(0).setText("typed");
    ModalAnswerer answerer;

    QVERIFY(switchTo(throughTheMenu, "B.lst"));

    QCOMPARE(fileBytes(w_->path("A.lst")), kEditedA);
    QCOMPARE(w_->form.ListPath, w_->path("B.lst"));
    QCOMPARE(itemTexts(w_->column(0)), QStringList{"/b0"});
    QCOMPARE(itemTexts(w_->column(1)), QStringList{"/y0"});
    QVERIFY(w_->column(0).selectedItems().isEmpty());
    QVERIFY(w_->column(1).selectedItems().isEmpty());
    QCOMPARE(w_->box(0).text(), QStringLiteral("typed"));
    QCOMPARE(w_->box(1).text(), QStringLiteral("/x0"));
    // Loading writes nothing.
    QCOMPARE(fileBytes(w_->path("B.lst")), kListB);
    QCOMPARE(answerer.texts, QStringList());
}

void ListFilesTest::aSwitchWhoseSaveFailsStaysOnTheList_data() {
    switchingSavesTheCurrentListThenLoadsTheOther_data();
}

void ListFilesTest::aSwitchWhoseSaveFailsStaysOnTheList() {
    QFETCH(bool, throughTheMenu);
    const std::string unwritable = w_->folder + "/no such folder/A.lst";
    w_->form.ListPath = unwritable;
    ModalAnswerer answerer;

    QVERIFY(switchTo(throughTheMenu, "B.lst"));

    QCOMPARE(answerer.texts, QStringList{boxText(text::kFileUnwritable, unwritable,
                                                 std::errc::no_such_file_or_directory)});
    QCOMPARE(answerer.titles, QStringList{"Sorvik"});
    QCOMPARE(w_->form.ListPath, unwritable);
    QCOMPARE(itemTexts(w_->column(0)), (QStringList{"/a0", "/a1"}));
    QCOMPARE(itemTexts(w_->column(1)), (QStringList{"/x0", "/x1"}));
}

void ListFilesTest::theRightButtonOnFile2OffersTheListMenuAndKeepsTheSelection() {
    file2().setCurrentRow(0);
    auto* menu = w_->form.findChild<QMenu*>("mn0_3");
    QCOMPARE(menu->title(), QStringLiteral("リストデータ"));

    QTest::mouseClick(file2().viewport(), Qt::RightButton, {},
                      file2().visualItemRect(file2().item(1)).center());

    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(QApplication::activePopupWidget(), menu);
    QCOMPARE(file2().selectedItems(), QList<QListWidgetItem*>{file2().item(0)});
    QCOMPARE(w_->form.ListPath, w_->path("A.lst"));
    menu->hide();
}

void ListFilesTest::newList_data() {
    QTest::addColumn<QString>("answer");   // null: the box is cancelled
    QTest::addColumn<QString>("created");  // empty: no file is created
    QTest::addColumn<QString>("current");  // the current list afterwards
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("a plain name") << "work"
                                  << "work.lst"
                                  << "work.lst" << QStringList();
    QTest::newRow(".lst is added even to a name ending in it") << "x.lst"
                                                               << "x.lst.lst"
                                                               << "x.lst.lst" << QStringList();
    QTest::newRow("an existing list's name") << "B"
                                             << ""
                                             << "B.lst" << QStringList();
    QTest::newRow("cancelled") << QString() << ""
                               << "A.lst" << QStringList();
    QTest::newRow("empty") << ""
                           << ""
                           << "A.lst" << QStringList();
    for (const char* bad : {"a/b", "  ", "a:b", "a*"}) {
        QTest::newRow(qPrintable(QStringLiteral("bad name \"%1\"").arg(bad)))
            << bad << ""
            << "A.lst" << QStringList{kBadName};
    }
}

void ListFilesTest::newList() {
    QFETCH(QString, answer);
    QFETCH(QString, created);
    QFETCH(QString, current);
    QFETCH(QStringList, boxes);
    w_->column(0).item(1)->setText("/edited");
    QStringList names = namesIn(w_->folder);
    ModalAnswerer answerer;
    answerer.inputAnswers << answer;

    action("mn3_0")->trigger();

    QCOMPARE(answerer.inputTitles, QStringList{"Sorvik"});
    QCOMPARE(answerer.prompts, QStringList{"新規ファイルリスト名を入力してください"});
    QCOMPARE(answerer.texts, boxes);
    // The current list is saved before the name is asked for, whatever the answer.
    QCOMPARE(fileBytes(w_->path("A.lst")), kEditedA);
    if (!created.isEmpty()) {
        names << created;
        names.sort();
        QCOMPARE(fileBytes(w_->path(created.toStdString())), std::string());
    }
    QCOMPARE(namesIn(w_->folder), names);
    names.removeIf([](const QString& name) { return !name.endsWith(".lst"); });
    QCOMPARE(itemTexts(file2()), names);
    QCOMPARE(w_->form.ListPath, w_->path(current.toStdString()));
    if (current == "A.lst") {
        QCOMPARE(itemTexts(w_->column(0)), (QStringList{"/a0", "/edited"}));
    } else if (current == "B.lst") {
        QCOMPARE(itemTexts(w_->column(0)), QStringList{"/b0"});
        QCOMPARE(itemTexts(w_->column(1)), QStringList{"/y0"});
        // Written back whole: nothing of the existing list is lost.
        QCOMPARE(fileBytes(w_->path("B.lst")), std::string("/b0\r\n/y0\r\n"));
    } else {
        QCOMPARE(w_->column(0).count(), 0);
        QCOMPARE(w_->column(1).count(), 0);
    }
}

void ListFilesTest::deletingTheSelectedListFile_data() {
    QTest::addColumn<QString>("selected");  // empty: nothing selected in File2
    QTest::addColumn<QString>("left");      // the list switched to afterwards
    QTest::newRow("the current list") << "A.lst"
                                      << "B.lst";
    QTest::newRow("another list") << "B.lst"
                                  << "A.lst";
    QTest::newRow("nothing selected") << ""
                                      << "";
}

void ListFilesTest::deletingTheSelectedListFile() {
    QFETCH(QString, selected);
    QFETCH(QString, left);
    const QStringList before = namesIn(w_->folder);
    // Selected as with the arrow keys: a click would switch to the list.
    file2().setCurrentRow(file2Row(selected));
    ModalAnswerer answerer;

    action("mn3_1")->trigger();

    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(itemTexts(w_->column(0)), (QStringList{"/a0", "/a1"}));
    QCOMPARE(itemTexts(w_->column(1)), (QStringList{"/x0", "/x1"}));
    if (selected.isEmpty()) {
        QCOMPARE(namesIn(w_->folder), before);
        QCOMPARE(w_->form.ListPath, w_->path("A.lst"));
        return;
    }
    QVERIFY(!fs::exists(w_->path(selected.toStdString())));
    QCOMPARE(itemTexts(file2()), QStringList{left});
    QCOMPARE(w_->form.ListPath, std::string());
    // The current list was not saved, deleted or not.
    QCOMPARE(fileBytes(w_->path(left.toStdString())), left == "A.lst" ? kListA : kListB);

    // With no list current, a switch saves nothing: the deleted list stays deleted.
    QVERIFY(clickFile2(left));
    QCOMPARE(w_->form.ListPath, w_->path(left.toStdString()));
    QVERIFY(!fs::exists(w_->path(selected.toStdString())));
    QCOMPARE(fileBytes(w_->path(left.toStdString())), left == "A.lst" ? kListA : kListB);
}

void ListFilesTest::aListFileThatCannotBeDeletedIsReportedAndStaysCurrent() {
    // Root may remove any file, but nobody can unlink a folder: one that took the list's place
    // after File2 listed it makes the removal fail for real.
    fs::remove(w_->path("A.lst"));
    fs::create_directories(w_->path("A.lst/inside"));
    file2().setCurrentRow(file2Row("A.lst"));
    ModalAnswerer answerer;

    action("mn3_1")->trigger();

    QCOMPARE(answerer.texts, QStringList{boxText(text::kFileNotDeleted, w_->path("A.lst"),
                                                 std::errc::is_a_directory)});
    QCOMPARE(w_->form.ListPath, w_->path("A.lst"));
    QVERIFY(fs::is_directory(w_->path("A.lst/inside")));
}

void ListFilesTest::withNoListFileTheExchangeMenuOffersAListNamedZero() {
    fs::remove(w_->path("B.lst"));
    file2().setCurrentRow(file2Row("A.lst"));
    action("mn3_1")->trigger();
    QCOMPARE(file2().count(), 0);

    QCOMPARE(offeredByTheExchangeMenu(), QStringList{"0"});
    QCOMPARE(action("mn4_0")->text(), QStringLiteral("0"));
    action("mn4_0")->trigger();

    QCOMPARE(w_->form.ListPath, w_->path("0"));
    QCOMPARE(w_->column(0).count(), 0);
    QCOMPARE(w_->column(1).count(), 0);
    QVERIFY(!fs::exists(w_->path("0")));
    // The next save creates it under that very name.
    w_->box(0).setText("/s");
    w_->box(1).setText("/b");
    ModalAnswerer answerer;
    action("mn1_0")->trigger();
    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(fileBytes(w_->path("0")), std::string("/s\r\n/b\r\n"));
    QVERIFY(!fs::exists(w_->path("0.lst")));
}

QTEST_MAIN(ListFilesTest)
#include "list_files_test.moc"
