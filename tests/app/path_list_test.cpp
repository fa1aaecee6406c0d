// The path-list panel on its own: the current list and its file, the selection of a pair, and
// every edit of the list. Every edit must keep the bytes of the entries it does not change.
#include <QAction>
#include <QListView>
#include <QMenu>
#include <QtTest>

#include "app/path_list_panel.h"
#include "app/window_texts.h"
#include "engine/messages.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/app/support/window_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace text = sorvik::app::text;
using sorvik::app::Column;
using sorvik::app::PathListPanel;
using sorvik::lists::PathPair;
using sorvik::test::boxText;
using sorvik::test::fileBytes;
using sorvik::test::ModalAnswerer;
using sorvik::test::qText;
using sorvik::test::shownTexts;
using sorvik::test::writeFile;

// Lone LF line ends: any save writes CR LF, so the bytes tell whether the file was rewritten.
const std::string kThree = "/s0\n/b0\n/s1\n/b1\n/s2\n/b2\n";
const std::string kThreeSaved = "/s0\r\n/b0\r\n/s1\r\n/b1\r\n/s2\r\n/b2\r\n";
// A source folder whose name is not UTF-8, in a list written as UTF-8: kept byte for byte.
const std::string kOdd = "/data/caf\xE9/";

struct Panel : sorvik::test::ProgramFolder {
    Panel() {
        QObject::connect(&panel, &PathListPanel::pairSelected,
                         [this](const PathPair& pair) { shown.push_back(pair); });
    }
    // Makes list `name` holding `bytes` current.
    void open(const std::string& bytes, std::string_view name = "A.lst") {
        writeFile(path(name), bytes);
        panel.open(path(name));
    }
    QListView& view(int column) {
        return *panel.findChild<QListView*>(column == 0 ? QStringLiteral("sourceColumn")
                                                        : QStringLiteral("backupColumn"));
    }
    QStringList columnTexts(int column) { return shownTexts(view(column)); }
    QAction& item(const char* name) { return *panel.findChild<QAction*>(QLatin1String(name)); }
    QMenu& menu(const char* name) { return *panel.findChild<QMenu*>(QLatin1String(name)); }
    bool show() {
        panel.show();
        return QTest::qWaitForWindowExposed(&panel);
    }
    void clickRow(int column, int row, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers keys = {}) {
        QListView& v = view(column);
        QTest::mouseClick(v.viewport(), button, keys,
                          v.visualRect(v.model()->index(row, column)).center());
    }
    // The file names the exchange menu offers after a right click on the bare panel.
    QStringList offered() {
        QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(3, 3));
        QStringList names;
        for (QAction* action : menu("listExchangeMenu").actions()) {
            if (action->isVisible()) {
                names << QString::fromUtf8(action->data().toByteArray());
            }
        }
        menu("listExchangeMenu").hide();
        return names;
    }

    PathListPanel panel{files, nullptr};
    std::vector<PathPair> shown;
};

}  // namespace

class PathListTest : public QObject {
    Q_OBJECT

  private slots:
    void openingShowsThePairsAndSelectsNothing() {
        Panel p;
        // Code page 932: a Japanese folder, a trailing separator and an empty entry.
        p.open("/home/\x8E\xCA\x90\x5E/\r\n/mnt/\x8E\xCA\x90\x5E\r\n/work\r\n\r\n");
        QCOMPARE(p.columnTexts(0), (QStringList{"/home/写真/", "/work"}));
        QCOMPARE(p.columnTexts(1), (QStringList{"/mnt/写真", ""}));
        QVERIFY(!p.panel.selectedRow());
        QVERIFY(p.shown.empty());
        // A missing list is created empty when opened, and is empty when switched to.
        p.panel.open(p.path("new.lst"));
        QCOMPARE(fileBytes(p.path("new.lst")), std::string());
        p.panel.switchTo(p.path("none.lst"));
        QCOMPARE(p.columnTexts(0), QStringList());
        QVERIFY(!fs::exists(p.path("none.lst")));
        QCOMPARE(p.panel.listPath(), p.path("none.lst"));
    }

