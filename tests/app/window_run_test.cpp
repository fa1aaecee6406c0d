// Runs started from the window: the single run and the batch on real folders, the options the
// window hands the engine, the error report, the program folder's lock, and how the window behaves
// while a run is on.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "engine/messages.h"
#include "lists/list_file.h"
#include "platform/folder_lock.h"
#include "platform/text_file.h"
#include "tests/app/support/folder_contents.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
namespace text = sorvik::engine::text;
using sorvik::app::Form1;
using sorvik::platform::FolderLock;
using sorvik::test::boxText;
using sorvik::test::makeProgramFolder;
using sorvik::test::ModalAnswerer;
using sorvik::test::qText;
using sorvik::test::readFile;
using sorvik::test::setModifiedTime;
using sorvik::test::TempFolder;
using sorvik::test::textLines;
using sorvik::test::treeOf;
using sorvik::test::writeFile;

QStringList sorted(QStringList entries) {
    entries.sort();
    return entries;
}

bool lockIsBusy(const std::string& folder) {
    const auto lock = FolderLock::tryAcquire(folder);
    return !lock && lock.error() == std::errc::resource_unavailable_try_again;
}

// The window's controls a run reads from or is started by.
struct Controls {
    explicit Controls(Form1& window) : form(window) {}

    template <typename T>
    T* find(const char* name) const {
        return form.findChild<T*>(QLatin1String(name));
    }

    bool found() const {
        return source && backup && command1 && command2 && sources && backups && extensions &&
               extensionRule && sizeRule && timeRule && placeholder;
    }

    Form1& form;
    QLineEdit* source = find<QLineEdit>("FilP_0");
    QLineEdit* backup = find<QLineEdit>("FilP_1");
    QPushButton* command1 = find<QPushButton>("Command1");
    QPushButton* command2 = find<QPushButton>("Command2");
    QListWidget* sources = find<QListWidget>("FilPL_0");
    QListWidget* backups = find<QListWidget>("FilPL_1");
    QListWidget* extensions = find<QListWidget>("List1");
    QCheckBox* extensionRule = find<QCheckBox>("Check_1");
    QCheckBox* sizeRule = find<QCheckBox>("Check_2");
    QCheckBox* timeRule = find<QCheckBox>("Check_3");
    QAction* placeholder = find<QAction>("mn2_0");
};

// A window on a program folder of its own, with room for sources and backups beside it.
struct Program {
    Program() : folder(makeProgramFolder(temp)), form(folder), ui(form) {}

    std::string path(std::string_view relative) const { return temp / relative; }

    void setPair(const std::string& source, const std::string& backup) {
        ui.source->setText(qText(source));
        ui.backup->setText(qText(backup));
    }

    // Writes the pairs to a list file and loads it into the window; true when all arrived.
    bool loadList(const std::vector<sorvik::lists::PathPair>& pairs) {
        form.ListPath = folder + "/list.lst";
        if (sorvik::lists::writeListFile(form.ListPath, pairs)) {
            return false;
        }
        form.FP1_Load();
        return ui.sources->count() == static_cast<int>(pairs.size()) &&
               ui.backups->count() == static_cast<int>(pairs.size());
    }

    bool show() {
        form.show();
        return QTest::qWaitForWindowExposed(&form);
    }

    QString caption() const { return form.windowTitle(); }

    TempFolder temp;
    std::string folder;
    Form1 form;
    Controls ui;
};

}  // namespace

class WindowRunTest : public QObject {
    Q_OBJECT

  private slots:
    void singleRunCopiesTheTree();
    void optionsComeFromTheWindowAtRunTime_data();
    void optionsComeFromTheWindowAtRunTime();
    void singleRunWithAFolderErrorReportsItOnce();
    void batchOverAnEmptyListCompletesQuietly();
    void batchReportsTheErrorsOfAllPairsOnceAtTheEnd();
    void batchLeavesTheLastPairSelected_data();
    void batchLeavesTheLastPairSelected();
    void lockHeldInThisProcessStopsTheRun_data();
    void lockHeldInThisProcessStopsTheRun();
    void noSecondRunAndNoCloseDuringARun_data();
    void noSecondRunAndNoCloseDuringARun();
    void inputDuringARunIsDropped();
};

