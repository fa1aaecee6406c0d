// Editing the pairs of the current list from the window: the columns' pop-up menu that adds the
// folder boxes' pair to the list file or deletes the selected pair, and files or folders dropped
// on a folder box.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <filesystem>
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
using sorvik::test::itemTexts;
using sorvik::test::ModalAnswerer;
using sorvik::test::qText;
using sorvik::test::readFile;
using sorvik::test::textLines;
using sorvik::test::treeOf;
using sorvik::test::writeFile;

// LF line ends: any rewrite of the list gives CR LF, so bytes that stay as they are show that
// nothing wrote the file.
const QByteArray kThreePairs = "/s0\n/b0\n/s1\n/b1\n/s2\n/b2\n";

std::string bytes(const QByteArray& data) {
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

// A started window on a program folder whose current list "daily.lst" holds `list`. Start-up
// selects the first pair.
struct Program : sorvik::test::StartedWindow {
    explicit Program(const QByteArray& list = kThreePairs)
        : StartedWindow("daily.lst", bytes(list)), listPath(path("daily.lst")) {
        ready = ready && menu;
    }

    template <typename T>
    T* find(const char* name) {
        return form.findChild<T*>(QLatin1String(name));
    }

    // A right press (and its release) on a row of a column; the point it was at, on the screen.
    QPoint rightClick(int column, int row) {
        QListWidget* list = column == 0 ? sources : backups;
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
        return list->viewport()->mapToGlobal(at);
    }

    // Opens the menu on the first source row and chooses an item; false when it did not open.
    bool choose(const char* item) {
        rightClick(0, 0);
        if (!menu->isVisible()) {
            return false;
        }
        find<QAction>(item)->trigger();
        menu->hide();
        return true;
    }

    QList<int> selectedRows() const {
        QList<int> rows;
        for (const QListWidget* list : {sources, backups}) {
            const auto selected = list->selectedItems();
            rows << (selected.isEmpty() ? -1 : list->row(selected.first()));
        }
        return rows;
    }

    std::string listBytes() const { return readFile(listPath); }

    // Whether the columns show the pairs the list file holds, in order.
    bool columnsShowTheFile() const {
        if (backups->count() != sources->count()) {
            return false;
        }
        QStringList pairs;
        for (int i = 0; i < sources->count(); ++i) {
            pairs << sources->item(i)->text() << backups->item(i)->text();
        }
        return pairs == textLines(listPath);
    }

    std::string listPath;
    QListWidget* sources = &column(0);
    QListWidget* backups = &column(1);
    QLineEdit* source = &box(0);
    QLineEdit* backup = &box(1);
    QMenu* menu = find<QMenu>("mn0_0");
};

const QList<int> kNoneSelected{-1, -1};

}  // namespace

class PairEditing : public QObject {
    Q_OBJECT

