// The automatic run: the marker file that arms it at start-up, the countdown in the caption, the
// batch it ends in, cancelling it with a close request, and the option that leaves the marker.
#include <QCheckBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "engine/messages.h"
#include "lists/extension_file.h"
#include "lists/list_file.h"
#include "lists/settings_file.h"
#include "platform/text_file.h"
#include "tests/app/support/folder_contents.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
namespace text = sorvik::engine::text;
using sorvik::app::Form1;
using sorvik::lists::PathPair;
using sorvik::test::boxText;
using sorvik::test::ModalAnswerer;
using sorvik::test::qText;
using sorvik::test::readFile;
using sorvik::test::TempFolder;
using sorvik::test::textLines;
using sorvik::test::treeOf;
using sorvik::test::writeFile;

// Long enough that the timer never fires by itself: the test ticks by hand.
constexpr std::chrono::milliseconds kFirstByHand = std::chrono::hours(1);
constexpr std::chrono::milliseconds kTickByHand = std::chrono::hours(2);
constexpr std::chrono::milliseconds kQuick{1};
// Waiting for the window to close; generous for the sanitizer build.
constexpr int kCloseWaitMs = 30000;

QString countdownCaption(int seconds) {
    return QStringLiteral("[ %1 ] バックアップ待機中。キャンセルは右上の「×」を押してください。")
        .arg(seconds);
}

const QString kArmedText = QStringLiteral(
    "起動時に「5秒」待機します。\n"
    "通常起動に戻したい場合は、待機中に右上の「×」を押して終了してください。");

std::string makeProgramFolder(const TempFolder& temp) {
    const std::string folder = temp / "program";
    fs::create_directory(folder);
    return folder;
}

// A window on a program folder of its own, with room for sources and backups beside it. The
// countdown is ticked by hand unless a test shortens it.
struct Program {
    Program() : folder(makeProgramFolder(temp)), form(folder) {
        form.setCountdownIntervals(kFirstByHand, kTickByHand);
    }

    std::string path(std::string_view relative) const { return temp / relative; }
    std::string listPath() const { return folder + "/daily.lst"; }
    std::string marker() const { return folder + "/Auto.go"; }

    // The list "daily" holding `pairs`, and the settings of an earlier session with it current.
    bool leaveSession(const std::vector<PathPair>& pairs, bool automaticRun,
                      bool alwaysOnTop = true) {
        sorvik::lists::Settings settings;
        settings.listPath = listPath();
        settings.checks[sorvik::lists::kAutomaticRun] = automaticRun;
        settings.checks[sorvik::lists::kAlwaysOnTop] = alwaysOnTop;
        return !sorvik::lists::writeListFile(listPath(), pairs) &&
               !sorvik::lists::writeSettingsFile(form.IniPath, settings);
    }

    void tick(int times) {
        for (int i = 0; i < times; ++i) {
            form.Timer1_Timer();
        }
    }

    QCheckBox* check(int index) {
        return form.findChild<QCheckBox*>(QStringLiteral("Check_%1").arg(index));
    }
    QTimer* timer() { return form.findChild<QTimer*>(QStringLiteral("Timer1")); }

    TempFolder temp;
    std::string folder;
    Form1 form;
};

// Notes whether the marker was there when the window went away.
class HideWatcher : public QObject {
  public:
    HideWatcher(QWidget& window, std::string marker) : marker_(std::move(marker)) {
        window.installEventFilter(this);
    }
    bool markerAtHide = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            markerAtHide = fs::is_regular_file(marker_);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::string marker_;
};

QStringList titlesOf(const QSignalSpy& spy) {
    QStringList titles;
    for (const QList<QVariant>& arguments : spy) {
        titles << arguments.at(0).toString();
    }
    return titles;
}

}  // namespace

class AutomaticRunTest : public QObject {
    Q_OBJECT