    void anUnreadableListIsReportedAndNeverOverwritten() {
        Panel p;
        const std::string undecodable = "/src\r\n\x81\r\n";
        p.open(kThree, "A.lst");
        writeFile(p.path("bad.lst"), undecodable);
        ModalAnswerer answerer;
        p.panel.switchTo(p.path("bad.lst"));
        QCOMPARE(answerer.texts,
                 QStringList{boxText(sorvik::engine::text::kFileUnreadable, p.path("bad.lst"),
                                     std::errc::illegal_byte_sequence)});
        QCOMPARE(p.panel.listPath(), std::string());
        QCOMPARE(p.columnTexts(0), QStringList());
        QVERIFY(p.panel.save());
        QCOMPARE(fileBytes(p.path("bad.lst")), undecodable);
    }

    void switchingSavesTheCurrentListThenLoadsTheOther_data() {
        QTest::addColumn<bool>("throughTheMenu");
        QTest::addColumn<bool>("saveFails");
        QTest::newRow("switch") << false << false;
        QTest::newRow("exchange menu") << true << false;
        QTest::newRow("switch, the save fails") << false << true;
        QTest::newRow("exchange menu, the save fails") << true << true;
    }
    void switchingSavesTheCurrentListThenLoadsTheOther() {
        QFETCH(bool, throughTheMenu);
        QFETCH(bool, saveFails);
        Panel p;
        p.open(kThree);
        writeFile(p.path("B.lst"), "/b\n/y\n");
        p.panel.selectPair(1);
        if (saveFails) {  // nobody can replace a folder that holds something with a file
            fs::remove(p.path("A.lst"));
            writeFile(p.path("A.lst/inside"), "x");
        }
        ModalAnswerer answerer;
        if (throughTheMenu) {
            const auto item = p.offered().indexOf(QStringLiteral("B.lst"));
            p.menu("listExchangeMenu").actions().at(item)->trigger();
        } else {
            p.panel.switchTo(p.path("B.lst"));
        }
        if (saveFails) {
            QCOMPARE(answerer.texts, QStringList{boxText(text::kFileUnwritable, p.path("A.lst"),
                                                         std::errc::is_a_directory)});
            QCOMPARE(p.panel.listPath(), p.path("A.lst"));
            QCOMPARE(p.columnTexts(0), (QStringList{"/s0", "/s1", "/s2"}));
            return;
        }
        QCOMPARE(fileBytes(p.path("A.lst")), kThreeSaved);
        QCOMPARE(fileBytes(p.path("B.lst")), std::string("/b\n/y\n"));  // loading writes nothing
        QCOMPARE(p.panel.listPath(), p.path("B.lst"));
        QCOMPARE(p.columnTexts(0), QStringList{"/b"});
        QCOMPARE(p.columnTexts(1), QStringList{"/y"});
        QVERIFY(!p.panel.selectedRow());
        QCOMPARE(answerer.texts, QStringList());
        // With no list current, as after its file was deleted, a switch saves nothing.
        fs::remove(p.path("B.lst"));
        p.panel.forgetList();
        p.panel.switchTo(p.path("A.lst"));
        QVERIFY(!fs::exists(p.path("B.lst")));
    }

    void aSelectionInEitherColumnSelectsThePair_data() {
        QTest::addColumn<int>("column");
        QTest::newRow("sources") << 0;
        QTest::newRow("backups") << 1;
    }
    void aSelectionInEitherColumnSelectsThePair() {
        QFETCH(int, column);
        Panel p;
        p.open(kThree);
        QVERIFY(p.show());
        p.clickRow(column, 2);
        QCOMPARE(p.panel.selectedRow(), std::optional<std::size_t>(2));
        QCOMPARE(p.view(0).currentIndex().row(), 2);
        QVERIFY(p.view(1 - column).selectionModel()->isRowSelected(2, {}));
        QVERIFY(!p.shown.empty());
        QCOMPARE(p.shown.back(), (PathPair{"/s2", "/b2"}));
        // Clicking the selected row again shows the pair again, as selecting it by program does.
        p.shown.clear();
        p.clickRow(column, 2);
        p.panel.selectPair(2);
        QCOMPARE(p.shown, (std::vector<PathPair>(2, PathPair{"/s2", "/b2"})));
        // A click that takes the selection away shows nothing.
        p.shown.clear();
        p.clickRow(column, 2, Qt::LeftButton, Qt::ControlModifier);
        QVERIFY(!p.panel.selectedRow());
        QVERIFY(p.shown.empty());
    }

