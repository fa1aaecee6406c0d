// The settings panel on its own: the excluded-extension editor and the list files of the program
// folder. Its options and the adding of extensions are checked through the window.

#include "tests/app/support/window_fixture.h"

namespace {

using namespace sorvik::test;
using sorvik::app::SettingsPanel;

QStringList texts(const QListWidget& list) {
    QStringList all;
    for (int i = 0; i < list.count(); ++i) {
        all << list.item(i)->text();
    }
    return all;
}

struct Panel : ProgramFolder {
    Panel() {
        QObject::connect(&panel, &SettingsPanel::listFileChosen,
                         [this](const std::string& path) { chosen << path; });
        QObject::connect(&panel, &SettingsPanel::listFileDeleted,
                         [this](const std::string& path) { deleted << path; });
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
        return row < 0 ? QPoint(10, list.viewport()->height() - 4)  // below the entries
                       : list.visualItemRect(list.item(row)).center();
    }
    // Press, release, press as a double-click and release, as the window system delivers them.
    void doubleClick(int row) {
        QWindow* window = panel.windowHandle();
        QTest::mouseDClick(
            window, Qt::LeftButton, {},
            window->mapFromGlobal(extensions.viewport()->mapToGlobal(rowCenter(extensions, row))));
    }
    // The entries as the list shows them, checked against the ones the panel keeps.
    QStringList entries() {
        QStringList kept;
        for (const std::string& entry : panel.excludedExtensions()) {
            kept << QString::fromStdString(entry);
        }
        return kept == texts(extensions) ? kept : QStringList{"list and values differ"};
    }

    SettingsPanel panel{files, nullptr};
    QList<std::string> chosen, deleted;
    QListWidget& extensions = find<QListWidget>("excludedExtensions");
    QListWidget& listFiles = find<QListWidget>("listFiles");
};

}  // namespace

class SettingsPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void aDoubleClickRemovesTheSelectedEntry_data() {
        QTest::addColumn<int>("selected");  // -1: none
        QTest::addColumn<int>("clicked");   // -1: below the entries
        QTest::addColumn<QStringList>("left");
        QTest::newRow("another entry") << 0 << 2 << QStringList{"tmp", "bak"};
        QTest::newRow("below, one selected") << 1 << -1 << QStringList{"tmp", "log"};
        QTest::newRow("below, none selected") << -1 << -1 << QStringList{"tmp", "bak", "log"};
    }
    void aDoubleClickRemovesTheSelectedEntry() {
        QFETCH(int, selected);
        QFETCH(int, clicked);
        QFETCH(QStringList, left);
        Panel p;
        p.panel.showExcludedExtensions({"tmp", "bak", "log"});
        QVERIFY(p.show());
        if (selected >= 0) {
            QTest::mouseClick(p.extensions.viewport(), Qt::LeftButton, {},
                              p.rowCenter(p.extensions, selected));
        }
        QVERIFY(clicked >= 0 || !p.extensions.itemAt(p.rowCenter(p.extensions, -1)));
        p.doubleClick(clicked);
        QCOMPARE(p.entries(), left);
        // No neighbour inherits the selection, so a second double-click below removes nothing.
        QVERIFY(p.extensions.selectedItems().isEmpty());
        p.doubleClick(-1);
        QCOMPARE(p.entries(), left);
    }

    void theListFilesAreChosenOfferedAndDeleted_data() {
        QTest::addColumn<QString>("selected");  // empty: none
        QTest::addColumn<int>(
            "before");  // 1: removed since it was listed, 2: a folder took its place
        QTest::newRow("one selected") << "B.lst" << 0;
        QTest::newRow("one selected, gone already") << "B.lst" << 1;
        QTest::newRow("one that cannot be deleted") << "B.lst" << 2;
        QTest::newRow("none selected") << "" << 0;
    }
    void theListFilesAreChosenOfferedAndDeleted() {
        QFETCH(QString, selected);
        QFETCH(int, before);
        Panel p;
        for (const char* name : {"b2.lst", "B.lst", "a.lst", "notes.txt"}) {
            writeFile(p.path(name), "");
        }
        QVERIFY(p.show());
        p.panel.refreshListFiles();
        QCOMPARE(texts(p.listFiles), (QStringList{"a.lst", "B.lst", "b2.lst"}));
        // A click chooses a list; a right click offers the list data menu and keeps the selection.
        QTest::mouseClick(p.listFiles.viewport(), Qt::LeftButton, {}, p.rowCenter(p.listFiles, 2));
        QCOMPARE(p.chosen, QList<std::string>{p.path("b2.lst")});
        p.listFiles.setCurrentRow(static_cast<int>(texts(p.listFiles).indexOf(selected)));
        QTest::mouseClick(p.listFiles.viewport(), Qt::RightButton, {}, p.rowCenter(p.listFiles, 0));
        QTRY_VERIFY(p.find<QMenu>("listDataMenu").isVisible());
        p.find<QMenu>("listDataMenu").hide();
        QCOMPARE(p.chosen.size(), 1);
        if (before > 0) {
            fs::remove(p.path("B.lst"));
        }
        if (before == 2) {  // nobody can unlink a folder that holds something
            writeFile(p.path("B.lst/inside"), "x");
        }
        ModalAnswerer answerer;
        p.find<QAction>("deleteListItem").trigger();
        QCOMPARE(answerer.texts,
                 before == 2
                     ? QStringList{boxText("ファイルを削除できませんでした。", p.path("B.lst"),
                                           std::errc::is_a_directory, 5 /* ERROR_ACCESS_DENIED */)}
                     : QStringList());
        const bool gone = !selected.isEmpty() && before < 2;
        QCOMPARE(p.deleted, gone ? QList<std::string>{p.path("B.lst")} : QList<std::string>());
        QCOMPARE(fs::exists(p.path("B.lst")), !gone);
        QCOMPARE(texts(p.listFiles).contains("B.lst"), !gone && before == 0);
    }
};

QTEST_MAIN(SettingsPanelTest)
#include "settings_panel_test.moc"
