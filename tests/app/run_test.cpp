// Runs from the window: the two buttons on real folders, the options, the error report and the
// lock, the run state that keeps out input, second runs and closes, and the automatic run.

#include "platform/folder_lock.h"
#include "tests/app/support/window_fixture.h"

namespace {

using namespace sorvik::test;
namespace text = sorvik::engine::text;
using sorvik::platform::FolderLock;
using Row = std::optional<std::size_t>;

const QString kComplete = qText(text::kComplete);
const QString kTitle = qText(text::kApplicationTitle);
const QString kSourceNotFound = qText(text::kSourceNotFound);
const QStringList kAB{"a.txt=a", "sub/", "sub/b.txt=b"};

bool lockIsBusy(const std::string& folder) {
    const auto lock = FolderLock::tryAcquire(folder);
    return !lock && lock.error() == std::errc::resource_unavailable_try_again;
}

// A window on list "daily.lst" holding `pairs` (beside "src" holding kAB), every option off but
// the automatic run's; the countdown is ticked by hand unless a test shortens it.
struct Window : WindowFixture {
    explicit Window(std::initializer_list<std::pair<const char*, const char*>> pairs = {},
                    bool automatic = false, bool marker = false) {
        lay({"src/a.txt=a", "src/sub/b.txt=b"});
        std::vector<PathPair> list;
        for (const auto& [source, backup] : pairs) {
            list.push_back(pair(source, backup));
        }
        ready = leaveSession(list, {"", false, false, false, false, false, automatic});
        if (marker) {
            writeFile(files.automaticRunMarker, "left by hand\r\n");
        }
        window.automaticRun().setIntervals(std::chrono::hours(1), std::chrono::hours(1));
        window.runController().setCaptionInterval(std::chrono::milliseconds(0));
    }
    QPushButton& button(bool batch) {
        return find<QPushButton>(batch ? "backUpListButton" : "backUpButton");
    }
    void tick(int times) {
        for (int i = 0; i < times; ++i) {
            window.automaticRun().tick();
        }
    }
    void fastCountdown() {
        window.automaticRun().setIntervals(std::chrono::milliseconds(1),
                                           std::chrono::milliseconds(1));
    }
    bool ready = false;
};

}  // namespace

class RunTest : public QObject {
    Q_OBJECT

  private slots:
    void theBackupButtonRunsThePairOfTheBoxes() {
        // A source runs from the list entry's bytes, after an edit of another entry: on Linux a
        // name that is not UTF-8. Windows names are UTF-16, so there it is UTF-8.
#ifdef _WIN32
        const std::string source = "caf\xC3\xA9";
#else
        const std::string source = "caf\xE9";
#endif
        Window w;
        w.lay({source + "/写真/a.txt=a", source + "/empty/inner"});
        writeFile(w.path("daily.lst"),
                  "\xEF\xBB\xBF/x\r\n/y\r\n" + w.outside(source) + "\r\n" + w.outside("bk"));
        QVERIFY(w.ready && w.start());
        w.window.pathList().selectPair(0);
        w.window.pathList().deleteSelectedPair();
        w.window.pathList().selectPair(0);
        ModalAnswerer answerer;
        QTest::mouseClick(&w.button(false), Qt::LeftButton);
        const QStringList tree{"empty/", "empty/inner/", "写真/", "写真/a.txt=a"};
        QCOMPARE(treeOf(w.outside("bk")), tree);
        QCOMPARE(answerer.texts, QStringList());
        QCOMPARE(w.window.windowTitle(), kComplete);
        QVERIFY(!fs::exists(w.files.errorLog) && !lockIsBusy(w.folder));
        QVERIFY(w.window.runController().isIdle());
        // A folder typed by hand runs as typed, as UTF-8.
        w.box(1).clear();
        QTest::keyClicks(&w.box(1), qText(w.outside("typed")));
        QTest::mouseClick(&w.button(false), Qt::LeftButton);
        QCOMPARE(treeOf(w.outside("typed")), tree);
        QCOMPARE(w.window.folderBoxes().pair().source, w.outside(source));
    }