    void theColumnsMenuDeletesThePairSelectedBefore_data() {
        QTest::addColumn<int>("column");  // right-clicked on its first row
        QTest::addColumn<std::string>("list");
        QTest::addColumn<int>("selected");  // -1: none
        QTest::addColumn<std::string>("written");
        QTest::newRow("the middle pair")
            << 0 << kThree << 1 << std::string("/s0\r\n/b0\r\n/s2\r\n/b2\r\n");
        QTest::newRow("the last pair")
            << 1 << kThree << 2 << std::string("/s0\r\n/b0\r\n/s1\r\n/b1\r\n");
        QTest::newRow("the only pair") << 0 << std::string("/s\n/b\n") << 0 << std::string();
        QTest::newRow("nothing selected") << 1 << kThree << -1 << kThree;
    }
    void theColumnsMenuDeletesThePairSelectedBefore() {
        QFETCH(int, column);
        QFETCH(std::string, list);
        QFETCH(int, selected);
        QFETCH(std::string, written);
        Panel p;
        p.open(list);
        QVERIFY(p.show());
        if (selected >= 0) {
            p.panel.selectPair(static_cast<std::size_t>(selected));
        }
        p.shown.clear();
        p.clickRow(column, 0, Qt::RightButton);
        QVERIFY(p.menu("pairMenu").isVisible());
        QCOMPARE(p.panel.selectedRow(),
                 selected >= 0 ? std::optional<std::size_t>(selected) : std::nullopt);
        ModalAnswerer answerer;
        p.item("deletePairItem").trigger();
        p.menu("pairMenu").hide();
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(fileBytes(p.path("A.lst")), written);
        QCOMPARE(p.panel.pairs().size(), static_cast<std::size_t>(p.columnTexts(1).size()));
        // No neighbour inherits the selection, and no pair is shown anew.
        QVERIFY(!p.panel.selectedRow());
        QVERIFY(p.shown.empty());
    }

    void addAppendsThePairToTheListFile_data() {
        QTest::addColumn<std::string>("list");  // "<none>": no file
        QTest::addColumn<PathPair>("pair");
        QTest::addColumn<int>("times");
        QTest::addColumn<std::string>("written");
        QTest::newRow("after the last pair")
            << kThree << PathPair{"/new", "/mnt/new"} << 1 << kThreeSaved + "/new\r\n/mnt/new\r\n";
        QTest::newRow("Japanese, in code page 932")
            << std::string() << PathPair{"/home/写真/", "/mnt/写真"} << 1
            << std::string("/home/\x8E\xCA\x90\x5E/\r\n/mnt/\x8E\xCA\x90\x5E\r\n");
        QTest::newRow("an empty pair")
            << std::string("/s\n/b\n") << PathPair{} << 1 << std::string("/s\r\n/b\r\n\r\n\r\n");
        QTest::newRow("twice") << std::string() << PathPair{"/a", "/b"} << 2
                               << std::string("/a\r\n/b\r\n/a\r\n/b\r\n");
        QTest::newRow("a missing list is created")
            << std::string("<none>") << PathPair{"/a", "/b"} << 1 << std::string("/a\r\n/b\r\n");
    }
    void addAppendsThePairToTheListFile() {
        QFETCH(std::string, list);
        QFETCH(PathPair, pair);
        QFETCH(int, times);
        QFETCH(std::string, written);
        Panel p;
        p.open(list == "<none>" ? std::string() : list);
        if (list == "<none>") {
            fs::remove(p.path("A.lst"));
        }
        p.panel.selectPair(0);
        ModalAnswerer answerer;
        for (int i = 0; i < times; ++i) {
            p.panel.addPair(pair);
        }
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(fileBytes(p.path("A.lst")), written);
        QVERIFY(!fs::exists(p.path("A.lst-")));
        QCOMPARE(p.columnTexts(0).last(), qText(pair.source));
        QCOMPARE(p.columnTexts(1).size(), p.columnTexts(0).size());
        QVERIFY(!p.panel.selectedRow());
    }