void WindowRunTest::singleRunCopiesTheTree() {
    Program p;
    QVERIFY(p.ui.found());  // the other tests rely on it
    writeFile(p.path("src/top.txt"), "top");
    writeFile(p.path("src/a/b/deep.txt"), "deep");
    writeFile(p.path("src/写真/日本語の名前.txt"), "日本");
    fs::create_directories(p.path("src/empty/inner"));
    const QStringList expected = sorted({
        QStringLiteral("a/"),
        QStringLiteral("a/b/"),
        QStringLiteral("a/b/deep.txt=deep"),
        QStringLiteral("empty/"),
        QStringLiteral("empty/inner/"),
        QStringLiteral("top.txt=top"),
        QStringLiteral("写真/"),
        QStringLiteral("写真/日本語の名前.txt=日本"),
    });
    p.setPair(p.path("src"), p.path("bk"));
    QVERIFY(p.show());
    QCOMPARE(p.caption(), qText(text::kApplicationTitle));

    ModalAnswerer answerer;
    QTest::mouseClick(p.ui.command1, Qt::LeftButton);

    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(treeOf(p.path("bk")), expected);
    QCOMPARE(treeOf(p.path("src")), expected);
    QCOMPARE(p.caption(), qText(text::kComplete));
    QVERIFY(!fs::exists(p.form.ErrLogPath));
    QVERIFY(!p.form.runInProgress());
    QVERIFY(!lockIsBusy(p.folder));  // the run let its lock go
}

void WindowRunTest::optionsComeFromTheWindowAtRunTime_data() {
    QTest::addColumn<QStringList>("excluded");
    QTest::addColumn<bool>("extensionRule");
    QTest::addColumn<bool>("sizeRule");
    QTest::addColumn<bool>("timeRule");
    QTest::addColumn<bool>("placeholder");
    QTest::addColumn<QStringList>("backup");

    // The source's larger.txt is larger and older than its backup, smaller.txt smaller and older.
    const QStringList kept{QStringLiteral("larger.txt=bk"),
                           QStringLiteral("smaller.txt=bigger bk")};
    const QStringList replaced{QStringLiteral("larger.txt=larger source"),
                               QStringLiteral("smaller.txt=s")};
    const QStringList copied{QStringLiteral("keep.txt=keep"), QStringLiteral("note.tmp.txt=note")};
    const QString tmp = QStringLiteral("a.tmp=tmp");
    const QStringList both{QStringLiteral("bak"), QStringLiteral("tmp")};

    QTest::newRow("tmp excluded, newer only")
        << both << true << false << true << false << sorted(copied + kept);
    QTest::newRow("extension rule off")
        << both << false << false << true << false << sorted(copied + kept + QStringList{tmp});
    QTest::newRow("other extension listed") << QStringList{QStringLiteral("txt")} << true << false
                                            << true << false << sorted(QStringList{tmp} + kept);
    QTest::newRow("no size or time rule")
        << both << true << false << false << false << sorted(copied + replaced);
    QTest::newRow("larger only") << both << true << true << false << false
                                 << sorted(copied + QStringList{replaced[0], kept[1]});
    QTest::newRow("placeholder") << both << true << false << true << true
                                 << sorted(kept + QStringList{QStringLiteral("keep.txt="),
                                                              QStringLiteral("note.tmp.txt=")});
}

