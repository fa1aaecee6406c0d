// The path-list panel on its own: the current list and its file, the selection of a pair, and
// every edit of the list. Every edit must keep the bytes of the entries it does not change.

#include "tests/app/support/window_fixture.h"

namespace {

using namespace sorvik::test;
namespace text = sorvik::app::text;
using sorvik::app::Column;
using Pairs = std::vector<PathPair>;
using Row = std::optional<std::size_t>;

// Lone LF line ends: any save writes CR LF, so the bytes tell whether the file was rewritten.
const std::string kThree = "/s0\n/b0\n/s1\n/b1\n/s2\n/b2\n";
const std::string kThreeSaved = "/s0\r\n/b0\r\n/s1\r\n/b1\r\n/s2\r\n/b2\r\n";
const QStringList kThreeSources{"/s0", "/s1", "/s2"};
const std::string_view kUnreadable = sorvik::engine::text::kFileUnreadable;

struct Panel : ProgramFolder {
    // Makes list A.lst holding `bytes` current.
    explicit Panel(const std::string& bytes = kThree) {
        QObject::connect(&panel, &sorvik::app::PathListPanel::pairSelected,
                         [this](const PathPair& pair) { shown.push_back(pair); });
        writeFile(path("A.lst"), bytes);
        panel.open(path("A.lst"));
    }
    QListView& view(int column) {
        return *panel.findChild<QListView*>(column == 0 ? "sourceColumn" : "backupColumn");
    }
    QStringList columnTexts(int column) { return shownTexts(view(column)); }
    QMenu& menu(const char* name) { return *panel.findChild<QMenu*>(name); }
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
        if (!menu("listExchangeMenu").isVisible()) {
            return {QStringLiteral("(no menu shown)")};
        }
        QStringList names;
        for (QAction* action : menu("listExchangeMenu").actions()) {
            if (action->isVisible()) {
                names << QString::fromUtf8(action->data().toByteArray());
            }
        }
        menu("listExchangeMenu").hide();
        return names;
    }

    sorvik::app::PathListPanel panel{files, nullptr};
    Pairs shown;
};

struct Rewrite {
    int column;
    QString from;  // "drive": a move to /media/usb, else the letter swap from it to `to`
    QString to;
    bool yes;
    QStringList entries, changed;
};

}  // namespace

class PathListTest : public QObject {
    Q_OBJECT

  private slots:
    void openingShowsThePairsAndAnUnreadableListIsNeverOverwritten() {
        // Code page 932: a Japanese folder, a trailing separator and an empty entry.
        Panel p("/home/\x8E\xCA\x90\x5E/\r\n/mnt/\x8E\xCA\x90\x5E\r\n/work\r\n\r\n");
        QCOMPARE(p.columnTexts(0) + p.columnTexts(1),
                 (QStringList{"/home/写真/", "/work", "/mnt/写真", ""}));
        QVERIFY(!p.panel.selectedRow() && p.shown.empty());
        // A missing list is created empty when opened, and is empty when switched to.
        p.panel.open(p.path("new.lst"));
        QCOMPARE(fileBytes(p.path("new.lst")), std::string());
        p.panel.switchTo(p.path("none.lst"));
        QVERIFY(p.columnTexts(0).isEmpty() && !fs::exists(p.path("none.lst")));
        QCOMPARE(p.panel.listPath(), p.path("none.lst"));
        writeFile(p.path("bad.lst"), "/src\r\n\x81\r\n");
        ModalAnswerer answerer;
        p.panel.switchTo(p.path("bad.lst"));
        QCOMPARE(answerer.texts, QStringList{boxText(kUnreadable, p.path("bad.lst"),
                                                     std::errc::illegal_byte_sequence)});
        QVERIFY(p.panel.listPath().empty() && p.columnTexts(0).isEmpty() && p.panel.save());
        QCOMPARE(fileBytes(p.path("bad.lst")), std::string("/src\r\n\x81\r\n"));
        p.panel.open(p.path("none/x.lst"));  // a missing list that cannot be created is told
        QCOMPARE(answerer.texts.last(),
                 (boxText(text::kFileUnwritable, p.path("none/x.lst"),
                          std::errc::no_such_file_or_directory, 3 /* ERROR_PATH_NOT_FOUND */)));
    }

