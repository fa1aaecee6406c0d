// The editor of the excluded extensions on the settings panel: Enter in Text1 adds an entry, a
// double-click on List1 removes one, and the entries reach the engine and sorvik02.ini.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QWindow>
#include <QtTest>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "lists/extension_file.h"
#include "lists/list_file.h"
#include "lists/settings_file.h"
#include "tests/app/support/folder_contents.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/support/temp_folder.h"

namespace {

using sorvik::app::Form1;
using sorvik::test::itemTexts;
using sorvik::test::makeProgramFolder;
using sorvik::test::ModalAnswerer;
using sorvik::test::readFile;
using sorvik::test::TempFolder;

std::vector<std::string> stdTexts(const QStringList& texts) {
    std::vector<std::string> converted;
    for (const QString& text : texts) {
        converted.push_back(text.toStdString());
    }
    return converted;
}

// A double-click as the window system delivers it: press, release, a second press that also
// arrives as a double-click, release. QTest's widget overload sends the double-click event alone.
void doubleClick(QWidget& target, const QPoint& position) {
    QWindow* window = target.window()->windowHandle();
    QTest::mouseDClick(window, Qt::LeftButton, {},
                       window->mapFromGlobal(target.mapToGlobal(position)));
}

// A started window with its settings panel showing, on a program folder whose sorvik02.ini holds
// `entries` (none: no such file).
struct Program {
    explicit Program(const QStringList& entries = {})
        : folder(makeProgramFolder(temp)), form(folder) {
        sorvik::lists::Settings settings;
        settings.listPath = folder + "/daily.lst";
        ready = !sorvik::lists::writeListFile(settings.listPath, {}) &&
                !sorvik::lists::writeSettingsFile(form.IniPath, settings) &&
                (entries.isEmpty() ||
                 !sorvik::lists::writeExtensionFile(form.ExtIniPath, stdTexts(entries)));
        form.Form_Load();
        form.findChild<QAction*>(QStringLiteral("mn0_2"))->trigger();
        text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
        list1 = form.findChild<QListWidget*>(QStringLiteral("List1"));
        ready =
            ready && text1 && list1 && QTest::qWaitForWindowExposed(&form) && list1->isVisible();
    }

    void type(const QString& text, Qt::Key key = Qt::Key_Return) {
        text1->setText(text);
        QTest::keyClick(text1, key);
    }

    QStringList sentToTheEngine() const {
        QStringList texts;
        for (const std::string& entry : form.options().excludedExtensions) {
            texts << QString::fromStdString(entry);
        }
        return texts;
    }

    TempFolder temp;
    std::string folder;
    Form1 form;
    QLineEdit* text1 = nullptr;
    QListWidget* list1 = nullptr;
    bool ready = false;
};

}  // namespace

class ExcludedExtensionsTest : public QObject {
    Q_OBJECT

  private slots:
    void enterAddsTheTextExactlyAsTyped_data();
    void enterAddsTheTextExactlyAsTyped();
    void otherKeysAddNothing_data();
    void otherKeysAddNothing();
    void doubleClickRemovesTheSelectedEntry_data();
    void doubleClickRemovesTheSelectedEntry();
    void entriesAreSavedInOrderOnClose();
};

void ExcludedExtensionsTest::enterAddsTheTextExactlyAsTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::newRow("blanks kept") << QStringLiteral(" tmp ") << static_cast<int>(Qt::Key_Return);
    QTest::newRow("comma kept") << QStringLiteral("a,b") << static_cast<int>(Qt::Key_Return);
    QTest::newRow("empty text, empty entry") << QString() << static_cast<int>(Qt::Key_Return);
    QTest::newRow("same as a listed one")
        << QStringLiteral("bak") << static_cast<int>(Qt::Key_Return);
    QTest::newRow("keypad Enter") << QStringLiteral("log") << static_cast<int>(Qt::Key_Enter);
}

void ExcludedExtensionsTest::enterAddsTheTextExactlyAsTyped() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    Program p({QStringLiteral("bak")});
    QVERIFY(p.ready);
    QCOMPARE(itemTexts(*p.list1), QStringList{QStringLiteral("bak")});

    ModalAnswerer answerer;
    p.type(typed, static_cast<Qt::Key>(key));

    const QStringList expected{QStringLiteral("bak"), typed};
    QCOMPARE(itemTexts(*p.list1), expected);
    QCOMPARE(p.text1->text(), QString());
    QCOMPARE(p.sentToTheEngine(), expected);
    QCOMPARE(answerer.texts, QStringList());
}

void ExcludedExtensionsTest::otherKeysAddNothing_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("letter") << static_cast<int>(Qt::Key_A);
    QTest::newRow("tab") << static_cast<int>(Qt::Key_Tab);
    QTest::newRow("escape") << static_cast<int>(Qt::Key_Escape);
}

