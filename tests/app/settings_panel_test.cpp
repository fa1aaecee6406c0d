// The settings panel on its own: the options it keeps, the excluded-extension editor, and the list
// files of the program folder.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QWindow>
#include <QtTest>

#include "app/settings_panel.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/app/support/window_fixture.h"

namespace {

namespace fs = std::filesystem;
using sorvik::app::SettingsPanel;
using sorvik::lists::Option;
using sorvik::test::boxText;
using sorvik::test::ModalAnswerer;
using sorvik::test::writeFile;

QStringList texts(const QListWidget& list) {
    QStringList all;
    for (int i = 0; i < list.count(); ++i) {
        all << list.item(i)->text();
    }
    return all;
}

QStringList qTexts(const std::vector<std::string>& entries) {
    QStringList all;
    for (const std::string& entry : entries) {
        all << QString::fromStdString(entry);
    }
    return all;
}

struct Panel : sorvik::test::ProgramFolder {
    Panel() {
        QObject::connect(&panel, &SettingsPanel::optionChanged,
                         [this](Option option, bool on) { changes << qMakePair(int(option), on); });
        QObject::connect(&panel, &SettingsPanel::listFileChosen,
                         [this](const std::string& path) { chosen.push_back(path); });
        QObject::connect(&panel, &SettingsPanel::listFileDeleted,
                         [this](const std::string& path) { deleted.push_back(path); });
    }
    template <typename T>
    T& find(const char* name) {
        return *panel.findChild<T*>(QLatin1String(name));
    }
    bool show() {
        panel.show();
        return QTest::qWaitForWindowExposed(&panel);
    }
    QPoint rowCenter(QListWidget& list, int row) {
        return list.visualItemRect(list.item(row)).center();
    }
    // A double-click as the window system delivers it: press, release, press as a double-click,
    // release.
    void doubleClick(QListWidget& list, const QPoint& at) {
        QWindow* window = panel.windowHandle();
        QTest::mouseDClick(window, Qt::LeftButton, {},
                           window->mapFromGlobal(list.viewport()->mapToGlobal(at)));
    }

    SettingsPanel panel{files, nullptr};
    QList<QPair<int, bool>> changes;
    std::vector<std::string> chosen;
    std::vector<std::string> deleted;
    QListWidget& extensions = find<QListWidget>("excludedExtensions");
    QLineEdit& input = find<QLineEdit>("extensionInput");
    QListWidget& listFiles = find<QListWidget>("listFiles");
};

}  // namespace

class SettingsPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void theBoxesShowAndEditTheOptions() {
        Panel p;
        const std::array<const char*, 5> names{"alwaysOnTopBox", "skipExcludedExtensionsBox",
                                               "onlyWhenLargerBox", "onlyWhenNewerBox",
                                               "automaticRunBox"};
        // A first run's options: on, on, off, on, off.
        QCOMPARE(p.panel.options(), sorvik::lists::Settings{});
        for (std::size_t i = 0; i < names.size(); ++i) {
            auto& box = p.find<QCheckBox>(names[i]);
            const Option option = sorvik::lists::kOptionsInFileOrder[i];
            QCOMPARE(box.isChecked(), p.panel.options()[option]);
            const bool was = box.isChecked();
            box.click();
            QCOMPARE(p.panel.options()[option], !was);
            QCOMPARE(p.changes.last(), qMakePair(static_cast<int>(option), !was));
        }
        // Values shown by the program are no change of the user's.
        p.changes.clear();
        sorvik::lists::Settings restored;
        restored.onlyWhenLarger = true;
        restored.automaticRun = true;
        restored.placeholder = true;
        p.panel.showOptions(restored);
        QCOMPARE(p.panel.options(), restored);
        QVERIFY(p.find<QCheckBox>("automaticRunBox").isChecked());
        QVERIFY(p.panel.placeholderItem().isChecked());
        QVERIFY(p.changes.isEmpty());
        // The menu item switches the placeholder mode off and on.
        p.panel.placeholderItem().trigger();
        QVERIFY(!p.panel.options().placeholder);
        p.panel.placeholderItem().trigger();
        QVERIFY(p.panel.options().placeholder);
    }

    void enterAddsTheTextExactlyAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("added");
        const int enter = Qt::Key_Return;
        QTest::newRow("blanks kept") << " tmp " << enter << true;
        QTest::newRow("comma kept") << "a,b" << enter << true;
        QTest::newRow("empty entry") << "" << enter << true;
        QTest::newRow("twice the same") << "bak" << enter << true;
        QTest::newRow("keypad Enter") << "日本" << static_cast<int>(Qt::Key_Enter) << true;
        QTest::newRow("a letter") << "tmp" << static_cast<int>(Qt::Key_A) << false;
        QTest::newRow("Escape") << "tmp" << static_cast<int>(Qt::Key_Escape) << false;
    }
    void enterAddsTheTextExactlyAsTyped() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(bool, added);
        Panel p;
        p.panel.showExcludedExtensions({"bak"});
        p.input.setText(typed);
        QTest::keyClick(&p.input, static_cast<Qt::Key>(key));
        const QStringList expected = added ? QStringList{"bak", typed} : QStringList{"bak"};
        QCOMPARE(texts(p.extensions), expected);
        QCOMPARE(qTexts(p.panel.excludedExtensions()), expected);
        QCOMPARE(p.input.text().isEmpty(), added);
    }

    void aDoubleClickRemovesTheSelectedEntry_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("selected");  // -1: none
        QTest::addColumn<int>("clicked");   // -1: below the entries
        QTest::addColumn<QStringList>("left");
        const QStringList three{"tmp", "bak", "log"};
        QTest::newRow("another entry than the selected")
            << three << 0 << 2 << QStringList{"tmp", "bak"};
        QTest::newRow("the last one left") << QStringList{"tmp"} << -1 << 0 << QStringList();
        QTest::newRow("one of two equal")
            << QStringList{"tmp", "tmp", "bak"} << -1 << 1 << QStringList{"tmp", "bak"};
        QTest::newRow("below, one selected") << three << 1 << -1 << QStringList{"tmp", "log"};
        QTest::newRow("below, none selected") << three << -1 << -1 << three;
    }
    void aDoubleClickRemovesTheSelectedEntry() {
        QFETCH(QStringList, entries);
        QFETCH(int, selected);
        QFETCH(int, clicked);
        QFETCH(QStringList, left);
        Panel p;
        std::vector<std::string> values;
        for (const QString& entry : entries) {
            values.push_back(entry.toStdString());
        }
        p.panel.showExcludedExtensions(values);
        QVERIFY(p.show());
        if (selected >= 0) {
            QTest::mouseClick(p.extensions.viewport(), Qt::LeftButton, {},
                              p.rowCenter(p.extensions, selected));
        }
        const QPoint at = clicked >= 0 ? p.rowCenter(p.extensions, clicked)
                                       : QPoint(10, p.extensions.viewport()->height() - 4);
        QVERIFY(clicked >= 0 || !p.extensions.itemAt(at));
        p.doubleClick(p.extensions, at);
        QCOMPARE(texts(p.extensions), left);
        QCOMPARE(qTexts(p.panel.excludedExtensions()), left);
        // No neighbour inherits the selection, so a second double-click below removes nothing.
        QVERIFY(p.extensions.selectedItems().isEmpty());
        p.doubleClick(p.extensions, QPoint(10, p.extensions.viewport()->height() - 4));
        QCOMPARE(texts(p.extensions), left);
    }

    void theListFilesAreChosenOfferedAndDeleted_data() {
        QTest::addColumn<QString>("selected");  // empty: none
        QTest::addColumn<bool>("goneBefore");   // removed by someone else since it was listed
        QTest::newRow("one selected") << "B.lst" << false;
        QTest::newRow("one selected, gone already") << "B.lst" << true;
        QTest::newRow("none selected") << "" << false;
    }
    void theListFilesAreChosenOfferedAndDeleted() {
        QFETCH(QString, selected);
        QFETCH(bool, goneBefore);
        Panel p;
        for (const char* name : {"b2.lst", "B.lst", "a.lst", "notes.txt"}) {
            writeFile(p.path(name), "");
        }
        QVERIFY(p.show());
        p.panel.refreshListFiles();
        QCOMPARE(texts(p.listFiles), (QStringList{"a.lst", "B.lst", "b2.lst"}));
        // A click chooses a list; a right click offers the list data menu and keeps the selection.
        QTest::mouseClick(p.listFiles.viewport(), Qt::LeftButton, {}, p.rowCenter(p.listFiles, 2));
        QCOMPARE(p.chosen, std::vector<std::string>{p.path("b2.lst")});
        p.listFiles.setCurrentRow(static_cast<int>(texts(p.listFiles).indexOf(selected)));
        QTest::mouseClick(p.listFiles.viewport(), Qt::RightButton, {}, p.rowCenter(p.listFiles, 0));
        QMenu& menu = p.find<QMenu>("listDataMenu");
        QTRY_VERIFY(menu.isVisible());
        menu.hide();
        QCOMPARE(p.chosen.size(), std::size_t{1});
        if (goneBefore) {
            fs::remove(p.path("B.lst"));
        }
        ModalAnswerer answerer;
        p.find<QAction>("deleteListItem").trigger();
        QCOMPARE(answerer.texts, QStringList());
        if (selected.isEmpty()) {
            QVERIFY(p.deleted.empty());
            QCOMPARE(p.listFiles.count(), 3);
        } else {
            QCOMPARE(p.deleted, std::vector<std::string>{p.path("B.lst")});
            QVERIFY(!fs::exists(p.path("B.lst")));
            QCOMPARE(texts(p.listFiles), (QStringList{"a.lst", "b2.lst"}));
        }
    }

    void aListFileThatCannotBeDeletedIsReported() {
        Panel p;
        writeFile(p.path("A.lst"), "");
        p.panel.refreshListFiles();
        // Nobody can unlink a folder that took the list's place after it was listed.
        fs::remove(p.path("A.lst"));
        writeFile(p.path("A.lst/inside"), "x");
        p.listFiles.setCurrentRow(0);
        ModalAnswerer answerer;
        p.find<QAction>("deleteListItem").trigger();
        QCOMPARE(answerer.texts, QStringList{boxText("ファイルを削除できませんでした。",
                                                     p.path("A.lst"), std::errc::is_a_directory)});
        QVERIFY(p.deleted.empty());
    }
};

QTEST_MAIN(SettingsPanelTest)
#include "settings_panel_test.moc"