    void switchingSavesTheCurrentListThenLoadsTheOther_data() {
        QTest::addColumn<bool>("saveFails");
        QTest::newRow("saved") << false;
        QTest::newRow("the save fails") << true;
    }
    void switchingSavesTheCurrentListThenLoadsTheOther() {
        QFETCH(bool, saveFails);
        Panel p;
        writeFile(p.path("B.lst"), "/b\n/y\n");
        p.panel.selectPair(1);
        if (saveFails) {  // nobody can replace a folder that holds something with a file
            fs::remove(p.path("A.lst"));
            writeFile(p.path("A.lst/inside"), "x");
        }
        ModalAnswerer answerer;
        p.menu("listExchangeMenu").actions().at(p.offered().indexOf("B.lst"))->trigger();
        if (saveFails) {
            QCOMPARE(answerer.texts, QStringList{boxText(text::kFileUnwritable, p.path("A.lst"),
                                                         std::errc::is_a_directory)});
            QCOMPARE(p.panel.listPath(), p.path("A.lst"));
            QCOMPARE(p.columnTexts(0), kThreeSources);
            return;
        }
        QCOMPARE(fileBytes(p.path("A.lst")), kThreeSaved);
        QCOMPARE(fileBytes(p.path("B.lst")), std::string("/b\n/y\n"));  // loading writes nothing
        QCOMPARE(p.panel.listPath(), p.path("B.lst"));
        QCOMPARE(p.columnTexts(0) + p.columnTexts(1), (QStringList{"/b", "/y"}));
        QVERIFY(!p.panel.selectedRow() && answerer.texts.isEmpty());
        // With no list current, as after its file was deleted, a switch saves nothing.
        fs::remove(p.path("B.lst"));
        p.panel.forgetList();
        p.panel.switchTo(p.path("A.lst"));
        QVERIFY(!fs::exists(p.path("B.lst")));
    }

    void aClickInEitherColumnSelectsThePair() {
        for (const int column : {0, 1}) {
            Panel p;
            QVERIFY(p.show());
            p.clickRow(column, 2);
            QCOMPARE(p.panel.selectedRow(), Row(2));
            QCOMPARE(p.shown.back(), (PathPair{"/s2", "/b2"}));
            p.shown.clear();
            QVERIFY(p.view(1 - column).selectionModel()->isRowSelected(2, {}));
            // Clicking the selected row again shows the pair again, as selecting it does.
            p.clickRow(column, 2);
            p.panel.selectPair(2);
            QCOMPARE(p.shown, Pairs(2, PathPair{"/s2", "/b2"}));
            // A click that takes the selection away shows nothing.
            p.clickRow(column, 2, Qt::LeftButton, Qt::ControlModifier);
            QVERIFY(!p.panel.selectedRow() && p.shown.size() == 2);
        }
    }

    void theColumnsMenuDeletesThePairSelectedBefore_data() {
        QTest::addColumn<int>("selected");  // -1: none; right-clicked on the first row
        QTest::addColumn<std::string>("written");
        QTest::newRow("the middle pair") << 1 << std::string("/s0\r\n/b0\r\n/s2\r\n/b2\r\n");
        QTest::newRow("the last pair") << 2 << std::string("/s0\r\n/b0\r\n/s1\r\n/b1\r\n");
        QTest::newRow("nothing selected") << -1 << kThree;
    }
    void theColumnsMenuDeletesThePairSelectedBefore() {
        QFETCH(int, selected);
        QFETCH(std::string, written);
        Panel p;
        QVERIFY(p.show());
        if (selected >= 0) {
            p.panel.selectPair(static_cast<std::size_t>(selected));
        }
        p.shown.clear();
        p.clickRow(selected & 1, 0, Qt::RightButton);
        QVERIFY(p.menu("pairMenu").isVisible());
        QCOMPARE(p.panel.selectedRow(), selected >= 0 ? Row(selected) : std::nullopt);
        ModalAnswerer answerer;
        p.panel.findChild<QAction*>("deletePairItem")->trigger();
        p.menu("pairMenu").hide();
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(fileBytes(p.path("A.lst")), written);
        QCOMPARE(p.columnTexts(1).size(), selected >= 0 ? 2 : 3);
        // No neighbour inherits the selection, and no pair is shown anew.
        QVERIFY(!p.panel.selectedRow() && p.shown.empty());
    }

