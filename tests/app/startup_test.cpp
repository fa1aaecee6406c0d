// Start-up and shutdown of the window on a real program folder: the first run's question, the
// settings and excluded-extension files read back, and what a close writes.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/form1.h"
#include "engine/messages.h"
#include "lists/list_file.h"
#include "lists/settings_file.h"
#include "tests/app/support/folder_contents.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/support/temp_folder.h"

using sorvik::app::Form1;
using sorvik::lists::Settings;
using sorvik::test::boxText;
using sorvik::test::itemTexts;
using sorvik::test::ModalAnswerer;
using sorvik::test::readFile;
using sorvik::test::writeFile;
namespace fs = std::filesystem;

namespace {

constexpr const char* kPrompt = "バックアップリスト名を入力してください";

QList<bool> checkValues(const Form1& form) {
    QList<bool> values;
    for (int i = 0; i < 5; ++i) {
        values << form.findChild<QCheckBox*>(QStringLiteral("Check_%1").arg(i))->isChecked();
    }
    return values;
}

bool staysOnTop(const Form1& form) {
    return form.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

}  // namespace

class Startup : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        folder_ = std::make_unique<sorvik::test::TempFolder>();
        form_.reset();
    }
    void cleanup() {
        form_.reset();
        folder_.reset();
    }

    void aFirstRunAsksForTheListAndTheCloseWritesTheFirstRunSettings() {
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("Daily");
        load();
        QCOMPARE(answerer.prompts, QStringList{QString::fromUtf8(kPrompt)});
        QCOMPARE(answerer.inputTitles, QStringList{"Sorvik"});
        QCOMPARE(form_->ListPath, path("Daily.lst"));
        QVERIFY(fs::is_regular_file(path("Daily.lst")));
        QCOMPARE(fs::file_size(path("Daily.lst")), std::uintmax_t{0});
        QVERIFY(staysOnTop(*form_));

        QVERIFY(form_->close());
        QCOMPARE(readFile(path("sorvik01.ini")),
                 path("Daily.lst") + "\r\nFalse\r\n 1 \r\n 1 \r\n 0 \r\n 1 \r\n 0 \r\n");
        QCOMPARE(readFile(path("sorvik02.ini")), std::string());
        QVERIFY(answerer.texts.isEmpty());
    }

    void aCancelledFirstRunGivesTheListNamedDotLstFoundAgainNextTime() {
        {
            ModalAnswerer answerer;  // no answers: the box is cancelled
            load();
            QCOMPARE(answerer.prompts.size(), 1);
            QCOMPARE(form_->ListPath, path(".lst"));
            QVERIFY(fs::is_regular_file(path(".lst")));
            QVERIFY(form_->close());
        }
        ModalAnswerer again;
        load();
        QVERIFY(again.prompts.isEmpty());
        QCOMPARE(form_->ListPath, path(".lst"));
    }

    void aNameThatCannotNameAListIsRefusedAndAskedAgain() {
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("../outside") << QStringLiteral("ok");
        load();
        QCOMPARE(answerer.prompts.size(), 2);
        QCOMPARE(answerer.texts, QStringList{QStringLiteral("リスト名が正しくありません")});
        QCOMPARE(form_->ListPath, path("ok.lst"));
        QVERIFY(!fs::exists(folder_->path().parent_path() / "outside.lst"));
    }

    void anEmptyStoredListPathAsksForAListAsOnAFirstRun() {
        writeSettings(Settings{"", true, false, false, true, false, false});
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("Weekly");
        load();
        QCOMPARE(answerer.prompts.size(), 1);
        QCOMPARE(form_->ListPath, path("Weekly.lst"));
        // The rest of the settings still count, the always-on-top option among them.
        QCOMPARE(checkValues(*form_), (QList<bool>{false, false, true, false, false}));
        QVERIFY(!staysOnTop(*form_));
    }

    void aStoredListThatNoLongerExistsIsCreatedEmpty() {
        writeSettings(Settings{path("gone.lst")});
        ModalAnswerer answerer;
        load();
        QVERIFY(answerer.prompts.isEmpty());
        QCOMPARE(fs::file_size(path("gone.lst")), std::uintmax_t{0});
        QCOMPARE(column(0).count(), 0);
        QCOMPARE(box(0).text(), QString());
    }

    void aListWithPairsHasItsFirstPairSelected() {
        QVERIFY(!sorvik::lists::writeListFile(path("a.lst"), {{"/s0", "/b0"}, {"/s1", "/b1"}}));
        writeSettings(Settings{path("a.lst")});
        load();
        QCOMPARE(itemTexts(column(0)), (QStringList{"/s0", "/s1"}));
        QCOMPARE(column(0).currentRow(), 0);
        QVERIFY(column(0).item(0)->isSelected());
        QCOMPARE(box(0).text(), QStringLiteral("/s0"));
        QCOMPARE(box(1).text(), QStringLiteral("/b0"));
    }

    void storedOptionsComeBack_data() {
        QTest::addColumn<QString>("contents");
        QTest::addColumn<bool>("placeholder");
        QTest::addColumn<QList<bool>>("checks");
        QTest::addColumn<bool>("topmost");
        QTest::newRow("placeholder on")
            << "%1\r\nTrue\r\n 1 \r\n 1 \r\n 0 \r\n 1 \r\n 0 \r\n"
            << true << QList<bool>{true, true, false, true, false} << true;
        QTest::newRow("always on top off")
            << "%1\r\nFalse\r\n 0 \r\n 0 \r\n 1 \r\n 0 \r\n 1 \r\n"
            << false << QList<bool>{false, false, true, false, true} << false;
    }
    void storedOptionsComeBack() {
        QFETCH(QString, contents);
        QFETCH(bool, placeholder);
        QFETCH(QList<bool>, checks);
        QFETCH(bool, topmost);
        writeFile(path("sorvik01.ini"),
                  contents.arg(QString::fromStdString(path("l.lst"))).toStdString());
        ModalAnswerer answerer;
        load();
        QVERIFY(answerer.prompts.isEmpty());
        QVERIFY(answerer.texts.isEmpty());  // values restored by start-up raise nothing
        QCOMPARE(form_->ListPath, path("l.lst"));
        QCOMPARE(form_->options().placeholder, placeholder);
        QCOMPARE(form_->findChild<QAction*>("mn2_0")->isChecked(), placeholder);
        QCOMPARE(checkValues(*form_), checks);
        QCOMPARE(staysOnTop(*form_), topmost);
        QVERIFY(!fs::exists(path("Auto.go")));
    }

    void aSettingsFileThatIsNotTextIsReportedAndTheFirstRunFollows() {
        writeFile(path("sorvik01.ini"), "\x81\x81\x81\r\n");
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("New");
        load();
        QCOMPARE(answerer.texts,
                 QStringList{boxText(sorvik::engine::text::kFileUnreadable, path("sorvik01.ini"),
                                     std::errc::illegal_byte_sequence)});
        QCOMPARE(form_->ListPath, path("New.lst"));
    }

    // How the file splits into entries is settings_file_test's; here they reach List1.
    void excludedExtensionsComeBack() {
        writeSettings(Settings{path("l.lst")});
        writeFile(path("sorvik02.ini"), "tmp\r\na,b\r\n\r\n");
        load();
        QCOMPARE(itemTexts(*form_->findChild<QListWidget*>("List1")),
                 (QStringList{"tmp", "a", "b"}));
    }

    void theCountdownWaitsUntilStartUpHasAskedForTheList() {
        writeFile(path("Auto.go"), "");
        form_ = std::make_unique<Form1>(folder_->path().string());
        form_->setCountdownIntervals(std::chrono::milliseconds(1), std::chrono::milliseconds(1));
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("Daily");
        int waitingWhileAsked = -1;
        answerer.whileOpen = [&] {
            QTest::qWait(30);  // ticks enough for the whole countdown, were it running
            waitingWhileAsked = form_->AutoWait;
        };
        form_->Form_Load();
        QCOMPARE(waitingWhileAsked, 5);
        QCOMPARE(form_->ListPath, path("Daily.lst"));
    }

    void aCloseDuringStartUpWaitsForItsEnd() {
        form_ = std::make_unique<Form1>(folder_->path().string());
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("Daily");
        answerer.whileOpen = [&] { form_->close(); };
        form_->Form_Load();
        // Closing in the middle would have saved a start with no list.
        QTRY_VERIFY(fs::exists(path("sorvik01.ini")));
        QCOMPARE(sorvik::lists::readSettingsFile(path("sorvik01.ini"))->listPath,
                 path("Daily.lst"));
    }

    void theCloseSavesWhatTheUserChanged() {
        QVERIFY(!sorvik::lists::writeListFile(path("a.lst"), {{"/s", "/b"}}));
        writeSettings(Settings{path("a.lst")});
        load();
        form_->findChild<QAction*>("mn2_0")->trigger();
        form_->findChild<QCheckBox*>("Check_1")->setChecked(false);
        form_->findChild<QCheckBox*>("Check_2")->setChecked(true);
        auto* text1 = form_->findChild<QLineEdit*>("Text1");
        for (const char* entry : {"bak", "ＴＭＰ", ""}) {
            text1->setText(QString::fromUtf8(entry));
            QTest::keyClick(text1, Qt::Key_Return);
        }
        QVERIFY(form_->close());
        QCOMPARE(readFile(path("sorvik01.ini")),
                 path("a.lst") + "\r\nTrue\r\n 1 \r\n 0 \r\n 1 \r\n 1 \r\n 0 \r\n");
        QCOMPARE(readFile(path("sorvik02.ini")),
                 std::string("bak\r\n\x82\x73\x82\x6c\x82\x6f\r\n\r\n"));
        // The list itself is only ever written by the commands that change it.
        QCOMPARE(readFile(path("a.lst")), std::string("/s\r\n/b\r\n"));
    }

    void aSaveThatFailsAtCloseIsToldAndTheWindowStillCloses() {
        writeSettings(Settings{path("l.lst")});
        load();
        // A folder in the settings file's place cannot be replaced by a file.
        fs::remove(path("sorvik01.ini"));
        writeFile(path("sorvik01.ini") + "/keep", "x");
        ModalAnswerer answerer;
        QVERIFY(form_->close());
        QCOMPARE(answerer.texts,
                 QStringList{boxText(sorvik::engine::text::kFileUnwritable, path("sorvik01.ini"),
                                     std::errc::is_a_directory)});
        QVERIFY(fs::is_regular_file(path("sorvik02.ini")));
    }

  private:
    std::string path(const char* name) const { return (folder_->path() / name).string(); }

    void writeSettings(const Settings& settings) {
        QVERIFY(!sorvik::lists::writeSettingsFile(path("sorvik01.ini"), settings));
    }

    void load() {
        form_ = std::make_unique<Form1>(folder_->path().string());
        form_->Form_Load();
    }

    QListWidget& column(int index) {
        return *form_->findChild<QListWidget*>(QStringLiteral("FilPL_%1").arg(index));
    }
    QLineEdit& box(int index) {
        return *form_->findChild<QLineEdit*>(QStringLiteral("FilP_%1").arg(index));
    }

    std::unique_ptr<sorvik::test::TempFolder> folder_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(Startup)
#include "startup_test.moc"
