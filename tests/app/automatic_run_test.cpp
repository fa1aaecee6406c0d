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
using sorvik::test::makeProgramFolder;
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
    bool leaveSession(const std::vector<PathPair>& pairs, bool automaticRun) {
        sorvik::lists::Settings settings;
        settings.listPath = listPath();
        settings.automaticRun = automaticRun;
        settings.alwaysOnTop = true;
        return !sorvik::lists::writeListFile(listPath(), pairs) &&
               !sorvik::lists::writeSettingsFile(form.IniPath, settings);
    }
    // The same with one pair, src holding a.txt, backed up to bk.
    bool leaveOnePair(bool automaticRun) {
        writeFile(path("src/a.txt"), "a");
        return leaveSession({{path("src"), path("bk")}}, automaticRun);
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
    void closeAndTicksDuringTheBatchWaitForTheWholeTick_data();
    void closeAndTicksDuringTheBatchWaitForTheWholeTick();
    void aMarkerThatCannotBeLeftIsReportedAndTheWindowStillCloses();
    void theOptionLeavesOrRemovesTheMarker_data();
    void theOptionLeavesOrRemovesTheMarker();
    void alwaysOnTopFollowsItsCheckBox();
};

void AutomaticRunTest::startUpArmsTheCountdownOnlyForAMarkerFile_data() {
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("optionOn");
    QTest::addColumn<bool>("armed");
    QTest::newRow("no marker, option on") << "none" << true << false;
    QTest::newRow("marker, option off") << "empty" << false << true;
    QTest::newRow("marker with contents") << "contents" << true << true;
    QTest::newRow("folder under the marker's name") << "folder" << true << false;
}

void AutomaticRunTest::startUpArmsTheCountdownOnlyForAMarkerFile() {
    QFETCH(QString, marker);
    QFETCH(bool, optionOn);
    QFETCH(bool, armed);
    Program p;
    QVERIFY(p.leaveOnePair(optionOn));
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
    QTest::newRow("1") << 1 << true;
    QTest::newRow("7") << 7 << false;
    QTest::newRow("no run pending") << static_cast<int>(Form1::kNoAutomaticRun) << false;
}

void AutomaticRunTest::countdownTick() {
    QFETCH(int, before);
    QFETCH(bool, counts);
    Program p;
    QVERIFY(p.leaveOnePair(false));
    ModalAnswerer answerer;
    p.form.Form_Load();

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
    QVERIFY(saved->automaticRun);
    const auto extensions = sorvik::lists::readExtensionFile(p.form.ExtIniPath);
    QVERIFY(extensions);
    QCOMPARE(*extensions, std::vector<std::string>{"tmp"});
}

void AutomaticRunTest::closeDuringTheCountdownCancelsTheRun_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<bool>("optionOn");
    QTest::newRow("at 5, option on") << 0 << false << true;
    QTest::newRow("at 0, option on") << 5 << false << true;
    QTest::newRow("at 0, option off") << 5 << false << false;
    QTest::newRow("first run, at 5") << 0 << true << false;
}