    void addAppendsThePairToTheListFile_data() {
        QTest::addColumn<std::string>("list");  // "<none>": no file
        QTest::addColumn<PathPair>("pair");
        QTest::addColumn<std::string>("saved");  // the list before the adds, as a save writes it
        QTest::addColumn<std::string>("added");  // what each add appends
        QTest::newRow("after the last pair") << kThree << PathPair{"/new", "/mnt/new"}
                                             << kThreeSaved << std::string("/new\r\n/mnt/new\r\n");
        QTest::newRow("Japanese, in code page 932, on an empty pair")
            << std::string("\n\n") << PathPair{"/home/写真/", "/mnt/写真"}
            << std::string("\r\n\r\n")
            << std::string("/home/\x8E\xCA\x90\x5E/\r\n/mnt/\x8E\xCA\x90\x5E\r\n");
        QTest::newRow("a missing list is created, an empty pair")
            << std::string("<none>") << PathPair{} << std::string() << std::string("\r\n\r\n");
    }
    void addAppendsThePairToTheListFile() {
        QFETCH(std::string, list);
        QFETCH(PathPair, pair);
        QFETCH(std::string, saved);
        QFETCH(std::string, added);
        Panel p(list == "<none>" ? std::string() : list);
        if (list == "<none>") {
            fs::remove(p.path("A.lst"));
        }
        p.panel.selectPair(0);
        ModalAnswerer answerer;
        p.panel.addPair(pair);
        p.panel.addPair(pair);  // the second appends to what the first left
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(fileBytes(p.path("A.lst")), saved + added + added);
        QVERIFY(!fs::exists(p.path("A.lst-")) && !p.panel.selectedRow());
        QCOMPARE(p.panel.pairs().back(), pair);
        QCOMPARE(p.columnTexts(0).last(), qText(pair.source));
        QCOMPARE(p.columnTexts(1).size(), p.columnTexts(0).size());
    }

    void anAddThatFailsChangesNothing() {
        for (const bool unreadable : {false, true}) {  // else the work copy cannot be written
            Panel p;
            const std::string bytes = unreadable ? "/s\r\n\x81\r\n" : kThree;
            writeFile(p.path("A.lst"), bytes);
            writeFile(p.path(unreadable ? "other" : "A.lst-/inside"), "x");
            ModalAnswerer answerer;
            p.panel.addPair({"/new", "/mnt/new"});
            QCOMPARE(answerer.texts,
                     QStringList{unreadable ? boxText(kUnreadable, p.path("A.lst"),
                                                      std::errc::illegal_byte_sequence)
                                            : boxText(text::kFileUnwritable, p.path("A.lst-"),
                                                      std::errc::is_a_directory)});
            QCOMPARE(fileBytes(p.path("A.lst")), bytes);
            QCOMPARE(p.panel.listPath(), p.path("A.lst"));
            QCOMPARE(p.columnTexts(0), kThreeSources);
        }
    }