  private slots:
    void startUpArmsTheCountdownOnlyForAMarkerFile_data();
    void startUpArmsTheCountdownOnlyForAMarkerFile();
    void countdownTick_data();
    void countdownTick();
    void countdownRunsTheBatchLeavesTheMarkerAndCloses();
    void closeDuringTheCountdownCancelsTheRun_data();
    void closeDuringTheCountdownCancelsTheRun();
    void closeDuringTheBatchWaitsForTheWholeTick_data();
    void closeDuringTheBatchWaitsForTheWholeTick();
    void noSecondBatchStarts_data();
    void noSecondBatchStarts();
    void aMarkerThatCannotBeLeftIsReportedAndTheWindowStillCloses();
    void checkingTheOptionLeavesAnEmptyMarker_data();
    void checkingTheOptionLeavesAnEmptyMarker();
    void uncheckingTheOptionRemovesTheMarker_data();
    void uncheckingTheOptionRemovesTheMarker();
    void alwaysOnTopFollowsItsCheckBox_data();
    void alwaysOnTopFollowsItsCheckBox();
};

void AutomaticRunTest::startUpArmsTheCountdownOnlyForAMarkerFile_data() {
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("optionOn");
    QTest::addColumn<bool>("armed");
    QTest::newRow("no marker, option off") << "none" << false << false;
    QTest::newRow("no marker, option on") << "none" << true << false;
    QTest::newRow("marker, option on") << "empty" << true << true;
    QTest::newRow("marker, option off") << "empty" << false << true;
    QTest::newRow("marker with contents") << "contents" << true << true;
    QTest::newRow("folder under the marker's name") << "folder" << true << false;
}

void AutomaticRunTest::startUpArmsTheCountdownOnlyForAMarkerFile() {
    QFETCH(QString, marker);
    QFETCH(bool, optionOn);
    QFETCH(bool, armed);
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    QVERIFY(p.leaveSession({{p.path("src"), p.path("bk")}}, optionOn));
    if (marker == QLatin1String("empty")) {
        writeFile(p.marker(), "");
    } else if (marker == QLatin1String("contents")) {
        writeFile(p.marker(), "left by hand\r\n");
    } else if (marker == QLatin1String("folder")) {
        writeFile(p.marker() + "/inside.txt", "x");
    }
    const QSize normal = p.form.size();
    p.form.move(50, 40);

    ModalAnswerer answerer;
    p.form.Form_Load();

    // Start-up restores the option's value without acting on it: no box, no new marker.
    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(p.check(4)->isChecked(), optionOn);
    if (marker == QLatin1String("folder")) {
        QCOMPARE(treeOf(p.marker()), QStringList{QStringLiteral("inside.txt=x")});
    } else {
        // Gone until the run is done, so a start that crashes in the countdown is normal next time.
        QVERIFY(!fs::exists(p.marker()));
    }
    QVERIFY(p.form.isVisible());
    QCOMPARE(p.form.windowTitle(), qText(text::kApplicationTitle));
    QCOMPARE(p.form.findChild<QListWidget*>(QStringLiteral("FilPL_0"))->count(), 1);
    QVERIFY(!fs::exists(p.path("bk")));
    QCOMPARE(p.timer()->isActive(), armed);
    if (armed) {
        QCOMPARE(p.form.AutoWait, 5);
        QCOMPARE(p.timer()->interval(), static_cast<int>(kFirstByHand.count()));
        QCOMPARE(p.form.pos(), QPoint(0, 0));
        QVERIFY(p.form.size() != normal);  // the countdown strip
        // A window of no height at all would never reach the screen.
        QVERIFY(p.form.windowHandle()->isVisible());
    } else {
        QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
        QCOMPARE(p.form.size(), normal);
    }
}

void AutomaticRunTest::countdownTick_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("counts");
    QTest::newRow("6") << 6 << true;
    QTest::newRow("5") << 5 << true;
    QTest::newRow("1") << 1 << true;
    QTest::newRow("7") << 7 << false;
    QTest::newRow("-1") << -1 << false;
    QTest::newRow("no run pending") << static_cast<int>(Form1::kNoAutomaticRun) << false;
}

