// The window as a user meets it: start-up and close with the settings files, the menus and panels,
// the window's shape, the folder boxes' drops, drive picker and typed drive letters, and the
// toolkit's own buttons in Japanese.

#include "app/dialogs.h"
#include "app/standard_texts.h"
#include "tests/app/support/window_fixture.h"

namespace {

using namespace sorvik::test;

// On Windows, what the system itself keeps: a topmost window. The offscreen platform has only
// Qt's flag.
bool onTop(const QWidget& window) {
#ifdef _WIN32
    const auto handle = reinterpret_cast<HWND>(window.winId());
    return (GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
#else
    return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
#endif
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void theBoxesButtonsAreJapanese() {
        QVERIFY(sorvik::app::useJapaneseStandardTexts(*QCoreApplication::instance()));
        QStringList buttons;
        ModalAnswerer answerer;
        answerer.whileOpen = [&buttons] {
            QStringList shown;
            for (auto* button : QApplication::activeModalWidget()->findChildren<QPushButton*>()) {
                shown << button->text();
            }
            shown.sort();
            buttons << shown.join(QLatin1Char('|'));
        };
        sorvik::app::tell(nullptr, QStringLiteral("終了しました"));
        sorvik::app::askYesNo(nullptr, QStringLiteral("削除しますか？"));
        (void)sorvik::app::askName(nullptr, QStringLiteral("nameBox"), "リスト名");
        QCOMPARE(buttons, (QStringList{"OK", "いいえ(&N)|はい(&Y)", "OK|キャンセル"}));
    }

    void startUpAsksForTheListUntilItsNameIsProper_data() {
        QTest::addColumn<int>("settings");         // 0: none, 1: no list named, 2: not text
        QTest::addColumn<QStringList>("answers");  // a null string cancels
        QTest::addColumn<std::string>("list");
        QTest::newRow("a name") << 0 << QStringList{"Daily"} << std::string("Daily.lst");
        QTest::newRow("cancelled") << 0 << QStringList{QString()} << std::string(".lst");
        QTest::newRow("a name that leaves the folder")
            << 0 << QStringList{"../outside", "ok"} << std::string("ok.lst");
        QTest::newRow("no list named") << 1 << QStringList{"Daily"} << std::string("Daily.lst");
        QTest::newRow("settings not text") << 2 << QStringList{"Daily"} << std::string("Daily.lst");
    }
    void startUpAsksForTheListUntilItsNameIsProper() {
        QFETCH(int, settings);
        QFETCH(QStringList, answers);
        QFETCH(std::string, list);
        WindowFixture f;
        const Settings onlyLarger{"", false, false, true, true, true, false};
        QVERIFY(settings == 0 || !sorvik::lists::writeSettingsFile(f.files.settings, onlyLarger));
        if (settings == 2) {
            writeFile(f.files.settings, "\x81\x81\x81\r\n");
        }
        {
            ModalAnswerer answerer;
            answerer.inputAnswers = answers;
            QVERIFY(f.start());
            QCOMPARE(answerer.prompts,
                     QStringList(answers.size(), "バックアップリスト名を入力してください"));
            QCOMPARE(answerer.titles, QStringList(answerer.titles.size(), "Sorvik"));
            QCOMPARE(answerer.texts,
                     settings == 2
                         ? QStringList{boxText(sorvik::engine::text::kFileUnreadable,
                                               f.files.settings, std::errc::illegal_byte_sequence)}
                         : QStringList(answers.size() - 1, "リスト名が正しくありません"));
            QCOMPARE(fileBytes(f.path(list)), std::string());
            // A first run's options, or the stored ones, always-on-top among them.
            QCOMPARE(f.window.settingsPanel().options().onlyWhenLarger, settings == 1);
            QVERIFY(onTop(f.window) != (settings == 1) && f.window.close());
        }
        if (settings == 0) {
            QCOMPARE(fileBytes(f.files.settings),
                     f.path(list) + "\r\nFalse\r\n 1 \r\n 1 \r\n 0 \r\n 1 \r\n 0 \r\n");
            QCOMPARE(fileBytes(f.files.excludedExtensions), std::string());
        }
        // The next start finds the list and asks nothing.
        sorvik::app::MainWindow next(f.folder);
        ModalAnswerer again;
        next.start();
        QVERIFY(again.prompts.isEmpty());
        QCOMPARE(next.pathList().listPath(), f.path(list));
    }

    void theStoredSessionComesBack_data() {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<int>("pairs");  // -1: the list file is gone, and made anew
        QTest::newRow("one pair, placeholder on")
            << Settings{"", true, true, true, false, true, false} << 1;
        QTest::newRow("two pairs, not on top, automatic run on")
            << Settings{"", false, false, false, true, false, true} << 2;
        QTest::newRow("a list that is gone") << Settings{} << -1;
    }
    void theStoredSessionComesBack() {
        QFETCH(Settings, settings);
        QFETCH(int, pairs);
        WindowFixture f;
        std::vector<PathPair> list;
        for (int i = 0; i < pairs; ++i) {
            list.push_back({"/s" + std::to_string(i), "/b" + std::to_string(i)});
        }
        QVERIFY(f.leaveSession(list, settings, "l.lst"));
        if (pairs < 0) {
            fs::remove(f.path("l.lst"));
        }
        writeFile(f.files.excludedExtensions, "tmp\r\na,b\r\n\r\n");
        ModalAnswerer answerer;
        QVERIFY(f.start());
        // Values restored by start-up act on nothing: no box, no marker.
        QVERIFY(answerer.prompts.isEmpty() && answerer.texts.isEmpty());
        QVERIFY(!fs::exists(f.files.automaticRunMarker));
        QCOMPARE(f.window.pathList().listPath(), f.path("l.lst"));
        QCOMPARE(f.window.settingsPanel().options(), settings);
        QCOMPARE(f.window.settingsPanel().placeholderItem().isChecked(), settings.placeholder);
        QCOMPARE(f.find<QCheckBox>("automaticRunBox").isChecked(), settings.automaticRun);
        QCOMPARE(onTop(f.window), settings.alwaysOnTop);
        QCOMPARE(f.window.settingsPanel().excludedExtensions(),
                 (std::vector<std::string>{"tmp", "a", "b"}));
        // The first pair is selected and shown, however many pairs the list holds.
        QCOMPARE(fileBytes(f.path("l.lst")).empty(), pairs <= 0);
        QCOMPARE(f.window.pathList().selectedRow().has_value(), pairs > 0);
        QCOMPARE(f.box(0).text() + f.box(1).text(), pairs > 0 ? "/s0/b0" : "");
    }

    void theCloseSavesWhatTheUserChanged() {
        WindowFixture f;
        QVERIFY(f.leaveSession({{"/s", "/b"}}) && f.start());
        f.find<QAction>("placeholderItem").trigger();
        f.find<QCheckBox>("skipExcludedExtensionsBox").click();
        f.find<QCheckBox>("onlyWhenLargerBox").click();
        auto& input = f.find<QLineEdit>("extensionInput");
        for (const char* entry : {"bak", "ＴＭＰ", ""}) {
            input.setText(QString::fromUtf8(entry));
            QTest::keyClick(&input, Qt::Key_Return);
        }
        ModalAnswerer answerer;
        QVERIFY(f.window.close());
        QCOMPARE(fileBytes(f.files.settings),
                 f.path("daily.lst") + "\r\nTrue\r\n 1 \r\n 0 \r\n 1 \r\n 1 \r\n 0 \r\n");
        QCOMPARE(fileBytes(f.files.excludedExtensions),
                 std::string("bak\r\n\x82\x73\x82\x6c\x82\x6f\r\n\r\n"));
        // The list itself is written only by the edits that change it.
        QCOMPARE(fileBytes(f.path("daily.lst")), std::string("/s\r\n/b\r\n"));
        // A save that fails is told, and the window closes all the same.
        f.window.show();
        fs::remove(f.files.settings);
        writeFile(f.files.settings + "/keep", "x");
        QVERIFY(f.window.close());
        QCOMPARE(answerer.texts, QStringList{boxText("ファイルを保存できませんでした。",
                                                     f.files.settings, std::errc::is_a_directory)});
    }

    void aCloseDuringStartUpWaitsForItsEnd() {
        WindowFixture f;
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("Daily");
        answerer.whileOpen = [&] { f.window.close(); };
        f.window.start();
        // Closing in the middle would have saved a start with no list.
        QTRY_VERIFY(fs::exists(f.files.settings));
        QCOMPARE(sorvik::lists::readSettingsFile(f.files.settings)->listPath, f.path("Daily.lst"));
    }

    void theMenusAndListFilesSwitchPanelsAndLists() {
        WindowFixture f;
        QVERIFY(f.leaveSession({{"/a", "/x"}}, {}, "A.lst") && f.start());
        writeFile(f.path("B.lst"), "/b\r\n/y\r\n");
        auto& paths = f.find("pathListPanel");
        auto& settings = f.find("settingsPanel");
        auto& lists = f.find<QListWidget>("listFiles");
        f.find<QAction>("settingsItem").trigger();
        QVERIFY(!paths.isVisible() && settings.isVisible());
        QCOMPARE(lists.count(), 2);  // listed afresh
        QTest::mouseClick(lists.viewport(), Qt::LeftButton, {},
                          lists.visualItemRect(lists.item(1)).center());
        QCOMPARE(f.window.pathList().listPath(), f.path("B.lst"));
        QCOMPARE(shownTexts(f.column(1)), QStringList{"/y"});
        ModalAnswerer answerer;
        answerer.inputAnswers << QStringLiteral("new");
        f.find<QAction>("newListItem").trigger();
        QCOMPARE(f.window.pathList().listPath(), f.path("new.lst"));
        QCOMPARE(lists.count(), 3);  // listed at once
        lists.setCurrentRow(0);
        f.find<QAction>("deleteListItem").trigger();
        QVERIFY(!fs::exists(f.path("A.lst")));
        QCOMPARE(f.window.pathList().listPath(), std::string());
        QCOMPARE(answerer.texts, QStringList());
        f.find<QAction>("settingsItem").trigger();
        QVERIFY(paths.isVisible() && !settings.isVisible());
        QVERIFY(f.find<QMenu>("optionMenu")
                    .actions()
                    .contains(&f.window.settingsPanel().placeholderItem()));
    }

    void theWindowKeepsItsSizeAndFollowsTheAlwaysOnTopOption() {
        WindowFixture f;
        QVERIFY(f.leaveSession({}) && f.start());
        const QSize normal = f.window.size();
        f.window.resize(normal + QSize(120, 50));
        QCOMPARE(f.window.size(), normal);
        f.window.setMinimumSize(10, 10);
        f.window.resize(100, 100);
        QTRY_COMPARE(f.window.size(), normal);
        f.window.move(40, 30);
        const QPoint place = f.window.pos();
        for (const bool on : {false, true}) {
            QVERIFY(onTop(f.window) != on);
            f.find<QCheckBox>("alwaysOnTopBox").click();
            QVERIFY(onTop(f.window) == on && f.window.isVisible());
            QCOMPARE(f.window.pos(), place);
        }
    }

    void theColumnsMenuAddsThePairInTheBoxes() {
        WindowFixture f;
        QVERIFY(f.leaveSession({{"/s0", "/b0"}}) && f.start());
        f.box(0).setText(QStringLiteral("/新しい"));
        f.box(1).setText(QStringLiteral("/mnt/new"));
        QTest::mouseClick(f.column(1).viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(f.find<QMenu>("pairMenu").isVisible());
        f.find<QAction>("addPairItem").trigger();
        f.find<QMenu>("pairMenu").hide();
        QCOMPARE(shownTexts(f.column(0)), (QStringList{"/s0", "/新しい"}));
        QCOMPARE(fileBytes(f.path("daily.lst")),
                 std::string("/s0\r\n/b0\r\n/\x90\x56\x82\xb5\x82\xa2\r\n/mnt/new\r\n"));
    }

    void aDropFillsTheFolderBoxWithTheFirstPath_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QStringList>("dropped");  // none: text only
        QTest::addColumn<QString>("shown");        // null: unchanged
        QTest::newRow("a folder") << 0 << QStringList{"src"} << "src/";
        QTest::newRow("with its separator, on the backup box")
            << 1 << QStringList{"src/"} << "src/";
        QTest::newRow("two: the first") << 0 << QStringList{"dst", "src"} << "dst/";
        QTest::newRow("a file, as a folder") << 1 << QStringList{"src/f.txt"} << "src/f.txt/";
        QTest::newRow("text only") << 0 << QStringList() << QString();
    }
    void aDropFillsTheFolderBoxWithTheFirstPath() {
        QFETCH(int, box);
        QFETCH(QStringList, dropped);
        QFETCH(QString, shown);
        WindowFixture f;
        QVERIFY(f.leaveSession({{"/s0", "/b0"}}) && f.start());
        const QString root = qText(f.temp.text()) + '/';
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : dropped) {
            urls << QUrl::fromLocalFile(root + name);
        }
        if (!urls.isEmpty()) {
            data.setUrls(urls);
        }
        data.setText(QStringLiteral("/dragged/text"));  // dragged text never lands in a box
        QLineEdit& target = f.box(box);
        const QPoint at = target.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &enter);
        QCOMPARE(enter.isAccepted(), !urls.isEmpty());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&target, &drop);
        const QString expected = shown.isNull() ? (box == 0 ? "/s0" : "/b0")
                                                : qText(systemPath((root + shown).toStdString()));
        QCOMPARE(target.text(), expected);
        QCOMPARE(f.box(1 - box).text(), box == 0 ? "/b0" : "/s0");
        const PathPair& pair = f.window.folderBoxes().pair();
        QCOMPARE(qText(box == 0 ? pair.source : pair.backup), expected);
        QCOMPARE(fileBytes(f.path("daily.lst")), std::string("/s0\r\n/b0\r\n"));
    }

    void twoLettersAndEnterInABoxAskToSwapThem_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("asked");
        QTest::newRow("cd") << 0 << "cd" << int(Qt::Key_Return) << true;
        QTest::newRow("keypad Enter, backup box") << 1 << "cd" << int(Qt::Key_Enter) << true;
        QTest::newRow("one character") << 0 << "c" << int(Qt::Key_Return) << false;
        QTest::newRow("three characters") << 0 << "cde" << int(Qt::Key_Return) << false;
        QTest::newRow("Escape") << 0 << "cd" << int(Qt::Key_Escape) << false;
    }
    void twoLettersAndEnterInABoxAskToSwapThem() {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(bool, asked);
        WindowFixture f;
        QVERIFY(f.leaveSession({{"c:/x", "c:/y"}}) && f.start());
        QSignalSpy returnPressed(&f.box(box), &QLineEdit::returnPressed);
        f.box(box).setText(typed);
        ModalAnswerer answerer(QMessageBox::Yes);
        QTest::keyClick(&f.box(box), static_cast<Qt::Key>(key));
        QCOMPARE(answerer.texts.size(), asked ? 1 : 0);
        QCOMPARE(shownTexts(f.column(0)) + shownTexts(f.column(1)),
                 (QStringList{asked && box == 0 ? "d:/x" : "c:/x",
                              asked && box == 1 ? "d:/y" : "c:/y"}));
        QCOMPARE(returnPressed.count(), 0);  // Enter is the swap's alone
        QCOMPARE(f.box(box).text(), typed);
    }

    void theRightButtonPutsTheDrivePickerInTheBoxsPlace_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("way");
        QTest::newRow("source, choose a drive") << 0 << "choose";
        QTest::newRow("backup, choose a drive") << 1 << "choose";
        QTest::newRow("choose, answered No") << 0 << "no";
        QTest::newRow("Esc in the open list") << 0 << "escape list";
        QTest::newRow("Esc on the picker, backup") << 1 << "escape";
        QTest::newRow("a click elsewhere") << 0 << "focus";
    }
    void theRightButtonPutsTheDrivePickerInTheBoxsPlace() {
        QFETCH(int, box);
        QFETCH(QString, way);
        WindowFixture f;
        const std::string old = kDriveMove.before[0].toStdString();
        QVERIFY(f.leaveSession({{old, old}}) && f.start());
        QLineEdit& folder = f.box(box);
        auto& picker = f.find<QComboBox>(box == 0 ? "sourceDrivePicker" : "backupDrivePicker");
        QVERIFY(picker.isHidden());
        QTest::mouseClick(&folder, Qt::RightButton);
        QVERIFY(folder.isHidden() && !folder.isEnabled() && picker.isVisible());
        QCOMPARE(QApplication::focusWidget(), &picker);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);  // its release chooses nothing
        picker.addItem(QStringLiteral("usb"), QByteArray(kDriveMove.drive));

        ModalAnswerer answerer(way == "no" ? QMessageBox::No : QMessageBox::Yes);
        auto* elsewhere = &f.find<QPushButton>("backUpButton");
        if (way == "choose" || way == "no") {
            QTest::mouseClick(&picker, Qt::LeftButton);
            QCOMPARE(QApplication::activePopupWidget(), picker.view()->window());
            picker.view()->setCurrentIndex(picker.model()->index(picker.count() - 1, 0));
            QTest::keyClick(picker.view(), Qt::Key_Return);
        } else if (way == "escape list") {
            QTest::mouseClick(&picker, Qt::LeftButton);
            QTest::keyClick(picker.view(), Qt::Key_Escape);
        } else if (way == "escape") {
            QTest::keyClick(&picker, Qt::Key_Escape);
        } else {
            elsewhere->setFocus(Qt::MouseFocusReason);
        }
        QVERIFY(folder.isVisible() && folder.isEnabled() && picker.isHidden());
        const bool asked = way == "choose" || way == "no";
        QCOMPARE(answerer.texts,
                 asked ? QStringList{"パスリストを一括変更しますか？"} : QStringList());
        if (!asked) {
            // The focus comes back to the box from the picker, but stays where a click put it.
            QCOMPARE(QApplication::focusWidget(),
                     way == "focus" ? static_cast<QWidget*>(elsewhere) : &folder);
        }
        const QString moved = way == "choose" ? kDriveMove.after[0] : kDriveMove.before[0];
        QCOMPARE(shownTexts(f.column(box)).value(0), moved);
        QCOMPARE(shownTexts(f.column(1 - box)).value(0), kDriveMove.before[0]);
        // The box still holds the pair it showed; the batch will take the moved one.
        QCOMPARE(folder.text(), kDriveMove.before[0]);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