void ExcludedExtensionsTest::otherKeysAddNothing() {
    QFETCH(int, key);
    Program p;
    QVERIFY(p.ready);

    p.type(QStringLiteral("tmp"), static_cast<Qt::Key>(key));

    QCOMPARE(p.list1->count(), 0);
    QVERIFY(p.text1->text().startsWith(QStringLiteral("tmp")));
    QCOMPARE(p.sentToTheEngine(), QStringList());
}

void ExcludedExtensionsTest::doubleClickRemovesTheSelectedEntry_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("selected");  // -1: nothing selected before
    QTest::addColumn<int>("clicked");   // -1: the empty space below the last entry
    QTest::addColumn<QStringList>("left");
    const QStringList three{QStringLiteral("tmp"), QStringLiteral("bak"), QStringLiteral("log")};
    QTest::newRow("on another entry than the selected one")
        << three << 0 << 2 << QStringList{QStringLiteral("tmp"), QStringLiteral("bak")};
    QTest::newRow("on the last one left")
        << QStringList{QStringLiteral("tmp")} << -1 << 0 << QStringList();
    QTest::newRow("on one of two equal entries")
        << QStringList{QStringLiteral("tmp"), QStringLiteral("tmp"), QStringLiteral("bak")} << -1
        << 1 << QStringList{QStringLiteral("tmp"), QStringLiteral("bak")};
    QTest::newRow("below the entries, one selected")
        << three << 1 << -1 << QStringList{QStringLiteral("tmp"), QStringLiteral("log")};
    QTest::newRow("below the entries, none selected") << three << -1 << -1 << three;
}

void ExcludedExtensionsTest::doubleClickRemovesTheSelectedEntry() {
    QFETCH(QStringList, entries);
    QFETCH(int, selected);
    QFETCH(int, clicked);
    QFETCH(QStringList, left);
    Program p(entries);
    QVERIFY(p.ready);
    QCOMPARE(itemTexts(*p.list1), entries);
    QWidget& viewport = *p.list1->viewport();
    if (selected >= 0) {
        QTest::mouseClick(&viewport, Qt::LeftButton, {},
                          p.list1->visualItemRect(p.list1->item(selected)).center());
        QCOMPARE(p.list1->selectedItems().size(), 1);
        QCOMPARE(p.list1->row(p.list1->selectedItems().first()), selected);
    }
    const QPoint place = clicked >= 0 ? p.list1->visualItemRect(p.list1->item(clicked)).center()
                                      : QPoint(viewport.width() / 2, viewport.height() - 4);
    if (clicked < 0) {
        const QRect last = p.list1->visualItemRect(p.list1->item(p.list1->count() - 1));
        QVERIFY(place.y() > last.bottom());
        QVERIFY(!p.list1->itemAt(place));
    }

    doubleClick(viewport, place);

    // A click on the empty space must keep the selection for the double-click to remove it.
    QCOMPARE(itemTexts(*p.list1), left);
    QCOMPARE(p.sentToTheEngine(), left);
    // No neighbour may inherit the selection, or a later double-click below the entries would
    // remove it; the double-click's own release lands on the entry that moved up.
    QVERIFY(p.list1->selectedItems().isEmpty());
    p.form.List1_DblClick();
    QCOMPARE(itemTexts(*p.list1), left);
}

void ExcludedExtensionsTest::entriesAreSavedInOrderOnClose() {
    Program p({QStringLiteral("bak"), QStringLiteral("tmp")});
    QVERIFY(p.ready);

    p.type(QStringLiteral("log"));
    p.type(QStringLiteral("bak"));
    p.type(QStringLiteral("日本"));
    doubleClick(*p.list1->viewport(), p.list1->visualItemRect(p.list1->item(1)).center());
    const QStringList expected{QStringLiteral("bak"), QStringLiteral("log"), QStringLiteral("bak"),
                               QStringLiteral("日本")};
    QCOMPARE(itemTexts(*p.list1), expected);
    ModalAnswerer answerer;

    QVERIFY(p.form.close());

    QCOMPARE(answerer.texts, QStringList());
    // Code page 932, every line ended by CR LF.
    QCOMPARE(readFile(p.form.ExtIniPath), std::string("bak\r\nlog\r\nbak\r\n\x93\xfa\x96\x7b\r\n"));

    // The next start shows them again, in the same order.
    Form1 next(p.folder);
    next.Form_Load();
    auto* restored = next.findChild<QListWidget*>(QStringLiteral("List1"));
    QVERIFY(restored);
    QCOMPARE(itemTexts(*restored), expected);
}

QTEST_MAIN(ExcludedExtensionsTest)
#include "excluded_extensions_test.moc"