void AutomaticRunTest::closeDuringTheCountdownCancelsTheRun() {
    QFETCH(int, ticks);
    QFETCH(bool, firstRun);
    QFETCH(bool, optionOn);
    Program p;
    QVERIFY(p.leaveOnePair(optionOn));
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

void AutomaticRunTest::closeAndTicksDuringTheBatchWaitForTheWholeTick_data() {
    QTest::addColumn<bool>("markerUnwritable");
    QTest::newRow("in the batch's own box") << false;
    QTest::newRow("in the box after the batch") << true;
}

void AutomaticRunTest::closeAndTicksDuringTheBatchWaitForTheWholeTick() {
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
    const QString unwritable =
        boxText(text::kFileUnwritable, p.marker(), std::errc::is_a_directory);
    const QString openBox = markerUnwritable ? unwritable : qText(text::kSourceNotFound);

    ModalAnswerer answerer;
    int requests = 0;
    int autoWaitInBox = -1;
    QStringList nestedBoxes;
    bool closedAtRequest = true;
    bool visibleAfterRequest = false;
    answerer.whileOpen = [&] {
        if (answerer.texts.isEmpty() || answerer.texts.last() != openBox) {
            return;
        }
        ++requests;
        autoWaitInBox = p.form.AutoWait;
        // Ticks meanwhile start no second batch. A box one opened would wait for an answerer whose
        // timer is busy in this very call; this one answers it.
        ModalAnswerer nested;
        p.tick(2);
        nestedBoxes = nested.texts;
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
    QCOMPARE(autoWaitInBox, 0);
    QCOMPARE(nestedBoxes, QStringList());
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
    QVERIFY(saved->automaticRun);
}

void AutomaticRunTest::aMarkerThatCannotBeLeftIsReportedAndTheWindowStillCloses() {
    Program p;
    QVERIFY(p.leaveOnePair(true));
    writeFile(p.marker(), "");
    ModalAnswerer answerer;
    p.form.Form_Load();
    // A folder with something in it: the marker cannot take its place, not even for root.
    writeFile(p.marker() + "/keep.txt", "keep");

    p.tick(6);

    QCOMPARE(answerer.titles, QStringList{qText(text::kApplicationTitle)});
    QCOMPARE(answerer.texts,
             QStringList{boxText(text::kFileUnwritable, p.marker(), std::errc::is_a_directory)});
    QVERIFY(!p.form.isVisible());
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
    QCOMPARE(treeOf(p.path("bk")), QStringList{QStringLiteral("a.txt=a")});
    QCOMPARE(treeOf(p.marker()), QStringList{QStringLiteral("keep.txt=keep")});
    const auto saved = sorvik::lists::readSettingsFile(p.form.IniPath);
    QVERIFY(saved);
    QCOMPARE(saved->listPath, p.listPath());
}

void AutomaticRunTest::theOptionLeavesOrRemovesTheMarker_data() {
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("before");  // a null string: no marker
    QTest::newRow("checked, no marker") << true << QString();
    QTest::newRow("checked, marker with contents") << true << QStringLiteral("left by hand\r\n");
    QTest::newRow("unchecked, marker with contents") << false << QStringLiteral("left by hand\r\n");
    QTest::newRow("unchecked, no marker") << false << QString();
}

void AutomaticRunTest::theOptionLeavesOrRemovesTheMarker() {
    QFETCH(bool, checked);
    QFETCH(QString, before);
    Program p;
    QVERIFY(p.leaveSession({}, !checked));
    p.form.Form_Load();
    QCOMPARE(p.check(4)->isChecked(), !checked);
    if (!before.isNull()) {
        writeFile(p.marker(), before.toStdString());
    }

    ModalAnswerer answerer;
    p.check(4)->setChecked(checked);

    // Checking leaves an empty marker and says so once; unchecking removes it without a word.
    QCOMPARE(fs::exists(p.marker()), checked);
    if (checked) {
        QCOMPARE(readFile(p.marker()), std::string());
        QCOMPARE(answerer.titles, QStringList{qText(text::kApplicationTitle)});
        QCOMPARE(answerer.texts, QStringList{kArmedText});
    } else {
        QCOMPARE(answerer.texts, QStringList());
    }
    // It arms the next start, not this one.
    QCOMPARE(p.form.AutoWait, Form1::kNoAutomaticRun);
    QVERIFY(!p.timer()->isActive());
    QCOMPARE(p.form.windowTitle(), qText(text::kApplicationTitle));
}

// Starting on, off, and on again covers both directions. (Starting off: startup_test.)
void AutomaticRunTest::alwaysOnTopFollowsItsCheckBox() {
    Program p;
    QVERIFY(p.leaveSession({}, false));
    ModalAnswerer answerer;
    p.form.Form_Load();
    const auto onTop = [&p] { return p.form.windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    QVERIFY(p.check(0)->isChecked() && onTop());

    p.check(0)->setChecked(false);
    QVERIFY(!onTop() && p.form.isVisible());

    p.check(0)->setChecked(true);
    QVERIFY(onTop() && p.form.isVisible());
    QCOMPARE(answerer.texts, QStringList());
}

QTEST_MAIN(AutomaticRunTest)
#include "automatic_run_test.moc"