  private slots:
    void rightPressOnAColumnOpensTheMenuAndKeepsTheSelection_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("selected");  // the first pair, as start-up leaves it
        QTest::newRow("sources, first pair selected") << 0 << true;
        QTest::newRow("backups, nothing selected") << 1 << false;
    }

    void rightPressOnAColumnOpensTheMenuAndKeepsTheSelection() {
        QFETCH(int, column);
        QFETCH(bool, selected);
        Program p;
        QVERIFY(p.ready);
        if (!selected) {
            p.sources->clearSelection();
            p.backups->clearSelection();
        }
        const QList<int> before = p.selectedRows();
        QCOMPARE(before, selected ? (QList<int>{0, 0}) : kNoneSelected);
        ModalAnswerer answerer;

        const QPoint at = p.rightClick(column, 2);

        QVERIFY(p.menu->isVisible());
        QCOMPARE(p.menu->pos(), at);
        QCOMPARE(p.menu->actions(),
                 (QList<QAction*>{p.find<QAction>("mn1_0"), p.find<QAction>("mn1_1")}));
        QCOMPARE(p.selectedRows(), before);
        QCOMPARE(p.source->text(), QStringLiteral("/s0"));
        QCOMPARE(p.backup->text(), QStringLiteral("/b0"));

        // Deleting now takes the pair selected before the press, not the one pressed on.
        p.find<QAction>("mn1_1")->trigger();
        p.menu->hide();
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(p.listBytes(),
                 selected ? std::string("/s1\r\n/b1\r\n/s2\r\n/b2\r\n") : bytes(kThreePairs));
        QVERIFY(p.columnsShowTheFile());
    }

    void addAppendsTheBoxesPairToTheListFile_data() {
        QTest::addColumn<QByteArray>("list");  // null: the list file is gone before the add
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("backup");
        QTest::addColumn<int>("times");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("after the last pair")
            << kThreePairs << QStringLiteral("/new") << QStringLiteral("/mnt/new") << 1
            << QByteArray("/s0\r\n/b0\r\n/s1\r\n/b1\r\n/s2\r\n/b2\r\n/new\r\n/mnt/new\r\n");
        QTest::newRow("Japanese, in code page 932")
            << QByteArray("") << QStringLiteral("/home/写真/") << QStringLiteral("/mnt/写真") << 1
            << QByteArray("/home/\x8E\xCA\x90\x5E/\r\n/mnt/\x8E\xCA\x90\x5E\r\n");
        QTest::newRow("empty boxes, an empty pair")
            << QByteArray("/s\n/b\n") << QString() << QString() << 1
            << QByteArray("/s\r\n/b\r\n\r\n\r\n");
        QTest::newRow("the same pair twice")
            << QByteArray("") << QStringLiteral("/a") << QStringLiteral("/b") << 2
            << QByteArray("/a\r\n/b\r\n/a\r\n/b\r\n");
        QTest::newRow("a missing list is created")
            << QByteArray() << QStringLiteral("/a") << QStringLiteral("/b") << 1
            << QByteArray("/a\r\n/b\r\n");
    }

    void addAppendsTheBoxesPairToTheListFile() {
        QFETCH(QByteArray, list);
        QFETCH(QString, source);
        QFETCH(QString, backup);
        QFETCH(int, times);
        QFETCH(QByteArray, written);
        Program p(list);
        QVERIFY(p.ready);
        if (list.isNull()) {
            QVERIFY(fs::remove(p.listPath));
        }
        p.source->setText(source);
        p.backup->setText(backup);
        ModalAnswerer answerer;

        for (int i = 0; i < times; ++i) {
            QVERIFY(p.choose("mn1_0"));
        }

        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(p.listBytes(), bytes(written));
        QVERIFY(!fs::exists(p.listPath + "-"));
        QVERIFY(p.columnsShowTheFile());
        QCOMPARE(p.selectedRows(), kNoneSelected);
        QCOMPARE(p.source->text(), source);
        QCOMPARE(p.backup->text(), backup);
    }

    void anAddWhoseWorkCopyCannotBeWrittenChangesNothing() {
        Program p;
        QVERIFY(p.ready);
        // Even root cannot rename a file over a folder that holds something.
        const std::string workCopy = p.listPath + "-";
        writeFile(workCopy + "/inside", "x");
        const QStringList folderBefore = treeOf(p.folder);
        p.source->setText("/new");
        p.backup->setText("/mnt/new");
        ModalAnswerer answerer;

        QVERIFY(p.choose("mn1_0"));

        QCOMPARE(answerer.titles, QStringList{"Sorvik"});
        QCOMPARE(answerer.texts,
                 QStringList{boxText(text::kFileUnwritable, workCopy, std::errc::is_a_directory)});
        QCOMPARE(p.listBytes(), bytes(kThreePairs));
        QCOMPARE(treeOf(p.folder), folderBefore);
        QVERIFY(p.columnsShowTheFile());
        QCOMPARE(p.selectedRows(), (QList<int>{0, 0}));
    }

    void deleteRewritesTheListWithoutTheSelectedPair_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("the middle pair")
            << kThreePairs << 1 << QByteArray("/s0\r\n/b0\r\n/s2\r\n/b2\r\n");
        QTest::newRow("the last pair")
            << kThreePairs << 2 << QByteArray("/s0\r\n/b0\r\n/s1\r\n/b1\r\n");
        QTest::newRow("the only pair, an empty file")
            << QByteArray("/s0\n/b0\n") << 0 << QByteArray("");
    }

    void deleteRewritesTheListWithoutTheSelectedPair() {
        QFETCH(QByteArray, list);
        QFETCH(int, row);
        QFETCH(QByteArray, written);
        Program p(list);
        QVERIFY(p.ready);
        p.form.selectPair(row);
        const QString deletedSource = p.source->text();
        const QString deletedBackup = p.backup->text();
        QCOMPARE(p.selectedRows(), (QList<int>{row, row}));
        ModalAnswerer answerer;

        QVERIFY(p.choose("mn1_1"));

        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(p.listBytes(), bytes(written));
        QVERIFY(p.columnsShowTheFile());
        // No neighbour inherits the selection, and the boxes keep what was deleted.
        QCOMPARE(p.selectedRows(), kNoneSelected);
        QCOMPARE(p.source->text(), deletedSource);
        QCOMPARE(p.backup->text(), deletedBackup);
    }

    void withNoCurrentListTheColumnsChangeAndNothingIsSaved_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("backups");
        QTest::newRow("add") << "mn1_0" << QStringList{"/s0", "/s1", "/s2", "/new"}
                             << QStringList{"/b0", "/b1", "/b2", "/mnt/new"};
        QTest::newRow("delete") << "mn1_1" << QStringList{"/s0", "/s2"}
                                << QStringList{"/b0", "/b2"};
    }

    void withNoCurrentListTheColumnsChangeAndNothingIsSaved() {
        QFETCH(QString, item);
        QFETCH(QStringList, sources);
        QFETCH(QStringList, backups);
        Program p;
        QVERIFY(p.ready);
        // As after the current list file was deleted from the window.
        fs::remove(p.listPath);
        p.form.ListPath.clear();
        p.form.selectPair(1);
        p.source->setText("/new");
        p.backup->setText("/mnt/new");
        const QStringList folderBefore = treeOf(p.folder);
        ModalAnswerer answerer;

        QVERIFY(p.choose(item.toLatin1().constData()));

        QCOMPARE(answerer.titles, QStringList{"Sorvik"});
        QCOMPARE(answerer.texts, QStringList{qText(text::kNoListSelected)});
        QCOMPARE(itemTexts(*p.sources), sources);
        QCOMPARE(itemTexts(*p.backups), backups);
        QCOMPARE(p.selectedRows(), kNoneSelected);
        QCOMPARE(treeOf(p.folder), folderBefore);
        QCOMPARE(p.form.ListPath, std::string());
    }

    void aDropFillsTheFolderBoxWithTheFirstPath_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QStringList>("dropped");  // inside the temporary folder; none: text only
        QTest::addColumn<QString>("shown");        // inside the temporary folder; null: unchanged
        QTest::newRow("a folder") << 0 << QStringList{"src"} << "src/";
        QTest::newRow("a folder on the backup box") << 1 << QStringList{"src"} << "src/";
        QTest::newRow("ending in a separator already") << 0 << QStringList{"src/"} << "src/";
        QTest::newRow("three folders: the first")
            << 0 << QStringList{"dst", "src", "other"} << "dst/";
        QTest::newRow("a file, as a folder") << 1 << QStringList{"src/f.txt"} << "src/f.txt/";
        QTest::newRow("text only") << 0 << QStringList() << QString();
    }

    void aDropFillsTheFolderBoxWithTheFirstPath() {
        QFETCH(int, box);
        QFETCH(QStringList, dropped);
        QFETCH(QString, shown);
        Program p;
        QVERIFY(p.ready);
        const QString root = QString::fromStdString(p.temp.path().string()) + QLatin1Char('/');
        writeFile(p.temp / "src/f.txt", "x");
        fs::create_directory(p.temp / "dst");
        fs::create_directory(p.temp / "other");
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : dropped) {
            urls << QUrl::fromLocalFile(root + name);
        }
        if (!urls.isEmpty()) {
            data.setUrls(urls);
        }
        // Dragged text never lands in the box, with or without paths beside it.
        data.setText(QStringLiteral("/dragged/text"));
        QLineEdit* target = box == 0 ? p.source : p.backup;
        QLineEdit* other = box == 0 ? p.backup : p.source;
        const QString otherBefore = other->text();
        const QString targetBefore = target->text();
        const QPoint at = target->rect().center();
        const Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction;
        ModalAnswerer answerer;

        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), !urls.isEmpty());
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        QCOMPARE(move.isAccepted(), !urls.isEmpty());
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        if (urls.isEmpty()) {
            // Qt hands no drop to a box that refused the drag; the handler must still leave the box
            // alone when it gets one.
            p.form.FilP_OLEDragDrop(box, data);
        }

        QCOMPARE(target->text(), shown.isNull() ? targetBefore : root + shown);
        QCOMPARE(other->text(), otherBefore);
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(p.listBytes(), bytes(kThreePairs));
        QVERIFY(p.columnsShowTheFile());
        QCOMPARE(p.selectedRows(), (QList<int>{0, 0}));
    }
};

QTEST_MAIN(PairEditing)
#include "pair_editing_test.moc"