void AutomaticRunTest::countdownTick() {
    QFETCH(int, before);
    QFETCH(bool, counts);
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    QVERIFY(p.leaveSession({{p.path("src"), p.path("bk")}}, false));
    ModalAnswerer answerer;
    p.form.Form_Load();
    QVERIFY(!p.timer()->isActive());

    p.form.AutoWait = before;
    p.form.Timer1_Timer();

    QCOMPARE(answerer.texts, QStringList());
    QVERIFY(p.form.isVisible());
    QVERIFY(!fs::exists(p.path("bk")));
    if (counts) {
        QCOMPARE(p.form.windowTitle(), countdownCaption(before));
        QCOMPARE(p.form.AutoWait, before - 1);
        QVERIFY(p.timer()->isActive());
        QCOMPARE(p.timer()->interval(), static_cast<int>(kTickByHand.count()));
    } else {
        QCOMPARE(p.form.windowTitle(), qText(text::kApplicationTitle));
        QCOMPARE(p.form.AutoWait, before);
        QVERIFY(!p.timer()->isActive());
    }
}

void AutomaticRunTest::countdownRunsTheBatchLeavesTheMarkerAndCloses() {
    Program p;
    writeFile(p.path("src1/a.txt"), "a");
    writeFile(p.path("src2/sub/b.txt"), "b");
    QVERIFY(
        p.leaveSession({{p.path("src1"), p.path("bk1")}, {p.path("src2"), p.path("bk2")}}, true));
    QVERIFY(!sorvik::lists::writeExtensionFile(p.form.ExtIniPath, {"tmp"}));
    writeFile(p.marker(), "left by hand\r\n");
    p.form.setCountdownIntervals(kQuick, kQuick);
    QSignalSpy titles(&p.form, &QWidget::windowTitleChanged);
    ModalAnswerer answerer;
    HideWatcher watcher(p.form, p.marker());

    p.form.Form_Load();
    QTRY_VERIFY_WITH_TIMEOUT(!p.form.isVisible() && p.form.AutoWait == Form1::kNoAutomaticRun,
                             kCloseWaitMs);

    QCOMPARE(answerer.texts, QStringList());
    const QStringList shown = titlesOf(titles);
    QCOMPARE(shown.mid(0, 5),
             (QStringList{countdownCaption(5), countdownCaption(4), countdownCaption(3),
                          countdownCaption(2), countdownCaption(1)}));
    QVERIFY(!shown.mid(5).join(QLatin1Char('|')).contains(QStringLiteral("待機中")));
    QCOMPARE(shown.last(), qText(text::kComplete));
    QCOMPARE(treeOf(p.path("bk1")), QStringList{QStringLiteral("a.txt=a")});
    QCOMPARE(treeOf(p.path("bk2")),
             (QStringList{QStringLiteral("sub/"), QStringLiteral("sub/b.txt=b")}));
    // The marker is back, empty, so the next start runs again.
    QVERIFY(fs::is_regular_file(p.marker()));
    QCOMPARE(readFile(p.marker()), std::string());
    QVERIFY(watcher.markerAtHide);
    QVERIFY(!p.timer()->isActive());
    // Closing saved the settings as the window held them.
    const auto saved = sorvik::lists::readSettingsFile(p.form.IniPath);
    QVERIFY(saved);
    QCOMPARE(saved->listPath, p.listPath());
    QVERIFY(saved->checks[sorvik::lists::kAutomaticRun]);
    const auto extensions = sorvik::lists::readExtensionFile(p.form.ExtIniPath);
    QVERIFY(extensions);
    QCOMPARE(*extensions, std::vector<std::string>{"tmp"});
}

void AutomaticRunTest::closeDuringTheCountdownCancelsTheRun_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<bool>("optionOn");
    QTest::newRow("at once, option on") << 0 << false << true;
    QTest::newRow("midway, option off") << 3 << false << false;
    QTest::newRow("at 0 before the batch tick, option on") << 5 << false << true;
    QTest::newRow("at 0 before the batch tick, option off") << 5 << false << false;
    QTest::newRow("first run, at once") << 0 << true << false;
    QTest::newRow("first run, at 0") << 5 << true << false;
}