    void anAddThatFailsChangesNothing_data() {
        QTest::addColumn<bool>("unreadable");  // else the work copy cannot be written
        QTest::newRow("work copy") << false;
        QTest::newRow("list no longer text") << true;
    }
    void anAddThatFailsChangesNothing() {
        QFETCH(bool, unreadable);
        Panel p;
        p.open(kThree);
        const std::string bytes = unreadable ? "/s\r\n\x81\r\n" : kThree;
        writeFile(p.path("A.lst"), bytes);
        writeFile(p.path(unreadable ? "other" : "A.lst-/inside"), "x");
        ModalAnswerer answerer;
        p.panel.addPair({"/new", "/mnt/new"});
        QCOMPARE(answerer.texts,
                 QStringList{unreadable ? boxText(sorvik::engine::text::kFileUnreadable,
                                                  p.path("A.lst"), std::errc::illegal_byte_sequence)
                                        : boxText(text::kFileUnwritable, p.path("A.lst-"),
                                                  std::errc::is_a_directory)});
        QCOMPARE(fileBytes(p.path("A.lst")), bytes);
        QCOMPARE(p.panel.listPath(), p.path("A.lst"));
        QCOMPARE(p.columnTexts(0), (QStringList{"/s0", "/s1", "/s2"}));
    }

