// Runs from the window: the backup and batch buttons on real folders, the options they take, the
// error report and the lock, the one run state that keeps out input, second runs and closes, and
// the automatic run that counts down at start-up.
#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "app/automatic_run.h"
#include "app/folder_boxes.h"
#include "app/path_list_panel.h"
#include "app/run_controller.h"
#include "app/settings_panel.h"
#include "engine/messages.h"
#include "platform/folder_lock.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/app/support/window_fixture.h"

namespace {

namespace fs = std::filesystem;
namespace text = sorvik::engine::text;
using sorvik::lists::PathPair;
using sorvik::lists::Settings;
using sorvik::platform::FolderLock;
using sorvik::test::boxText;
using sorvik::test::fileBytes;
using sorvik::test::ModalAnswerer;
using sorvik::test::qText;
using sorvik::test::treeOf;
using sorvik::test::writeFile;

constexpr std::chrono::hours kByHand{1};  // the timer never fires by itself: ticked by hand
const QString kComplete = qText(text::kComplete);
const QString kTitle = qText(text::kApplicationTitle);
const QStringList kAB{"a.txt=a", "sub/", "sub/b.txt=b"};

bool lockIsBusy(const std::string& folder) {
    const auto lock = FolderLock::tryAcquire(folder);
    return !lock && lock.error() == std::errc::resource_unavailable_try_again;
}

QString countdown(int seconds) {
    return QStringLiteral("[ %1 ] バックアップ待機中。キャンセルは右上の「×」を押してください。")
        .arg(seconds);
}

struct Window : sorvik::test::WindowFixture {
    // Starts on list "daily.lst" holding `pairs`, every option off unless `settings` says else.
    explicit Window(const std::vector<PathPair>& pairs = {},
                    Settings settings = {"", false, false, false, false, false, false},
                    bool marker = false) {
        ready = leaveSession(pairs, settings);
        if (marker) {
            writeFile(files.automaticRunMarker, "left by hand\r\n");
        }
        window.automaticRun().setIntervals(kByHand, kByHand);
        window.runController().setCaptionInterval(std::chrono::milliseconds(0));
    }
    QPushButton& button(bool batch) {
        return find<QPushButton>(batch ? QStringLiteral("backUpListButton")
                                       : QStringLiteral("backUpButton"));
    }
    void setPair(const std::string& source, const std::string& backup) {
        window.folderBoxes().showPair({source, backup});
    }
    void tick(int times) {
        for (int i = 0; i < times; ++i) {
            window.automaticRun().tick();
        }
    }
    bool ready = false;
};

}  // namespace

class RunTest : public QObject {
    Q_OBJECT

  private slots:
    void theBackupButtonRunsThePairOfTheBoxes() {
        // A source whose name is not UTF-8 runs from the list entry's bytes.
        const std::string odd = "caf\xE9";
        Window w;
        writeFile(w.outside(odd + "/写真/a.txt"), "a");
        fs::create_directories(w.outside(odd + "/empty/inner"));
        writeFile(w.path("daily.lst"),
                  "\xEF\xBB\xBF/x\r\n/y\r\n" + w.outside(odd) + "\r\n" + w.outside("bk") + "\r\n");
        QVERIFY(w.ready && w.start());
        w.window.pathList().selectPair(0);
        w.window.pathList().deleteSelectedPair();
        w.window.pathList().selectPair(0);
        QCOMPARE(w.window.folderBoxes().pair().source, w.outside(odd));
        ModalAnswerer answerer;
        QTest::mouseClick(&w.button(false), Qt::LeftButton);
        QCOMPARE(answerer.texts, QStringList());
        const QStringList tree{"empty/", "empty/inner/", "写真/", "写真/a.txt=a"};
        QCOMPARE(treeOf(w.outside("bk")), tree);
        QCOMPARE(w.window.windowTitle(), kComplete);
        QVERIFY(!fs::exists(w.files.errorLog));
        QVERIFY(!lockIsBusy(w.folder));
        QCOMPARE(w.window.runController().state(), sorvik::app::RunState::idle);
        // A folder typed by hand runs as typed, as UTF-8.
        w.box(1).setText(QStringLiteral("%1/typed").arg(qText(w.outside(""))));
        QTest::mouseClick(&w.button(false), Qt::LeftButton);
        QCOMPARE(treeOf(w.outside("typed")), tree);
        QCOMPARE(w.window.folderBoxes().pair().source, w.outside(odd));
    }