void AutomaticRunTest::closeDuringTheCountdownCancelsTheRun() {
    QFETCH(int, ticks);
    QFETCH(bool, firstRun);
    QFETCH(bool, optionOn);
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    QVERIFY(p.leaveSession({{p.path("src"), p.path("bk")}}, optionOn));
    std::string settingsBefore;
    std::string extensionsBefore;
    if (firstRun) {
        fs::remove(p.form.IniPath);
    } else {
        QVERIFY(!sorvik::lists::writeExtensionFile(p.form.ExtIniPath, {"tmp", "bak"}));
        settingsBefore = readFile(p.form.IniPath);
        extensionsBefore = readFile(p.form.ExtIniPath);
    }
    writeFile(p.marker(), "");
    const QSize normal = p.form.size();

    ModalAnswerer answerer;
    answerer.inputAnswers = {QStringLiteral("daily")};
    p.form.Form_Load();
    QCOMPARE(p.form.ListPath, p.listPath());
    p.tick(ticks);
    QCOMPARE(p.form.AutoWait, 5 - ticks);
    QVERIFY(p.form.size() != normal);
    // Another window on the same program folder may arm the run meanwhile; a cancel still means
    // a normal next start.
    writeFile(p.marker(), "");

    QVERIFY(!p.form.close());

    QVERIFY(p.form.isVisible());
    QCOMPARE(p.form.size(), normal);
    QCOMPARE(p.form.windowTitle(), qText(text::kApplicationTitle));
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
    QVERIFY(!p.timer()->isActive());
    QVERIFY(!p.check(4)->isChecked());
    QVERIFY(!fs::exists(p.marker()));
    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(answerer.prompts.size(), firstRun ? 1 : 0);
    // Nothing was saved.
    if (firstRun) {
        QVERIFY(!fs::exists(p.form.IniPath));
        QVERIFY(!fs::exists(p.form.ExtIniPath));
    } else {
        QCOMPARE(readFile(p.form.IniPath), settingsBefore);
        QCOMPARE(readFile(p.form.ExtIniPath), extensionsBefore);
    }

    // A tick that was still due changes nothing.
    p.form.Timer1_Timer();
    QVERIFY(p.form.isVisible());
    QCOMPARE(p.form.windowTitle(), qText(text::kApplicationTitle));
    QVERIFY(!fs::exists(p.path("bk")));

    // The next close is an ordinary one.
    QVERIFY(p.form.close());
    QVERIFY(!p.form.isVisible());
    const QStringList lines = textLines(p.form.IniPath);
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0], qText(p.listPath()));
    QCOMPARE(lines[6], QStringLiteral(" 0 "));
    QVERIFY(!fs::exists(p.marker()));
    QCOMPARE(answerer.texts, QStringList());
}

void AutomaticRunTest::closeDuringTheBatchWaitsForTheWholeTick_data() {
    QTest::addColumn<bool>("markerUnwritable");
    QTest::newRow("in the batch's own box") << false;
    QTest::newRow("in the box after the batch") << true;
}