    void withNoListCurrentAnEditIsShownButNotSaved() {
        const QStringList sources[] = {{"/s0", "/s1", "/s2", "/new"},
                                       {"/s0", "/s2"},
                                       {"xs0", "xs1", "xs2"},
#ifdef _WIN32
                                       { "E:0",
                                         "E:1",
                                         "E:2" }};
#else
                                       {"/media/usb", "/media/usb", "/media/usb"}};
#endif
        for (int edit = 0; edit < 4; ++edit) {
            Panel p;
            fs::remove(p.path("A.lst"));
            p.panel.forgetList();
            p.panel.selectPair(1);
            ModalAnswerer answerer(QMessageBox::Yes);
            edit == 0   ? p.panel.addPair({"/new", "/b"})
            : edit == 1 ? p.panel.deleteSelectedPair()
            : edit == 2 ? p.panel.swapDriveLetter(Column::source, "/", "x")
                        : p.panel.moveToDrive(Column::source, kDriveMove.drive);
            QCOMPARE(answerer.texts.last(), qText(text::kNoListSelected));
            QCOMPARE(p.columnTexts(0), sources[edit]);
            QVERIFY(!p.panel.selectedRow() || edit >= 2);
            QVERIFY(fs::is_empty(p.folder));
        }
    }

    void aColumnRewriteAsksThenChangesOneColumn_data() {
        QTest::addColumn<Rewrite>("c");
        const QStringList mixed{"c:/x", "C:/y", "d:/z", "/c", ""};
        const QStringList media = kDriveMove.before;
        QTest::newRow("c to d, either case")
            << Rewrite{0, "c", "d", true, mixed, {"d:/x", "d:/y", "d:/z", "/c", ""}};
        QTest::newRow("C to D in the backups, as typed")
            << Rewrite{1, "C", "D", true, mixed, {"D:/x", "D:/y", "d:/z", "/c", ""}};
        QTest::newRow("a backslash")
            << Rewrite{0, "\\", "e", true, {"\\\\srv", "e:\\b"}, {"e\\srv", "e:\\b"}};
        QTest::newRow("beyond the BMP")
            << Rewrite{0, "😀", "c", true, {"😀/x", "写/y"}, {"c/x", "写/y"}};
        QTest::newRow("letters, answered No") << Rewrite{0, "c", "d", false, {"c:/x"}, {"c:/x"}};
        QTest::newRow("drive, backups") << Rewrite{1, "drive", "", true, media, kDriveMove.after};
        QTest::newRow("drive, answered No") << Rewrite{0, "drive", "", false, media, media};
        QTest::newRow("drive, an empty list is asked about and saved")
            << Rewrite{0, "drive", "", true, {}, {}};
    }
    void aColumnRewriteAsksThenChangesOneColumn() {
        QFETCH(Rewrite, c);
        // Both columns hold the entries, behind a byte order mark so the file is read as UTF-8.
        std::string bytes = "\xEF\xBB\xBF";
        Pairs expected;
        for (qsizetype i = 0; i < c.entries.size(); ++i) {
            const std::string entry = c.entries[i].toStdString();
            bytes += entry + "\n" + entry + "\n";
            expected.push_back({c.changed[i].toStdString(), entry});
            if (c.column == 1) {
                std::swap(expected.back().source, expected.back().backup);
            }
        }
        Panel p(bytes);
        QSignalSpy redrawn(p.view(c.column).model(), &QAbstractItemModel::dataChanged);
        ModalAnswerer answerer(c.yes ? QMessageBox::Yes : QMessageBox::No);
        const bool drive = c.from == "drive";
        drive ? p.panel.moveToDrive(Column(c.column), kDriveMove.drive)
              : p.panel.swapDriveLetter(Column(c.column), c.from, c.to);
        QCOMPARE(answerer.titles, QStringList{"Sorvik"});
        QCOMPARE(answerer.texts,
                 QStringList{drive ? "パスリストを一括変更しますか？"
                                   : c.from + ":\\ を\n" + c.to + ":\\ に変更しますか？"});
        QCOMPARE(p.panel.pairs(), expected);
        const auto written = sorvik::lists::readListFile(p.path("A.lst"));
        QVERIFY(written && *written == expected);
        QCOMPARE(fileBytes(p.path("A.lst")) == bytes, !c.yes);
        QCOMPARE(redrawn.isEmpty(), !c.yes || expected.empty());  // the column shows the change
    }

    void bytesThatAreNotUtf8SurviveEveryEditOfOtherEntries() {
        const std::string odd = "/data/caf\xE9/";  // no UTF-8, in a list written as UTF-8
        Panel p("\xEF\xBB\xBF" + odd + "\r\n/bk/a\r\n/s1\r\n/b1\r\n/s2\r\n/b2\r\n");
        writeFile(p.path("B.lst"), "");
        ModalAnswerer answerer(QMessageBox::Yes);
        std::string expected = odd;
        const auto oddSurvived = [&p, &expected] {
            return !p.panel.pairs().empty() && p.panel.pairs()[0].source == expected &&
                   fileBytes(p.path("A.lst")).find(expected) != std::string::npos;
        };
        p.panel.addPair({"/new", "/bk/new"});
        QVERIFY(oddSurvived());
        p.panel.selectPair(2);
        p.panel.deleteSelectedPair();
        QVERIFY(oddSurvived());
        p.panel.swapDriveLetter(Column::source, "/", "x");
        p.panel.moveToDrive(Column::backup, "/media/usb");
        expected = "x" + odd.substr(1);  // its own column's letters moved, its other bytes stay
        QVERIFY(oddSurvived());
        p.panel.switchTo(p.path("B.lst"));
        p.panel.switchTo(p.path("A.lst"));
        QVERIFY(p.panel.save() && oddSurvived());
        p.shown.clear();
        p.panel.selectPair(0);
        QVERIFY(!p.shown.empty() && p.shown.back().source == expected);
        QCOMPARE(answerer.texts.size(), 2);  // the two questions
    }

    void aNewListIsAskedForAndMadeCurrent_data() {
        QTest::addColumn<QString>("answer");   // null: cancelled
        QTest::addColumn<QString>("current");  // a new list when it is no A.lst or B.lst
        QTest::newRow("a name") << "work"
                                << "work.lst";
        QTest::newRow(".lst twice") << "x.lst"
                                    << "x.lst.lst";
        QTest::newRow("an existing list") << "B"
                                          << "B.lst";
        QTest::newRow("cancelled") << QString() << "A.lst";
        QTest::newRow("empty") << ""
                               << "A.lst";
        QTest::newRow("a bad name") << "a/b"
                                    << "A.lst";
    }
    void aNewListIsAskedForAndMadeCurrent() {
        QFETCH(QString, answer);
        QFETCH(QString, current);
        Panel p;
        writeFile(p.path("B.lst"), "/b\n/y\n");
        int refreshes = 0;
        QObject::connect(&p.panel, &sorvik::app::PathListPanel::listFilesChanged,
                         [&] { ++refreshes; });
        ModalAnswerer answerer;
        answerer.inputAnswers << answer;
        p.panel.createList();
        QCOMPARE(answerer.prompts, QStringList{"新規ファイルリスト名を入力してください"});
        QCOMPARE(answerer.texts, QStringList(answer == "a/b", "リスト名が正しくありません"));
        QCOMPARE(answerer.titles, QStringList(answerer.titles.size(), "Sorvik"));
        QCOMPARE(refreshes, 1);
        // The current list is saved before the name is asked for, whatever the answer.
        QCOMPARE(fileBytes(p.path("A.lst")), kThreeSaved);
        const std::string path = p.path(current.toStdString());
        QCOMPARE(p.panel.listPath(), path);
        // An existing list is loaded and written back as it is; a new one is empty.
        QCOMPARE(fileBytes(path), current == "B.lst"   ? std::string("/b\r\n/y\r\n")
                                  : current == "A.lst" ? kThreeSaved
                                                       : std::string());
        QCOMPARE(p.columnTexts(0), current == "B.lst"   ? QStringList{"/b"}
                                   : current == "A.lst" ? kThreeSources
                                                        : QStringList());
        QCOMPARE(std::distance(fs::directory_iterator(p.folder), fs::directory_iterator()),
                 current.startsWith('A') || current.startsWith('B') ? 2 : 3);
    }

    void theExchangeMenuOffersTheFirstTenListFiles() {
        Panel p;
        fs::remove(p.path("A.lst"));
        QVERIFY(p.show());
        // With no list file its first item keeps its caption and stays.
        QCOMPARE(p.offered(), QStringList{"0"});
        QStringList names{"R&D.lst", "n.txt", "x.lst.bak"};
        for (int i = 0; i < 11; ++i) {
            names << QStringLiteral("l%1.lst").arg(i, 2, 10, QLatin1Char('0'));
        }
        for (const QString& name : names) {
            writeFile(p.path(name.toStdString()), "");
        }
        // Only a right click offers them: list files only, sorted, the first ten.
        QTest::mouseClick(&p.panel, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!p.menu("listExchangeMenu").isVisible());
        QCOMPARE(p.offered(), names.mid(3, 10));
        for (const QString& name : names.mid(3)) {
            fs::remove(p.path(name.toStdString()));
        }
        QCOMPARE(p.offered(), QStringList{"R&D.lst"});
        QCOMPARE(p.menu("listExchangeMenu").actions().at(0)->text(), QStringLiteral("R&&D.lst"));
        fs::remove(p.path("R&D.lst"));
        QCOMPARE(p.offered(), QStringList{"R&D.lst"});
        // Its caption names a list that is gone: choosing it makes an empty list of that name.
        p.menu("listExchangeMenu").actions().at(0)->trigger();
        QCOMPARE(p.panel.listPath(), p.path("R&D.lst"));
        QVERIFY(!fs::exists(p.path("R&D.lst")));
    }
};

QTEST_MAIN(PathListTest)
#include "path_list_test.moc"