    void theOptionsOfTheWindowReachTheRun_data() {
        QTest::addColumn<std::vector<std::string>>("excluded");
        QTest::addColumn<QList<bool>>("options");  // extension, size, time rule, placeholder
        QTest::addColumn<QStringList>("backup");
        const QStringList kept{"larger.txt=bk", "smaller.txt=bigger bk"};
        const QStringList copied{"keep.txt=keep", "note.tmp.txt=note"};
        const std::vector<std::string> both{"bak", "tmp"};
        QTest::newRow("tmp excluded, newer only")
            << both << QList<bool>{true, false, true, false} << copied + kept;
        QTest::newRow("extension rule off") << both << QList<bool>{false, false, true, false}
                                            << QStringList{"a.tmp=tmp"} + copied + kept;
        QTest::newRow("other extension")
            << std::vector<std::string>{"txt"} << QList<bool>{true, false, true, false}
            << QStringList{"a.tmp=tmp"} + kept;
        QTest::newRow("no size or time rule")
            << both << QList<bool>{true, false, false, false}
            << copied + QStringList{"larger.txt=larger source", "smaller.txt=s"};
        QTest::newRow("larger only") << both << QList<bool>{true, true, false, false}
                                     << copied + QStringList{"larger.txt=larger source", kept[1]};
        QTest::newRow("placeholder") << both << QList<bool>{true, false, true, true}
                                     << QStringList{"keep.txt=", "note.tmp.txt="} + kept;
    }
    void theOptionsOfTheWindowReachTheRun() {
        QFETCH(std::vector<std::string>, excluded);
        QFETCH(QList<bool>, options);
        QFETCH(QStringList, backup);
        Window w;
        for (const char* name : {"keep.txt=keep", "a.tmp=tmp", "note.tmp.txt=note",
                                 "larger.txt=larger source", "smaller.txt=s"}) {
            const QStringList parts = QString::fromUtf8(name).split(QLatin1Char('='));
            writeFile(w.outside("src/" + parts[0].toStdString()), parts[1].toStdString());
        }
        writeFile(w.outside("bk/larger.txt"), "bk");
        writeFile(w.outside("bk/smaller.txt"), "bigger bk");
        for (const char* name : {"larger.txt", "smaller.txt"}) {
            sorvik::test::setModifiedTime(w.outside("src/") + name, 1'000'000'000);
            sorvik::test::setModifiedTime(w.outside("bk/") + name, 2'000'000'000);
        }
        QVERIFY(w.ready && w.start());
        Settings settings{"", options[3], true, options[0], options[1], options[2], false};
        w.window.settingsPanel().showOptions(settings);
        w.window.settingsPanel().showExcludedExtensions(excluded);
        w.setPair(w.outside("src"), w.outside("bk"));
        ModalAnswerer answerer;
        w.button(false).click();
        QCOMPARE(answerer.texts, QStringList());
        backup.sort();
        QCOMPARE(treeOf(w.outside("bk")), backup);
    }

    void aRunReportsItsErrorsOnceAtTheEnd_data() {
        QTest::addColumn<bool>("batch");
        QTest::newRow("single run") << false;
        QTest::newRow("batch") << true;
    }
    void aRunReportsItsErrorsOnceAtTheEnd() {
        QFETCH(bool, batch);
        Window w({}, {});
        writeFile(w.outside("src1/sub/f.txt"), "f");
        writeFile(w.outside("bk1/sub"), "in the way");
        writeFile(w.outside("src2/fine.txt"), "fine");
        writeFile(w.outside("src3/d/e/g.txt"), "g");
        writeFile(w.outside("bk3/d"), "in the way");
        writeFile(w.files.errorLog, "earlier\r\n");  // replaced, not added to
        QVERIFY(w.leaveSession({{w.outside("src1"), w.outside("bk1")},
                                {w.outside("src2"), w.outside("bk2")},
                                {w.outside("src3"), w.outside("bk3")}}));
        QVERIFY(w.start());
        ModalAnswerer answerer;
        QString captionInBox;
        answerer.whileOpen = [&] { captionInBox = w.window.windowTitle(); };
        w.button(batch).click();
        QCOMPARE(answerer.titles, QStringList{kTitle});
        QCOMPARE(answerer.texts,
                 QStringList{boxText(text::kErrorsOccurred, w.folder + "/ErrorLog.txt")});
        QCOMPARE(captionInBox, kComplete);
        QCOMPARE(w.window.windowTitle(), kComplete);
        QCOMPARE(treeOf(w.outside("bk2")).size(), batch ? 1 : 0);
        // フォルダ作成エラー in code page 932, the path, then an empty line, each ended by CR LF.
        const std::string label =
            "\x83\x74\x83\x48\x83\x8b\x83\x5f\x8d\xec\x90\xac\x83\x47\x83\x89\x81\x5b\r\n";
        std::string log = label + w.outside("bk1/sub") + "\r\n";
        if (batch) {
            log += label + w.outside("bk3/d") + "\r\n" + label + w.outside("bk3/d/e") + "\r\n";
        }
        QCOMPARE(fileBytes(w.files.errorLog), log + "\r\n");
    }

    void theBatchRunsEveryPairAndLeavesTheLastSelected_data() {
        QTest::addColumn<int>("pairs");
        QTest::addColumn<bool>("lastMissing");
        QTest::newRow("none") << 0 << false;
        QTest::newRow("one, selected at start-up") << 1 << false;
        QTest::newRow("three, the last source missing") << 3 << true;
    }
    void theBatchRunsEveryPairAndLeavesTheLastSelected() {
        QFETCH(int, pairs);
        QFETCH(bool, lastMissing);
        Window w;
        std::vector<PathPair> list;
        for (int i = 0; i < pairs; ++i) {
            const std::string n = std::to_string(i);
            if (!lastMissing || i < pairs - 1) {
                writeFile(w.outside("src" + n + "/f.txt"), n);
            }
            list.push_back({w.outside("src" + n), w.outside("bk" + n)});
        }
        QVERIFY(w.leaveSession(list) && w.start());
        // A pair typed over the selected one is no list entry: the batch leaves it alone.
        w.box(0).setText(QStringLiteral("/typed"));
        w.box(1).setText(QStringLiteral("/typed/bk"));
        ModalAnswerer answerer;
        QTest::mouseClick(&w.button(true), Qt::LeftButton);
        QCOMPARE(answerer.texts,
                 lastMissing ? QStringList{qText(text::kSourceNotFound)} : QStringList());
        QCOMPARE(w.window.windowTitle(), kComplete);
        QVERIFY(!fs::exists(w.files.errorLog));
        for (int i = 0; i < pairs; ++i) {
            const bool missing = lastMissing && i == pairs - 1;
            QCOMPARE(treeOf(w.outside("bk" + std::to_string(i))),
                     missing ? QStringList() : QStringList{QStringLiteral("f.txt=%1").arg(i)});
        }
        const auto selected = w.window.pathList().selectedRow();
        QCOMPARE(selected.has_value(), pairs > 0);
        if (pairs > 0) {
            QCOMPARE(*selected, static_cast<std::size_t>(pairs - 1));
            QCOMPARE(w.window.folderBoxes().pair(), list.back());
        } else {
            QCOMPARE(w.box(1).text(), QStringLiteral("/typed/bk"));
        }
    }

    void aLockHeldByAnotherRunStopsTheRun_data() { aRunReportsItsErrorsOnceAtTheEnd_data(); }
    void aLockHeldByAnotherRunStopsTheRun() {
        QFETCH(bool, batch);
        Window w;
        writeFile(w.outside("src/a.txt"), "a");
        QVERIFY(w.leaveSession({{w.outside("src"), w.outside("bk")}}) && w.start());
        auto held = std::make_optional(FolderLock::tryAcquire(w.folder));
        QVERIFY(*held);
        ModalAnswerer answerer;
        w.button(batch).click();
        QCOMPARE(answerer.texts, QStringList{qText(text::kAnotherRunInProgress)});
        QVERIFY(!fs::exists(w.outside("bk")));
        QCOMPARE(w.window.windowTitle(), kTitle);
        QVERIFY(w.window.runController().isIdle());
        held.reset();
        w.button(batch).click();
        QCOMPARE(treeOf(w.outside("bk")), QStringList{"a.txt=a"});
    }

    void duringARunNoOtherRunStartsAndACloseWaits_data() {
        QTest::addColumn<bool>("inABox");  // else at a caption of a single run
        QTest::newRow("in the run's message box") << true;
        QTest::newRow("at a caption") << false;
    }
    void duringARunNoOtherRunStartsAndACloseWaits() {
        QFETCH(bool, inABox);
        Window w;
        writeFile(w.outside("src/a.txt"), "a");
        writeFile(w.outside("src/sub/b.txt"), "b");
        writeFile(w.outside("listed/c.txt"), "c");
        std::vector<PathPair> list{{w.outside("missing"), w.outside("bk-missing")},
                                   {w.outside("src"), w.outside("bk")}};
        QVERIFY(w.leaveSession(list) && w.start());
        const QPoint secondRow = w.column(0).visualRect(w.column(0).model()->index(1, 0)).center();
        int calls = 0;
        bool lockBusy = false;
        bool visibleAfterRequest = false;
        QStringList nestedBoxes;
        QSignalSpy clicks(&w.button(true), &QPushButton::clicked);
        const auto act = [&] {
            if (calls++ > 0) {
                return;
            }
            lockBusy = lockIsBusy(w.folder);
            ModalAnswerer nested;  // answers a box a second run would open
            w.window.runController().backUpPair();
            w.window.runController().backUpList();
            QTest::mouseClick(&w.button(true), Qt::LeftButton);
            QTest::mouseClick(w.column(0).viewport(), Qt::LeftButton, {}, secondRow);
            QTest::keyClicks(&w.box(1), QStringLiteral("xyz"));
            nestedBoxes = nested.texts;
            w.window.close();
            visibleAfterRequest = w.window.isVisible();
        };
        ModalAnswerer answerer;
        if (inABox) {
            answerer.whileOpen = act;
            w.window.runController().backUpList();
        } else {
            w.window.pathList().selectPair(1);
            QTimer::singleShot(0, &w.window, act);
            w.button(false).click();
        }
        QCOMPARE(answerer.texts,
                 inABox ? QStringList{qText(text::kSourceNotFound)} : QStringList());
        QCOMPARE(calls, 1);
        QVERIFY(lockBusy);
        QCOMPARE(nestedBoxes, QStringList());
        QCOMPARE(clicks.count(), 0);
        QVERIFY(visibleAfterRequest);
        QCOMPARE(w.window.pathList().selectedRow(), std::optional<std::size_t>(1));
        QCOMPARE(w.box(1).text(), qText(w.outside("bk")));
        // The run went on to its end; the window went once the click had wholly ended.
        QCOMPARE(treeOf(w.outside("bk")), kAB);
        QVERIFY(!fs::exists(w.outside("bk-missing")));
        QVERIFY(w.window.isVisible());
        QTRY_VERIFY(!w.window.isVisible());
        // The request was used up: a later run leaves the window open.
        w.window.show();
        w.setPair(w.outside("src"), w.outside("bk2"));
        w.button(false).click();
        QCoreApplication::processEvents();
        QVERIFY(w.window.isVisible());
        QCOMPARE(treeOf(w.outside("bk2")), kAB);
    }

    void aMarkerFileArmsTheCountdownAtStartUp_data() {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<bool>("optionOn");
        QTest::newRow("none, option on") << "none" << true;
        QTest::newRow("empty, option off") << "empty" << false;
        QTest::newRow("with contents") << "contents" << true;
        QTest::newRow("a folder") << "folder" << true;
    }
    void aMarkerFileArmsTheCountdownAtStartUp() {
        QFETCH(QString, marker);
        QFETCH(bool, optionOn);
        Settings settings;
        settings.automaticRun = optionOn;
        Window w({}, settings);
        const bool armed = marker == QLatin1String("empty") || marker == QLatin1String("contents");
        if (marker == QLatin1String("folder")) {
            writeFile(w.files.automaticRunMarker + "/inside", "x");
        } else if (marker != QLatin1String("none")) {
            writeFile(w.files.automaticRunMarker, marker == QLatin1String("empty") ? "" : "x\r\n");
        }
        w.window.move(50, 40);
        const QSize normal = w.window.size();
        ModalAnswerer answerer;
        w.window.start();
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(fs::exists(w.files.automaticRunMarker), marker == QLatin1String("folder"));
        QVERIFY(w.window.isVisible());
        QCOMPARE(w.window.windowTitle(), kTitle);
        QCOMPARE(w.window.automaticRun().isPending(), armed);
        QCOMPARE(w.window.automaticRun().timer().isActive(), armed);
        QCOMPARE(w.window.size() != normal, armed);  // the countdown strip
        if (armed) {
            QCOMPARE(w.window.pos(), QPoint(0, 0));
            QVERIFY(w.window.windowHandle()->isVisible());
            w.window.resize(300, 300);
            QVERIFY(w.window.height() < 10);
        }
        // Without a pending run a tick does nothing.
        w.tick(armed ? 0 : 1);
        QCOMPARE(w.window.windowTitle(), kTitle);
    }

    void theCountdownRunsTheBatchLeavesTheMarkerAndCloses() {
        Settings settings;
        settings.automaticRun = true;
        Window w({}, settings, true);
        writeFile(w.outside("src/a.txt"), "a");
        writeFile(w.outside("src/sub/b.txt"), "b");
        QVERIFY(w.leaveSession({{w.outside("src"), w.outside("bk")}}, settings));
        w.window.automaticRun().setIntervals(std::chrono::milliseconds(1),
                                             std::chrono::milliseconds(1));
        QSignalSpy titles(&w.window, &QWidget::windowTitleChanged);
        ModalAnswerer answerer;
        w.window.start();
        QTRY_VERIFY_WITH_TIMEOUT(!w.window.isVisible(), 30000);
        QCOMPARE(answerer.texts, QStringList());
        QStringList shown;
        for (const auto& arguments : titles) {
            shown << arguments.at(0).toString();
        }
        QCOMPARE(shown.mid(0, 5), (QStringList{countdown(5), countdown(4), countdown(3),
                                               countdown(2), countdown(1)}));
        QCOMPARE(shown.last(), kComplete);
        QCOMPARE(treeOf(w.outside("bk")), kAB);
        QCOMPARE(fileBytes(w.files.automaticRunMarker), std::string());  // the next start too
        QVERIFY(!w.window.automaticRun().isPending());
        QVERIFY(!w.window.automaticRun().timer().isActive());
        QVERIFY(sorvik::lists::readSettingsFile(w.files.settings)->automaticRun);
    }

    void aCloseDuringTheCountdownCancelsIt_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("firstRun");
        QTest::newRow("at 5") << 0 << false;
        QTest::newRow("at 0") << 5 << false;
        QTest::newRow("first run, at 5") << 0 << true;
    }
    void aCloseDuringTheCountdownCancelsIt() {
        QFETCH(int, ticks);
        QFETCH(bool, firstRun);
        Settings settings;
        settings.automaticRun = true;
        Window w({}, settings, true);
        writeFile(w.outside("src/a.txt"), "a");
        QVERIFY(w.leaveSession({{w.outside("src"), w.outside("bk")}}, settings));
        if (firstRun) {
            fs::remove(w.files.settings);
        }
        const std::string before = fileBytes(w.files.settings);
        const QSize normal = w.window.size();
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("daily");
        w.window.start();
        w.tick(ticks);
        QCOMPARE(w.window.automaticRun().secondsLeft(), std::optional<int>(5 - ticks));
        // Another window may have armed the run meanwhile: a cancel still means a normal start.
        writeFile(w.files.automaticRunMarker, "");
        QVERIFY(!w.window.close());
        QVERIFY(w.window.isVisible());
        QCOMPARE(w.window.size(), normal);
        QCOMPARE(w.window.windowTitle(), kTitle);
        QVERIFY(!w.window.automaticRun().timer().isActive());
        QVERIFY(!w.find<QCheckBox>(QStringLiteral("automaticRunBox")).isChecked());
        QVERIFY(!fs::exists(w.files.automaticRunMarker));
        QCOMPARE(fileBytes(w.files.settings), before);  // nothing saved
        QCOMPARE(answerer.texts, QStringList());
        w.tick(1);  // a tick still due changes nothing
        QVERIFY(!fs::exists(w.outside("bk")));
        QVERIFY(w.window.close());  // the next close is an ordinary one
        QVERIFY(!sorvik::lists::readSettingsFile(w.files.settings)->automaticRun);
    }

    void aCloseOrATickDuringTheAutomaticBatchWaitsForItsEnd_data() {
        QTest::addColumn<bool>("markerUnwritable");
        QTest::newRow("in the batch's own box") << false;
        QTest::newRow("in the box after the batch") << true;
    }
    void aCloseOrATickDuringTheAutomaticBatchWaitsForItsEnd() {
        QFETCH(bool, markerUnwritable);
        Settings settings;
        settings.automaticRun = true;
        Window w({}, settings, true);
        writeFile(w.outside("src/a.txt"), "a");
        writeFile(w.outside("src/sub/b.txt"), "b");
        QVERIFY(w.leaveSession(
            {{w.outside("missing"), w.outside("bk-missing")}, {w.outside("src"), w.outside("bk")}},
            settings));
        const QString unwritable = boxText("ファイルを保存できませんでした。",
                                           w.files.automaticRunMarker, std::errc::is_a_directory);
        const QString openBox = markerUnwritable ? unwritable : qText(text::kSourceNotFound);
        ModalAnswerer answerer;
        int requests = 0;
        bool closedAtRequest = true;
        QStringList nestedBoxes;
        answerer.whileOpen = [&] {
            if (answerer.texts.last() != openBox || requests++ > 0) {
                return;
            }
            ModalAnswerer nested;
            w.tick(2);
            nestedBoxes = nested.texts;
            closedAtRequest = w.window.close();
        };
        w.window.start();
        if (markerUnwritable) {
            writeFile(w.files.automaticRunMarker + "/keep", "keep");
        }
        w.tick(6);
        QTRY_VERIFY(!w.window.isVisible());
        QCOMPARE(requests, 1);
        QVERIFY(!closedAtRequest);
        QCOMPARE(nestedBoxes, QStringList());
        QStringList expected{qText(text::kSourceNotFound)};
        if (markerUnwritable) {
            expected << unwritable;
        }
        QCOMPARE(answerer.texts, expected);
        // The batch went on to its last pair, and the close did not cancel the run.
        QCOMPARE(treeOf(w.outside("bk")), kAB);
        QCOMPARE(fs::is_regular_file(w.files.automaticRunMarker), !markerUnwritable);
        QVERIFY(sorvik::lists::readSettingsFile(w.files.settings)->automaticRun);
    }

    void theCountdownWaitsUntilStartUpHasAskedForTheList() {
        Window w({}, {}, true);
        fs::remove(w.files.settings);
        w.window.automaticRun().setIntervals(std::chrono::milliseconds(1),
                                             std::chrono::milliseconds(1));
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("Daily");
        std::optional<int> leftWhileAsked;
        answerer.whileOpen = [&] {
            QTest::qWait(30);  // ticks enough for the whole countdown, were it running
            leftWhileAsked = w.window.automaticRun().secondsLeft();
        };
        w.window.start();
        QCOMPARE(leftWhileAsked, std::optional<int>(5));
    }

    void theOptionLeavesOrRemovesTheMarker_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("markerBefore");
        QTest::newRow("on, no marker") << true << false;
        QTest::newRow("on, a marker with contents") << true << true;
        QTest::newRow("off, a marker") << false << true;
        QTest::newRow("off, no marker") << false << false;
    }
    void theOptionLeavesOrRemovesTheMarker() {
        QFETCH(bool, on);
        QFETCH(bool, markerBefore);
        Settings settings;
        settings.automaticRun = !on;
        Window w({}, settings);
        QVERIFY(w.start());
        if (markerBefore) {
            writeFile(w.files.automaticRunMarker, "left by hand\r\n");
        }
        ModalAnswerer answerer;
        w.find<QCheckBox>(QStringLiteral("automaticRunBox")).click();
        QCOMPARE(fileBytes(w.files.automaticRunMarker), std::string(on ? "" : "<no file>"));
        QCOMPARE(
            answerer.texts,
            on ? QStringList{QStringLiteral(
                     "起動時に「5秒」待機します。\n"
                     "通常起動に戻したい場合は、待機中に右上の「×」を押して終了してください。")}
               : QStringList());
        // It arms the next start, not this one.
        QVERIFY(!w.window.automaticRun().isPending());
        QCOMPARE(w.window.windowTitle(), kTitle);
    }
};

QTEST_MAIN(RunTest)
#include "run_test.moc"