void AutomaticRunTest::closeDuringTheBatchWaitsForTheWholeTick() {
    QFETCH(bool, markerUnwritable);
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    writeFile(p.path("src/sub/b.txt"), "b");
    QVERIFY(p.leaveSession(
        {{p.path("missing"), p.path("bk-missing")}, {p.path("src"), p.path("bk")}}, true));
    writeFile(p.marker(), "");
    if (!markerUnwritable) {
        p.form.setCountdownIntervals(kQuick, kQuick);
    }
    HideWatcher watcher(p.form, p.marker());
    const QString unwritable = boxText(text::kFileUnwritable, p.marker());
    const QString openBox = markerUnwritable ? unwritable : qText(text::kSourceNotFound);

    ModalAnswerer answerer;
    int requests = 0;
    bool closedAtRequest = true;
    bool visibleAfterRequest = false;
    answerer.whileOpen = [&] {
        if (answerer.texts.isEmpty() || answerer.texts.last() != openBox) {
            return;
        }
        ++requests;
        closedAtRequest = p.form.close();
        visibleAfterRequest = p.form.isVisible();
    };
    p.form.Form_Load();
    if (markerUnwritable) {
        writeFile(p.marker() + "/keep.txt", "keep");
        p.tick(6);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!p.form.isVisible(), kCloseWaitMs);

    QCOMPARE(requests, 1);
    QVERIFY(!closedAtRequest);
    QVERIFY(visibleAfterRequest);
    const QStringList expectedBoxes = markerUnwritable
                                          ? QStringList{qText(text::kSourceNotFound), unwritable}
                                          : QStringList{qText(text::kSourceNotFound)};
    QCOMPARE(answerer.texts, expectedBoxes);
    // The batch went on to its last pair, and the window went only once the tick had ended:
    // after the marker was left, and without cancelling the run as a close in the countdown does.
    QCOMPARE(treeOf(p.path("bk")), (QStringList{QStringLiteral("a.txt=a"), QStringLiteral("sub/"),
                                                QStringLiteral("sub/b.txt=b")}));
    QVERIFY(!fs::exists(p.path("bk-missing")));
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
    QCOMPARE(watcher.markerAtHide, !markerUnwritable);
    QVERIFY(p.check(4)->isChecked());
    const auto saved = sorvik::lists::readSettingsFile(p.form.IniPath);
    QVERIFY(saved);
    QVERIFY(saved->checks[sorvik::lists::kAutomaticRun]);
}

void AutomaticRunTest::noSecondBatchStarts_data() {
    QTest::addColumn<bool>("markerUnwritable");
    QTest::newRow("in the batch's own box") << false;
    QTest::newRow("in the box after the batch") << true;
}

void AutomaticRunTest::noSecondBatchStarts() {
    QFETCH(bool, markerUnwritable);
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    QVERIFY(p.leaveSession(
        {{p.path("src"), p.path("bk")}, {p.path("missing"), p.path("bk-missing")}}, true));
    writeFile(p.marker(), "");
    ModalAnswerer answerer;
    p.form.Form_Load();
    QCOMPARE(p.form.AutoWait, 5);
    if (markerUnwritable) {
        writeFile(p.marker() + "/keep.txt", "keep");
    }
    const QString openBox = markerUnwritable ? boxText(text::kFileUnwritable, p.marker())
                                             : qText(text::kSourceNotFound);

    bool acted = false;
    int autoWaitInBox = 0;
    QStringList nestedBoxes;
    answerer.whileOpen = [&] {
        if (acted || answerer.texts.isEmpty() || answerer.texts.last() != openBox) {
            return;
        }
        acted = true;
        autoWaitInBox = p.form.AutoWait;
        // A second batch would take this along.
        writeFile(p.path("src/late.txt"), "late");
        // A box opened from here would wait for an answerer whose timer is busy in this very
        // call; this one answers it.
        ModalAnswerer nested;
        p.form.Timer1_Timer();
        p.form.Timer1_Timer();
        nestedBoxes = nested.texts;
    };
    p.tick(6);
    QTRY_VERIFY_WITH_TIMEOUT(!p.form.isVisible(), kCloseWaitMs);

    QVERIFY(acted);
    QCOMPARE(autoWaitInBox, 0);
    QCOMPARE(nestedBoxes, QStringList());
    QCOMPARE(answerer.texts.count(qText(text::kSourceNotFound)), 1);
    QCOMPARE(answerer.texts.size(), markerUnwritable ? 2 : 1);
    QCOMPARE(treeOf(p.path("bk")), QStringList{QStringLiteral("a.txt=a")});
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
    QCOMPARE(fs::is_regular_file(p.marker()), !markerUnwritable);
}