void WindowRunTest::optionsComeFromTheWindowAtRunTime() {
    QFETCH(QStringList, excluded);
    QFETCH(bool, extensionRule);
    QFETCH(bool, sizeRule);
    QFETCH(bool, timeRule);
    QFETCH(bool, placeholder);
    QFETCH(QStringList, backup);

    Program p;
    writeFile(p.path("src/keep.txt"), "keep");
    writeFile(p.path("src/a.tmp"), "tmp");
    writeFile(p.path("src/note.tmp.txt"), "note");
    writeFile(p.path("src/larger.txt"), "larger source");
    writeFile(p.path("src/smaller.txt"), "s");
    writeFile(p.path("bk/larger.txt"), "bk");
    writeFile(p.path("bk/smaller.txt"), "bigger bk");
    for (const char* name : {"larger.txt", "smaller.txt"}) {
        setModifiedTime(p.path("src/") + name, 1'000'000'000);
        setModifiedTime(p.path("bk/") + name, 2'000'000'000);
    }

    p.ui.extensions->addItems(excluded);
    p.ui.extensionRule->setChecked(extensionRule);
    p.ui.sizeRule->setChecked(sizeRule);
    p.ui.timeRule->setChecked(timeRule);
    if (placeholder) {
        p.ui.placeholder->trigger();
        QVERIFY(p.ui.placeholder->isChecked());
    }
    p.setPair(p.path("src"), p.path("bk"));

    ModalAnswerer answerer;
    p.form.Command1_Click();

    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(treeOf(p.path("bk")), backup);
    QCOMPARE(p.caption(), qText(text::kComplete));
}

void WindowRunTest::singleRunWithAFolderErrorReportsItOnce() {
    Program p;
    writeFile(p.path("src/ok.txt"), "ok");
    writeFile(p.path("src/sub/f.txt"), "f");
    writeFile(p.path("bk/sub"), "in the way");
    p.setPair(p.path("src"), p.path("bk"));

    ModalAnswerer answerer;
    QString captionWhileBoxOpen;
    answerer.whileOpen = [&] { captionWhileBoxOpen = p.caption(); };
    p.form.Command1_Click();

    QCOMPARE(answerer.titles, QStringList{qText(text::kApplicationTitle)});
    QCOMPARE(answerer.texts, QStringList{boxText(text::kErrorsOccurred, p.form.ErrLogPath)});
    QCOMPARE(p.form.ErrLogPath, p.folder + "/ErrorLog.txt");
    QCOMPARE(captionWhileBoxOpen, qText(text::kComplete));
    QCOMPARE(p.caption(), qText(text::kComplete));
    // The error stopped only the folder it was about.
    QCOMPARE(treeOf(p.path("bk")),
             sorted({QStringLiteral("ok.txt=ok"), QStringLiteral("sub=in the way")}));
    // フォルダ作成エラー in code page 932, the path, then one empty line, all ended by CR LF.
    const std::string label =
        "\x83\x74\x83\x48\x83\x8b\x83\x5f\x8d\xec\x90\xac\x83\x47\x83\x89\x81\x5b";
    QCOMPARE(readFile(p.form.ErrLogPath), label + "\r\n" + p.path("bk/sub") + "\r\n\r\n");
}

void WindowRunTest::batchOverAnEmptyListCompletesQuietly() {
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    QVERIFY(p.loadList({}));
    // A pair standing in the boxes is no list entry: the batch must leave it alone.
    p.setPair(p.path("src"), p.path("bk"));

    ModalAnswerer answerer;
    QTest::mouseClick(p.ui.command2, Qt::LeftButton);

    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(p.caption(), qText(text::kComplete));
    QVERIFY(!fs::exists(p.path("bk")));
    QVERIFY(!fs::exists(p.form.ErrLogPath));
    QCOMPARE(p.ui.source->text(), qText(p.path("src")));
    QCOMPARE(p.ui.backup->text(), qText(p.path("bk")));
}

void WindowRunTest::batchReportsTheErrorsOfAllPairsOnceAtTheEnd() {
    Program p;
    writeFile(p.path("src1/sub/f.txt"), "f");
    writeFile(p.path("bk1/sub"), "in the way");
    writeFile(p.path("src2/fine.txt"), "fine");
    writeFile(p.path("src3/d/e/g.txt"), "g");
    writeFile(p.path("bk3/d"), "in the way");
    // The log of an earlier run is replaced, not added to.
    writeFile(p.form.ErrLogPath, "earlier\r\nentry\r\n\r\n");
    QVERIFY(p.loadList({{p.path("src1"), p.path("bk1")},
                        {p.path("src2"), p.path("bk2")},
                        {p.path("src3"), p.path("bk3")}}));

    ModalAnswerer answerer;
    QString captionWhileBoxOpen;
    QStringList secondBackupWhileBoxOpen;
    answerer.whileOpen = [&] {
        captionWhileBoxOpen = p.caption();
        secondBackupWhileBoxOpen = treeOf(p.path("bk2"));
    };
    p.form.Command2_Click();

    QCOMPARE(answerer.texts, QStringList{boxText(text::kErrorsOccurred, p.form.ErrLogPath)});
    QCOMPARE(captionWhileBoxOpen, qText(text::kComplete));
    QCOMPARE(secondBackupWhileBoxOpen, QStringList{QStringLiteral("fine.txt=fine")});
    const QString label = qText(text::kFolderError);
    QCOMPARE(textLines(p.form.ErrLogPath),
             (QStringList{label, qText(p.path("bk1/sub")), label, qText(p.path("bk3/d")), label,
                          qText(p.path("bk3/d/e")), QString()}));
    QCOMPARE(p.caption(), qText(text::kComplete));
}

void WindowRunTest::batchLeavesTheLastPairSelected_data() {
    QTest::addColumn<int>("pairCount");
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<bool>("lastMissing");
    QTest::newRow("three pairs, none selected") << 3 << -1 << false;
    QTest::newRow("three pairs, first selected") << 3 << 0 << false;
    QTest::newRow("one pair, already selected") << 1 << 0 << false;
    QTest::newRow("last source missing") << 3 << -1 << true;
}

void WindowRunTest::batchLeavesTheLastPairSelected() {
    QFETCH(int, pairCount);
    QFETCH(int, selectedBefore);
    QFETCH(bool, lastMissing);
    Program p;
    std::vector<sorvik::lists::PathPair> pairs;
    for (int i = 0; i < pairCount; ++i) {
        const std::string n = std::to_string(i);
        if (!(lastMissing && i == pairCount - 1)) {
            writeFile(p.path("src" + n + "/f.txt"), n);
        }
        pairs.push_back({p.path("src" + n), p.path("bk" + n)});
    }
    QVERIFY(p.loadList(pairs));
    QVERIFY(p.show());
    if (selectedBefore >= 0) {
        p.ui.sources->setCurrentRow(selectedBefore);
        QCOMPARE(p.ui.source->text(), qText(pairs[selectedBefore].source));
    }
    // The user then types a pair of their own over the selected one.
    for (QLineEdit* box : {p.ui.source, p.ui.backup}) {
        box->clear();
        QTest::keyClicks(box, QStringLiteral("/typed/by/hand"));
        QCOMPARE(box->text(), QStringLiteral("/typed/by/hand"));
    }

    ModalAnswerer answerer;
    QTest::mouseClick(p.ui.command2, Qt::LeftButton);

    QCOMPARE(answerer.texts.size(), lastMissing ? 1 : 0);
    const int last = pairCount - 1;
    for (QListWidget* column : {p.ui.sources, p.ui.backups}) {
        QCOMPARE(column->currentRow(), last);
        const QList<QListWidgetItem*> selected = column->selectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(column->row(selected.first()), last);
    }
    QCOMPARE(p.ui.source->text(), qText(pairs[last].source));
    QCOMPARE(p.ui.backup->text(), qText(pairs[last].backup));
    for (int i = 0; i < pairCount; ++i) {
        const std::string n = std::to_string(i);
        const bool wasMissing = lastMissing && i == last;
        QCOMPARE(treeOf(p.path("bk" + n)),
                 wasMissing ? QStringList() : QStringList{QStringLiteral("f.txt=%1").arg(i)});
    }
}

void WindowRunTest::lockHeldInThisProcessStopsTheRun_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("backup") << QStringLiteral("Command1");
    QTest::newRow("batch") << QStringLiteral("Command2");
}

void WindowRunTest::lockHeldInThisProcessStopsTheRun() {
    QFETCH(QString, button);
    Program p;
    auto* pressed = p.form.findChild<QPushButton*>(button);
    QVERIFY(pressed);
    writeFile(p.path("src/a.txt"), "a");
    writeFile(p.path("listed/b.txt"), "b");
    QVERIFY(p.loadList({{p.path("listed"), p.path("listed-bk")}}));
    p.setPair(p.path("src"), p.path("bk"));
    QVERIFY(p.show());

    std::optional<FolderLock> held;
    {
        auto lock = FolderLock::tryAcquire(p.folder);
        QVERIFY(lock);
        held.emplace(std::move(*lock));
    }
    ModalAnswerer answerer;
    QTest::mouseClick(pressed, Qt::LeftButton);

    QCOMPARE(answerer.titles, QStringList{qText(text::kApplicationTitle)});
    QCOMPARE(answerer.texts, QStringList{qText(text::kAnotherRunInProgress)});
    QVERIFY(!fs::exists(p.path("bk")));
    QVERIFY(!fs::exists(p.path("listed-bk")));
    QCOMPARE(p.caption(), qText(text::kApplicationTitle));
    QCOMPARE(p.ui.source->text(), qText(p.path("src")));  // no pair of the list was selected
    QVERIFY(p.ui.sources->selectedItems().isEmpty());
    QVERIFY(!p.form.runInProgress());

    held.reset();
    QTest::mouseClick(pressed, Qt::LeftButton);

    QCOMPARE(answerer.texts.size(), 1);
    const bool batch = button == QLatin1String("Command2");
    QCOMPARE(treeOf(p.path(batch ? "listed-bk" : "bk")),
             QStringList{batch ? QStringLiteral("b.txt=b") : QStringLiteral("a.txt=a")});
    QCOMPARE(p.caption(), qText(text::kComplete));
}

// The moments a test acts in while a run is on: inside the message box a run opens, or when the
// run hands its caption to the screen and lets events through.
enum class Moment { messageBox, caption };

// Backs up src into bk from the window and calls `act` once while that run is on: inside the box
// for the missing first pair of a batch, or at a caption of a single run. The list holds a missing
// source either way, so a batch started from `act` would open a box of its own. Gives the texts
// of the boxes the run showed.
QStringList runActingDuring(Program& p, Moment moment, const std::function<void()>& act) {
    std::vector<sorvik::lists::PathPair> pairs{{p.path("missing"), p.path("bk-missing")}};
    if (moment == Moment::messageBox) {
        pairs.push_back({p.path("src"), p.path("bk")});
    }
    if (!p.loadList(pairs)) {
        return {QStringLiteral("<list not loaded>")};
    }
    ModalAnswerer answerer;
    if (moment == Moment::messageBox) {
        answerer.whileOpen = act;
        p.form.Command2_Click();
    } else {
        p.setPair(p.path("src"), p.path("bk"));
        p.form.setCaptionInterval(std::chrono::milliseconds(0));
        QTimer::singleShot(0, &p.form, act);
        p.form.Command1_Click();
    }
    return answerer.texts;
}

void WindowRunTest::noSecondRunAndNoCloseDuringARun_data() {
    QTest::addColumn<int>("moment");
    QTest::newRow("message box") << static_cast<int>(Moment::messageBox);
    QTest::newRow("caption") << static_cast<int>(Moment::caption);
}

void WindowRunTest::noSecondRunAndNoCloseDuringARun() {
    QFETCH(int, moment);
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    writeFile(p.path("src/sub/b.txt"), "b");
    const QStringList expected =
        sorted({QStringLiteral("a.txt=a"), QStringLiteral("sub/"), QStringLiteral("sub/b.txt=b")});

    // Outside a run a close request is done at once.
    QVERIFY(p.show());
    QVERIFY(p.form.close());
    QVERIFY(!p.form.isVisible());
    QVERIFY(p.show());

    int calls = 0;
    bool runWasOn = false;
    bool lockBusy = false;
    bool visibleAfterRequest = false;
    QStringList nestedBoxes;
    QSignalSpy clicks1(p.ui.command1, &QPushButton::clicked);
    QSignalSpy clicks2(p.ui.command2, &QPushButton::clicked);
    const QStringList boxes = runActingDuring(p, static_cast<Moment>(moment), [&] {
        if (calls++ > 0) {
            return;
        }
        runWasOn = p.form.runInProgress();
        lockBusy = lockIsBusy(p.folder);
        // A box opened from here would wait for an answerer whose timer is still busy in this
        // very call; this one answers it.
        ModalAnswerer nested;
        p.form.Command1_Click();
        p.form.Command2_Click();
        QTest::mouseClick(p.ui.command1, Qt::LeftButton);
        QTest::mouseClick(p.ui.command2, Qt::LeftButton);
        nestedBoxes = nested.texts;
        p.form.close();
        visibleAfterRequest = p.form.isVisible();
    });

    const auto own = static_cast<Moment>(moment) == Moment::messageBox
                         ? QStringList{qText(text::kSourceNotFound)}
                         : QStringList();
    QCOMPARE(boxes, own);
    QCOMPARE(calls, 1);
    QVERIFY(runWasOn);
    QVERIFY(lockBusy);  // the run held the program folder's lock
    QCOMPARE(nestedBoxes, QStringList());
    QCOMPARE(clicks1.count(), 0);
    QCOMPARE(clicks2.count(), 0);
    QVERIFY(visibleAfterRequest);
    // The run went on to its end, and the handler returned with the window still there.
    QVERIFY(p.form.isVisible());
    QCOMPARE(treeOf(p.path("bk")), expected);
    QVERIFY(!fs::exists(p.path("bk-missing")));
    QCOMPARE(p.caption(), qText(text::kComplete));
    QVERIFY(!p.form.runInProgress());
    QTRY_VERIFY(!p.form.isVisible());

    // The request was used up: a later run leaves the window open.
    QVERIFY(p.show());
    p.form.setCaptionInterval(std::chrono::milliseconds(0));
    p.setPair(p.path("src"), p.path("bk2"));
    p.form.Command1_Click();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(p.form.isVisible());
    QCOMPARE(treeOf(p.path("bk2")), expected);
}

void WindowRunTest::inputDuringARunIsDropped() {
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    writeFile(p.path("src/sub/b.txt"), "b");
    writeFile(p.path("listed0/c.txt"), "c");
    writeFile(p.path("listed1/d.txt"), "d");
    QVERIFY(p.loadList(
        {{p.path("listed0"), p.path("listed-bk0")}, {p.path("listed1"), p.path("listed-bk1")}}));
    p.setPair(p.path("src"), p.path("bk"));
    QVERIFY(p.show());
    const QPoint secondRow = p.ui.sources->visualItemRect(p.ui.sources->item(1)).center();

    // Every kind of input the run must not take: a click on a button, a click on a pair of the
    // list (it would change the backup folder the run reads for each folder) and typing.
    const auto sendInput = [&] {
        QTest::mouseClick(p.ui.command2, Qt::LeftButton);
        QTest::mouseClick(p.ui.sources->viewport(), Qt::LeftButton, {}, secondRow);
        QTest::keyClicks(p.ui.source, QStringLiteral("xyz"));
        QTest::keyClicks(p.ui.backup, QStringLiteral("xyz"));
    };
    ModalAnswerer answerer;
    QSignalSpy clicks2(p.ui.command2, &QPushButton::clicked);
    p.form.setCaptionInterval(std::chrono::milliseconds(0));
    bool sentDuringRun = false;
    QTimer::singleShot(0, &p.form, [&] {
        sentDuringRun = p.form.runInProgress();
        sendInput();
    });
    p.form.Command1_Click();

    QVERIFY(sentDuringRun);
    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(clicks2.count(), 0);
    QVERIFY(p.ui.sources->selectedItems().isEmpty());
    QCOMPARE(p.ui.source->text(), qText(p.path("src")));
    QCOMPARE(p.ui.backup->text(), qText(p.path("bk")));
    QCOMPARE(treeOf(p.path("bk")), sorted({QStringLiteral("a.txt=a"), QStringLiteral("sub/"),
                                           QStringLiteral("sub/b.txt=b")}));
    QVERIFY(!fs::exists(p.path("bkxyz")));
    QVERIFY(!fs::exists(p.path("listed-bk0")));
    QCOMPARE(p.caption(), qText(text::kComplete));

    // Once the run is over the same input is taken: the typing and the row click change the
    // boxes, and the button starts the batch.
    sendInput();
    QCOMPARE(clicks2.count(), 1);
    QCOMPARE(p.ui.sources->currentRow(), 1);
    QCOMPARE(p.ui.source->text(), qText(p.path("listed1")) + QStringLiteral("xyz"));
    QCOMPARE(treeOf(p.path("listed-bk0")), QStringList{QStringLiteral("c.txt=c")});
    QCOMPARE(treeOf(p.path("listed-bk1")), QStringList{QStringLiteral("d.txt=d")});
}

QTEST_MAIN(WindowRunTest)
#include "window_run_test.moc"