    void withNoListCurrentAnEditIsShownButNotSaved_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("sources");
        QTest::newRow("add") << "add" << QStringList{"/s0", "/s1", "/s2", "/new"};
        QTest::newRow("delete") << "delete" << QStringList{"/s0", "/s2"};
        QTest::newRow("letters") << "letters" << QStringList{"xs0", "xs1", "xs2"};
    }
    void withNoListCurrentAnEditIsShownButNotSaved() {
        QFETCH(QString, edit);
        QFETCH(QStringList, sources);
        Panel p;
        p.open(kThree);
        fs::remove(p.path("A.lst"));
        p.panel.forgetList();
        p.panel.selectPair(1);
        ModalAnswerer answerer(QMessageBox::Yes);
        if (edit == QLatin1String("add")) {
            p.panel.addPair({"/new", "/b"});
        } else if (edit == QLatin1String("delete")) {
            p.panel.deleteSelectedPair();
        } else {
            p.panel.swapDriveLetter(Column::source, QStringLiteral("/"), QStringLiteral("x"));
        }
        QCOMPARE(answerer.texts.last(), qText(text::kNoListSelected));
        QCOMPARE(p.columnTexts(0), sources);
        QVERIFY(!p.panel.selectedRow() || edit == QLatin1String("letters"));
        QVERIFY(fs::is_empty(p.folder));
    }

    void theLetterSwapMovesMatchingEntriesOfOneColumn_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("changed");
        const QStringList mixed{"c:/x", "C:/y", "d:/z", "/c", ""};
        QTest::newRow("c to d, either case")
            << 0 << "c"
            << "d" << true << mixed << QStringList{"d:/x", "d:/y", "d:/z", "/c", ""};
        QTest::newRow("C to D in the backups, as typed")
            << 1 << "C"
            << "D" << true << mixed << QStringList{"D:/x", "D:/y", "d:/z", "/c", ""};
        QTest::newRow("a backslash")
            << 0 << "\\"
            << "e" << true << QStringList{"\\\\srv", "e:\\b"} << QStringList{"e\\srv", "e:\\b"};
        QTest::newRow("beyond the BMP")
            << 0 << "😀"
            << "c" << true << QStringList{"😀/x", "写/y"} << QStringList{"c/x", "写/y"};
        QTest::newRow("no match, saved all the same")
            << 0 << "x"
            << "y" << true << QStringList{"c:/x"} << QStringList{"c:/x"};
        QTest::newRow("answered No") << 0 << "c"
                                     << "d" << false << QStringList{"c:/x"} << QStringList{"c:/x"};
    }
    void theLetterSwapMovesMatchingEntriesOfOneColumn() {
        QFETCH(int, column);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, yes);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, changed);
        checkColumnRewrite(column, entries, changed, yes, [&](PathListPanel& panel) {
            panel.swapDriveLetter(static_cast<Column>(column), from, to);
            return from + QStringLiteral(":\\ を\n") + to + QStringLiteral(":\\ に変更しますか？");
        });
    }

    void aDriveMoveRewritesTheWholeColumn_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("changed");
        // The moves themselves are pathOnDrive's; here they reach the column and the file.
        const QStringList entries{"/media/old/data/", "/home"};
        const QStringList moved{"/media/usb/data/", "/media/usb"};
        QTest::newRow("sources") << 0 << true << entries << moved;
        QTest::newRow("backups") << 1 << true << entries << moved;
        QTest::newRow("answered No") << 0 << false << entries << entries;
        QTest::newRow("an empty list is asked about and saved")
            << 0 << true << QStringList() << QStringList();
    }
    void aDriveMoveRewritesTheWholeColumn() {
        QFETCH(int, column);
        QFETCH(bool, yes);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, changed);
        checkColumnRewrite(column, entries, changed, yes, [&](PathListPanel& panel) {
            panel.moveToDrive(static_cast<Column>(column), "/media/usb");
            return QStringLiteral("パスリストを一括変更しますか？");
        });
    }

    void bytesThatAreNotUtf8SurviveEveryEditOfOtherEntries() {
        Panel p;
        p.open("\xEF\xBB\xBF" + kOdd + "\r\n/bk/a\r\n/s1\r\n/b1\r\n/s2\r\n/b2\r\n");
        writeFile(p.path("B.lst"), "");
        ModalAnswerer answerer(QMessageBox::Yes);
        std::string odd = kOdd;
        const auto oddSurvived = [&p, &odd] {
            return !p.panel.pairs().empty() && p.panel.pairs()[0].source == odd &&
                   fileBytes(p.path("A.lst")).find(odd) != std::string::npos;
        };
        p.panel.addPair({"/new", "/bk/new"});
        QVERIFY(oddSurvived());
        p.panel.selectPair(2);
        p.panel.deleteSelectedPair();
        QVERIFY(oddSurvived());
        p.panel.swapDriveLetter(Column::source, QStringLiteral("/"), QStringLiteral("x"));
        p.panel.moveToDrive(Column::backup, "/media/usb");
        odd = "x" + kOdd.substr(1);  // its own column's letters moved, its other bytes stay
        QVERIFY(oddSurvived());
        p.panel.switchTo(p.path("B.lst"));
        p.panel.switchTo(p.path("A.lst"));
        QVERIFY(p.panel.save());
        QVERIFY(oddSurvived());
        // Deleting an entry that is no UTF-8 itself leaves the others' bytes alone too.
        p.shown.clear();
        p.panel.selectPair(0);
        QVERIFY(!p.shown.empty());
        QCOMPARE(p.shown.back().source, "x" + kOdd.substr(1));
        QCOMPARE(answerer.texts.size(), 2);  // the two questions
    }

    void aNewListIsAskedForAndMadeCurrent_data() {
        QTest::addColumn<QString>("answer");   // null: cancelled
        QTest::addColumn<QString>("created");  // empty: no new file
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("a name") << "work"
                                << "work.lst"
                                << "work.lst" << QStringList();
        QTest::newRow(".lst twice") << "x.lst"
                                    << "x.lst.lst"
                                    << "x.lst.lst" << QStringList();
        QTest::newRow("an existing list") << "B"
                                          << ""
                                          << "B.lst" << QStringList();
        QTest::newRow("cancelled") << QString() << ""
                                   << "A.lst" << QStringList();
        QTest::newRow("empty") << ""
                               << ""
                               << "A.lst" << QStringList();
        for (const char* bad : {"a/b", "  ", "a:b", "a*"}) {
            QTest::newRow(bad) << bad << ""
                               << "A.lst"
                               << QStringList{QStringLiteral("リスト名が正しくありません")};
        }
    }
    void aNewListIsAskedForAndMadeCurrent() {
        QFETCH(QString, answer);
        QFETCH(QString, created);
        QFETCH(QString, current);
        QFETCH(QStringList, boxes);
        Panel p;
        p.open(kThree);
        writeFile(p.path("B.lst"), "/b\n/y\n");
        int refreshes = 0;
        QObject::connect(&p.panel, &PathListPanel::listFilesChanged, [&] { ++refreshes; });
        ModalAnswerer answerer;
        answerer.inputAnswers << answer;
        p.panel.createList();
        QCOMPARE(answerer.inputTitles, QStringList{"Sorvik"});
        QCOMPARE(answerer.prompts, QStringList{"新規ファイルリスト名を入力してください"});
        QCOMPARE(answerer.texts, boxes);
        QCOMPARE(refreshes, 1);
        // The current list is saved before the name is asked for, whatever the answer.
        QCOMPARE(fileBytes(p.path("A.lst")), kThreeSaved);
        if (!created.isEmpty()) {
            QCOMPARE(fileBytes(p.path(created.toStdString())), std::string());
        }
        QCOMPARE(p.panel.listPath(), p.path(current.toStdString()));
        if (current == QLatin1String("B.lst")) {
            QCOMPARE(fileBytes(p.path("B.lst")), std::string("/b\r\n/y\r\n"));
            QCOMPARE(p.columnTexts(0), QStringList{"/b"});
        }
        QCOMPARE(std::distance(fs::directory_iterator(p.folder), fs::directory_iterator()),
                 created.isEmpty() ? 2 : 3);
    }

    void theExchangeMenuOffersTheFirstTenListFiles_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("three, sorted")
            << QStringList{"C.lst", "a.lst", "B.lst"} << QStringList{"a.lst", "B.lst", "C.lst"};
        QStringList twelve;
        for (int i = 0; i < 12; ++i) {
            twelve << QStringLiteral("L%1.lst").arg(i, 2, 10, QLatin1Char('0'));
        }
        QTest::newRow("twelve") << twelve << twelve.mid(0, 10);
        QTest::newRow("an ampersand") << QStringList{"R&D.lst"} << QStringList{"R&D.lst"};
        QTest::newRow("other files")
            << QStringList{"n.txt", "x.lst.bak", "y.lst"} << QStringList{"y.lst"};
    }
    void theExchangeMenuOffersTheFirstTenListFiles() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, offered);
        Panel p;
        QVERIFY(p.show());
        for (const QString& name : files) {
            writeFile(p.path(name.toStdString()), "");
        }
        QCOMPARE(p.offered(), offered);
        QCOMPARE(p.menu("listExchangeMenu").actions().at(0)->text(),
                 QString(offered.first()).replace(QLatin1Char('&'), QStringLiteral("&&")));
    }

    void theExchangeMenuKeepsItsFirstItemAndOpensOnlyOnARightClick() {
        Panel p;
        QVERIFY(p.show());
        QCOMPARE(p.offered(), QStringList{"0"});
        for (const char* name : {"a.lst", "b.lst", "c.lst"}) {
            writeFile(p.path(name), "");
        }
        QTest::mouseClick(&p.panel, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseClick(&p.panel, Qt::MiddleButton, {}, QPoint(3, 3));
        QVERIFY(!p.menu("listExchangeMenu").isVisible());
        QCOMPARE(p.offered().size(), 3);
        fs::remove(p.path("b.lst"));
        fs::remove(p.path("c.lst"));
        QCOMPARE(p.offered(), QStringList{"a.lst"});
        fs::remove(p.path("a.lst"));
        QCOMPARE(p.offered(), QStringList{"a.lst"});
        // Its caption names a list that is gone: choosing it makes an empty list of that name.
        p.menu("listExchangeMenu").actions().at(0)->trigger();
        QCOMPARE(p.panel.listPath(), p.path("a.lst"));
        QVERIFY(!fs::exists(p.path("a.lst")));
    }

  private:
    // Opens a list whose two columns both hold `entries`, rewrites one through `rewrite`, and
    // checks the question, the columns and the file.
    static void checkColumnRewrite(int column, const QStringList& entries,
                                   const QStringList& changed, bool yes,
                                   const std::function<QString(PathListPanel&)>& rewrite) {
        Panel p;
        std::string bytes = entries.isEmpty() ? "\n" : "";
        std::vector<PathPair> expected;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            bytes += entries[i].toStdString() + "\n" + entries[i].toStdString() + "\n";
            PathPair pair{changed[i].toStdString(), entries[i].toStdString()};
            if (column == 1) {
                std::swap(pair.source, pair.backup);
            }
            expected.push_back(pair);
        }
        if (entries.join(QString()).toStdString().size() !=
            static_cast<std::size_t>(entries.join(QString()).size())) {
            bytes = "\xEF\xBB\xBF" + bytes;
        }
        p.open(bytes);
        ModalAnswerer answerer(yes ? QMessageBox::Yes : QMessageBox::No);
        const QString question = rewrite(p.panel);
        QCOMPARE(answerer.titles, QStringList{"Sorvik"});
        QCOMPARE(answerer.texts, QStringList{question});
        QCOMPARE(p.panel.pairs(), expected);
        if (yes) {
            const auto written = sorvik::lists::readListFile(p.path("A.lst"));
            QVERIFY(written);
            QCOMPARE(*written, expected);
            QVERIFY(fileBytes(p.path("A.lst")) != bytes);
        } else {
            QCOMPARE(fileBytes(p.path("A.lst")), bytes);
        }
    }
};

QTEST_MAIN(PathListTest)
#include "path_list_test.moc"