    void theOptionsOfTheWindowReachTheRun_data() {
        QTest::addColumn<std::vector<std::string>>("excluded");
        QTest::addColumn<Settings>("options");
        QTest::addColumn<QStringList>("backup");
        const QStringList kept{"larger.txt=bk", "smaller.txt=bigger bk"};
        const QStringList copied{"keep.txt=keep", "note.tmp.txt=note"};
        const QStringList replaced{"larger.txt=larger source", "smaller.txt=s"};
        const std::vector<std::string> both{"bak", "tmp"};
        const auto rules = [](bool extension, bool size, bool time, bool placeholder) {
            return Settings{"", placeholder, false, extension, size, time, false};
        };
        const QStringList tmp{"a.tmp=tmp"};
        QTest::newRow("tmp excluded, newer only") << both << rules(1, 0, 1, 0) << copied + kept;
        QTest::newRow("extension rule off, larger only")
            << both << rules(0, 1, 0, 0) << tmp + copied + QStringList{replaced[0], kept[1]};
        QTest::newRow("no size or time rule") << both << rules(1, 0, 0, 0) << copied + replaced;
        QTest::newRow("placeholder")
            << both << rules(1, 0, 1, 1) << QStringList{"keep.txt=", "note.tmp.txt="} + kept;
    }
    void theOptionsOfTheWindowReachTheRun() {
        QFETCH(std::vector<std::string>, excluded);
        QFETCH(Settings, options);
        QFETCH(QStringList, backup);
        Window w;
        w.lay({"o/keep.txt=keep", "o/a.tmp=tmp", "o/note.tmp.txt=note",
               "o/larger.txt=larger source", "o/smaller.txt=s", "bk/larger.txt=bk",
               "bk/smaller.txt=bigger bk"});
        for (const char* name : {"larger.txt", "smaller.txt"}) {
            setModifiedTime(w.outside("o/") + name, 1'000'000'000);
            setModifiedTime(w.outside("bk/") + name, 2'000'000'000);
        }
        QVERIFY(w.ready && w.start());
        w.window.settingsPanel().showOptions(options);
        w.window.settingsPanel().showExcludedExtensions(excluded);
        w.window.folderBoxes().showPair(w.pair("o", "bk"));
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
        Window w({{"src1", "bk1"}, {"src2", "bk2"}, {"src3", "bk3"}});
        w.lay({"src1/sub/f.txt=f", "bk1/sub=in the way", "src2/fine.txt=fine", "src3/d/e/g.txt=g",
               "bk3/d=in the way"});
        writeFile(w.files.errorLog, "earlier\r\n");  // replaced, not added to
        QVERIFY(w.ready && w.start());
        // Captions held back for the screen still reach it before a message.
        w.window.runController().setCaptionInterval(std::chrono::hours(1));
        ModalAnswerer answerer;
        QString captionInBox;
        answerer.whileOpen = [&] { captionInBox = w.window.windowTitle(); };
        w.button(batch).click();
        QCOMPARE(answerer.titles, QStringList{kTitle});
        QCOMPARE(answerer.texts, QStringList{boxText(text::kErrorsOccurred, w.files.errorLog)});
        QCOMPARE(captionInBox, kComplete);
        QCOMPARE(w.window.windowTitle(), kComplete);
        QCOMPARE(treeOf(w.outside("bk2")).size(), batch ? 1 : 0);
        // The log's own form is the engine's; here it names this run's failures only.
        const std::string log = fileBytes(w.files.errorLog);
        QVERIFY(log.find(w.outside("bk1/sub")) != std::string::npos && log.find("earlier") != 0);
        QCOMPARE(log.find(w.outside("bk3/d/e")) != std::string::npos, batch);
    }

    void theBatchRunsEveryPairAndLeavesTheLastSelected_data() {
        QTest::addColumn<int>("pairs");
        QTest::newRow("none") << 0;
        QTest::newRow("one, selected at start-up") << 1;
        QTest::newRow("three, the last source missing") << 3;
    }
    void theBatchRunsEveryPairAndLeavesTheLastSelected() {
        QFETCH(int, pairs);
        Window w;
        w.lay({"s0/f.txt=0", "s1/f.txt=1"});
        std::vector<PathPair> list{w.pair("s0", "bk0"), w.pair("s1", "bk1"),
                                   w.pair("missing", "bk2")};
        list.resize(static_cast<std::size_t>(pairs));
        QVERIFY(w.leaveSession(list, {"", false, false}) && w.start());
        // A pair typed over the selected one is no list entry: the batch leaves it alone.
        w.box(1).setText(QStringLiteral("/typed/bk"));
        ModalAnswerer answerer;
        QTest::mouseClick(&w.button(true), Qt::LeftButton);
        QCOMPARE(answerer.texts, pairs == 3 ? QStringList{kSourceNotFound} : QStringList());
        QCOMPARE(w.window.windowTitle(), kComplete);
        QVERIFY(!fs::exists(w.files.errorLog) && !fs::exists(w.outside("bk2")));
        QCOMPARE(treeOf(w.outside("bk0")), pairs > 0 ? QStringList{"f.txt=0"} : QStringList());
        QCOMPARE(treeOf(w.outside("bk1")), pairs > 1 ? QStringList{"f.txt=1"} : QStringList());
        QCOMPARE(w.window.pathList().selectedRow(), pairs > 0 ? Row(pairs - 1) : std::nullopt);
        QCOMPARE(w.window.folderBoxes().pair(),
                 (pairs > 0 ? list.back() : PathPair{"", "/typed/bk"}));
    }

    void aLockHeldByAnotherRunStopsTheRun_data() {
        aRunReportsItsErrorsOnceAtTheEnd_data();
    }
    void aLockHeldByAnotherRunStopsTheRun() {
        QFETCH(bool, batch);
        Window w({{"src", "bk"}});
        QVERIFY(w.ready && w.start());
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
        QCOMPARE(treeOf(w.outside("bk")), kAB);
    }

    void duringARunNoOtherRunStartsAndACloseWaits_data() {
        QTest::addColumn<bool>("inABox");  // else at a caption of a single run
        QTest::newRow("in the run's message box") << true;
        QTest::newRow("at a caption") << false;
    }
    void duringARunNoOtherRunStartsAndACloseWaits() {
        QFETCH(bool, inABox);
        Window w({{"missing", "bk-missing"}, {"src", "bk"}});
        QVERIFY(w.ready && w.start());
        const QPoint firstRow = w.column(0).visualRect(w.column(0).model()->index(0, 0)).center();
        int calls = 0;
        bool lockBusy = false, visibleAfterRequest = false;
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
            QTest::mouseClick(w.column(0).viewport(), Qt::LeftButton, {}, firstRow);
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
        QCOMPARE(answerer.texts, inABox ? QStringList{kSourceNotFound} : QStringList());
        QVERIFY(calls == 1 && lockBusy && visibleAfterRequest);
        QCOMPARE(nestedBoxes, QStringList());
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(w.window.pathList().selectedRow(), Row(1));
        QCOMPARE(w.box(1).text(), qText(w.outside("bk")));
        // The run went on to its end; the window went once the click had wholly ended.
        QCOMPARE(treeOf(w.outside("bk")), kAB);
        QVERIFY(!fs::exists(w.outside("bk-missing")) && w.window.isVisible());
        QTRY_VERIFY(!w.window.isVisible());
        // The request was used up, and input is taken again: a later run leaves the window open.
        w.window.show();
        w.box(1).setText(qText(w.outside("bk2")));
        QTest::mouseClick(&w.button(false), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(w.window.isVisible());
        QCOMPARE(treeOf(w.outside("bk2")), kAB);
    }

    void onlyAMarkerFileArmsTheCountdown() {
        for (const bool folder : {false, true}) {  // no marker with the option on, or a folder
            Window w({{"src", "bk"}}, true);
            if (folder) {
                writeFile(w.files.automaticRunMarker + "/inside", "");
            }
            const QSize normal = w.window.size();
            ModalAnswerer answerer;
            w.window.start();
            w.tick(1);  // without a pending run a tick does nothing
            QVERIFY(!w.window.automaticRun().isPending() && answerer.texts.isEmpty());
            QCOMPARE(fs::exists(w.files.automaticRunMarker), folder);
            QVERIFY(w.window.windowTitle() == kTitle && w.window.size() == normal);
            QVERIFY(!fs::exists(w.outside("bk")));
        }
    }

    void theCountdownRunsTheBatchLeavesTheMarkerAndCloses() {
        Window w({{"src", "bk"}}, true, true);
        w.fastCountdown();
        QSignalSpy titles(&w.window, &QWidget::windowTitleChanged);
        ModalAnswerer answerer;
        w.window.start();
        QTRY_VERIFY_WITH_TIMEOUT(!w.window.isVisible(), 30000);
        QCOMPARE(answerer.texts, QStringList());
        QStringList shown;
        for (const auto& arguments : titles) {
            shown << arguments.at(0).toString();
        }
        const QString countdown =
            QStringLiteral("[ %1 ] バックアップ待機中。キャンセルは右上の「×」を押してください。");
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(shown.value(i), countdown.arg(5 - i));
        }
        QCOMPARE(shown.last(), kComplete);
        QCOMPARE(treeOf(w.outside("bk")), kAB);
        QCOMPARE(fileBytes(w.files.automaticRunMarker), std::string());  // the next start too
        QVERIFY(!w.window.automaticRun().isPending() &&
                !w.window.automaticRun().timer().isActive());
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
        Window w({{"src", "bk"}}, true, true);
        if (firstRun) {
            fs::remove(w.files.settings);
        }
        const std::string before = fileBytes(w.files.settings);
        const QSize normal = w.window.size();
        w.window.move(50, 40);
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("daily");
        w.window.start();
        // Armed: the marker is gone until the run is done, and the window is the countdown strip.
        QVERIFY(!fs::exists(w.files.automaticRunMarker) &&
                w.window.automaticRun().timer().isActive());
        QVERIFY(w.window.pos() == QPoint(0, 0) && w.window.isVisible());
        w.window.resize(300, 300);
        QVERIFY(w.window.height() < 10);
        QCOMPARE(w.window.windowTitle(), kTitle);
        w.tick(ticks);
        QCOMPARE(w.window.automaticRun().secondsLeft(), std::optional<int>(5 - ticks));
        // Another window may have armed the run meanwhile: a cancel still means a normal start.
        writeFile(w.files.automaticRunMarker, "");
        QVERIFY(!w.window.close() && w.window.isVisible());
        QCOMPARE(w.window.size(), normal);
        QCOMPARE(w.window.windowTitle(), kTitle);
        QVERIFY(!w.window.automaticRun().timer().isActive());
        QVERIFY(!w.find<QCheckBox>("automaticRunBox").isChecked());
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
        Window w({{"missing", "bk-missing"}, {"src", "bk"}}, true, true);
        QStringList expected{kSourceNotFound};
        if (markerUnwritable) {
            expected << boxText("ファイルを保存できませんでした。", w.files.automaticRunMarker,
                                std::errc::is_a_directory);
        }
        ModalAnswerer answerer;
        bool closedAtRequest = true;
        QStringList nestedBoxes{"none yet"};
        answerer.whileOpen = [&] {
            if (answerer.texts.last() == expected.last()) {
                ModalAnswerer nested;
                w.tick(2);
                nestedBoxes = nested.texts;
                closedAtRequest = w.window.close();
            }
        };
        w.window.start();
        if (markerUnwritable) {
            writeFile(w.files.automaticRunMarker + "/keep", "keep");
        }
        w.tick(6);
        QTRY_VERIFY(!w.window.isVisible());
        QVERIFY(!closedAtRequest);
        QCOMPARE(nestedBoxes, QStringList());
        QCOMPARE(answerer.texts, expected);
        // The batch went on to its last pair, and the close did not cancel the run.
        QCOMPARE(treeOf(w.outside("bk")), kAB);
        QCOMPARE(fs::is_regular_file(w.files.automaticRunMarker), !markerUnwritable);
        QVERIFY(sorvik::lists::readSettingsFile(w.files.settings)->automaticRun);
    }

    void theOptionLeavesOrRemovesTheMarker_data() {
        QTest::addColumn<bool>("on");
        QTest::newRow("on, over a marker with contents") << true;
        QTest::newRow("off") << false;
    }
    void theOptionLeavesOrRemovesTheMarker() {
        QFETCH(bool, on);
        Window w({}, !on);
        QVERIFY(w.ready && w.start());
        writeFile(w.files.automaticRunMarker, "left by hand\r\n");
        ModalAnswerer answerer;
        w.find<QCheckBox>("automaticRunBox").click();
        QCOMPARE(fileBytes(w.files.automaticRunMarker), std::string(on ? "" : "<no file>"));
        QCOMPARE(answerer.texts, on ? QStringList{QStringLiteral(
                                          "起動時に「5秒」待機します。\n通常起動に戻したい場合は、"
                                          "待機中に右上の「×」を押して終了してください。")}
                                    : QStringList());
        // It arms the next start, not this one.
        QVERIFY(!w.window.automaticRun().isPending());
        QCOMPARE(w.window.windowTitle(), kTitle);
    }
};

QTEST_MAIN(RunTest)
#include "run_test.moc"