void AutomaticRunTest::aMarkerThatCannotBeLeftIsReportedAndTheWindowStillCloses() {
    Program p;
    writeFile(p.path("src/a.txt"), "a");
    QVERIFY(p.leaveSession({{p.path("src"), p.path("bk")}}, true));
    writeFile(p.marker(), "");
    ModalAnswerer answerer;
    p.form.Form_Load();
    // A folder with something in it: the marker cannot take its place, not even for root.
    writeFile(p.marker() + "/keep.txt", "keep");

    p.tick(6);

    QCOMPARE(answerer.titles, QStringList{qText(text::kApplicationTitle)});
    QCOMPARE(answerer.texts, QStringList{boxText(text::kFileUnwritable, p.marker())});
    QVERIFY(!p.form.isVisible());
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
    QCOMPARE(treeOf(p.path("bk")), QStringList{QStringLiteral("a.txt=a")});
    QCOMPARE(treeOf(p.marker()), QStringList{QStringLiteral("keep.txt=keep")});
    const auto saved = sorvik::lists::readSettingsFile(p.form.IniPath);
    QVERIFY(saved);
    QCOMPARE(saved->listPath, p.listPath());
}

void AutomaticRunTest::checkingTheOptionLeavesAnEmptyMarker_data() {
    QTest::addColumn<QString>("before");  // a null string: no marker
    QTest::newRow("no marker") << QString();
    QTest::newRow("empty marker") << QStringLiteral("");
    QTest::newRow("marker with contents") << QStringLiteral("left by hand\r\n");
}

void AutomaticRunTest::checkingTheOptionLeavesAnEmptyMarker() {
    QFETCH(QString, before);
    Program p;
    QVERIFY(p.leaveSession({}, false));
    p.form.Form_Load();
    if (!before.isNull()) {
        writeFile(p.marker(), before.toStdString());
    }

    ModalAnswerer answerer;
    p.check(4)->setChecked(true);

    QVERIFY(fs::is_regular_file(p.marker()));
    QCOMPARE(readFile(p.marker()), std::string());
    QCOMPARE(answerer.titles, QStringList{qText(text::kApplicationTitle)});
    QCOMPARE(answerer.texts, QStringList{kArmedText});
    // It arms the next start, not this one.
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
    QVERIFY(!p.timer()->isActive());
    QCOMPARE(p.form.windowTitle(), qText(text::kApplicationTitle));
}

void AutomaticRunTest::uncheckingTheOptionRemovesTheMarker_data() {
    QTest::addColumn<QString>("before");  // a null string: no marker
    QTest::newRow("empty marker") << QStringLiteral("");
    QTest::newRow("marker with contents") << QStringLiteral("left by hand\r\n");
    QTest::newRow("no marker") << QString();
}

void AutomaticRunTest::uncheckingTheOptionRemovesTheMarker() {
    QFETCH(QString, before);
    Program p;
    QVERIFY(p.leaveSession({}, true));
    p.form.Form_Load();
    QVERIFY(p.check(4)->isChecked());
    if (!before.isNull()) {
        writeFile(p.marker(), before.toStdString());
    }

    ModalAnswerer answerer;
    p.check(4)->setChecked(false);

    QVERIFY(!fs::exists(p.marker()));
    QCOMPARE(answerer.texts, QStringList());
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
}

void AutomaticRunTest::alwaysOnTopFollowsItsCheckBox_data() {
    QTest::addColumn<bool>("onAtStart");
    QTest::newRow("on at start") << true;
    QTest::newRow("off at start") << false;
}

void AutomaticRunTest::alwaysOnTopFollowsItsCheckBox() {
    QFETCH(bool, onAtStart);
    Program p;
    QVERIFY(p.leaveSession({}, false, onAtStart));
    ModalAnswerer answerer;
    p.form.Form_Load();
    const auto onTop = [&p] { return p.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    QCOMPARE(p.check(0)->isChecked(), onAtStart);
    QCOMPARE(onTop(), onAtStart);

    p.check(0)->setChecked(!onAtStart);
    QCOMPARE(onTop(), !onAtStart);
    QVERIFY(p.form.isVisible());

    p.check(0)->setChecked(onAtStart);
    QCOMPARE(onTop(), onAtStart);
    QVERIFY(p.form.isVisible());
    QCOMPARE(answerer.texts, QStringList());
}

QTEST_MAIN(AutomaticRunTest)
#include "automatic_run_test.moc"
