// The current list in the window: loading and saving it, selecting a pair, and the menu of list
// files to switch to.
#include <sys/stat.h>

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QtTest>

#include "app/form1.h"
#include "engine/messages.h"
#include "tests/app/support/folder_contents.h"
#include "tests/app/support/modal_answerer.h"
#include "tests/support/temp_folder.h"

using sorvik::app::Form1;
using sorvik::test::readFile;
using sorvik::test::writeFile;

namespace {

// Two pairs in code page 932: a Japanese folder, a trailing separator and an empty entry.
const std::string kListBytes =
    "/home/u/\x8E\xCA\x90\x5E/\r\n/mnt/b/\x8E\xCA\x90\x5E\r\n/home/u/work\r\n\r\n";

}  // namespace

class PairSelection : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        folder_ = std::make_unique<sorvik::test::TempFolder>();
        form_ = std::make_unique<Form1>(folder_->path().string());
        column0_ = form_->findChild<QListWidget*>("FilPL_0");
        column1_ = form_->findChild<QListWidget*>("FilPL_1");
        box0_ = form_->findChild<QLineEdit*>("FilP_0");
        box1_ = form_->findChild<QLineEdit*>("FilP_1");
        QVERIFY(column0_ && column1_ && box0_ && box1_);
    }
    void cleanup() {
        form_.reset();
        folder_.reset();
    }

    void loadFillsBothColumnsAndSelectsNothing() {
        writeFile(listPath("a.lst"), kListBytes);
        box0_->setText("typed");
        box1_->setText("also typed");
        form_->ListPath = listPath("a.lst");
        form_->FP1_Load();
        QCOMPARE(items(*column0_), (QStringList{"/home/u/写真/", "/home/u/work"}));
        QCOMPARE(items(*column1_), (QStringList{"/mnt/b/写真", ""}));
        QVERIFY(column0_->selectedItems().isEmpty());
        QVERIFY(column1_->selectedItems().isEmpty());
        QCOMPARE(box0_->text(), QStringLiteral("typed"));
        QCOMPARE(box1_->text(), QStringLiteral("also typed"));
    }

    void loadingAMissingListEmptiesTheColumnsAndCreatesNothing() {
        column0_->addItem("old");
        column1_->addItem("old");
        form_->ListPath = listPath("none.lst");
        form_->FP1_Load();
        QCOMPARE(column0_->count(), 0);
        QCOMPARE(column1_->count(), 0);
        QVERIFY(!std::filesystem::exists(form_->ListPath));
        QCOMPARE(form_->ListPath, listPath("none.lst"));
    }

    void aListThatCannotBeReadIsReportedAndLeftAlone() {
        const std::string undecodable = "/src\r\n\x81\r\n";  // a lead byte with no trail byte
        writeFile(listPath("bad.lst"), undecodable);
        column0_->addItem("old");
        column1_->addItem("old");
        form_->ListPath = listPath("bad.lst");
        sorvik::test::ModalAnswerer answerer;
        form_->FP1_Load();
        QCOMPARE(answerer.texts, QStringList{sorvik::test::boxText(
                                     sorvik::engine::text::kFileUnreadable, listPath("bad.lst"),
                                     std::errc::illegal_byte_sequence)});
        QCOMPARE(answerer.titles, QStringList{"Sorvik"});
        QCOMPARE(form_->ListPath, std::string());
        QCOMPARE(column0_->count(), 0);
        QCOMPARE(column1_->count(), 0);
        // With no list current, a save cannot overwrite the file.
        QVERIFY(!form_->FP1_Save());
        QCOMPARE(readFile(listPath("bad.lst")), undecodable);
    }

    void saveWithNoCurrentListTouchesNothing() {
        column0_->addItem("/a");
        column1_->addItem("/b");
        form_->ListPath.clear();
        QVERIFY(!form_->FP1_Save());
        QVERIFY(std::filesystem::is_empty(folder_->path()));
    }

    void aSaveThatFailsIsReportedAndTheColumnsKeepTheirPairs() {
        form_->ListPath = folder_->path().string() + "/missing folder/a.lst";
        column0_->addItem("/a");
        column1_->addItem("/b");
        sorvik::test::ModalAnswerer answerer;
        QVERIFY(form_->FP1_Save());
        QCOMPARE(answerer.texts, QStringList{sorvik::test::boxText(
                                     sorvik::engine::text::kFileUnwritable, form_->ListPath,
                                     std::errc::no_such_file_or_directory)});
        QCOMPARE(items(*column0_), QStringList{"/a"});
        QCOMPARE(items(*column1_), QStringList{"/b"});
    }

    void selectingARowInEitherColumnSelectsThePair_data() {
        QTest::addColumn<int>("column");
        QTest::newRow("source column") << 0;
        QTest::newRow("backup column") << 1;
    }
    void selectingARowInEitherColumnSelectsThePair() {
        QFETCH(int, column);
        loadThreePairs();
        QListWidget* clicked = column == 0 ? column0_ : column1_;
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        const QRect row2 = clicked->visualItemRect(clicked->item(2));
        QTest::mouseClick(clicked->viewport(), Qt::LeftButton, {}, row2.center());
        QCOMPARE(column0_->currentRow(), 2);
        QCOMPARE(column1_->currentRow(), 2);
        QCOMPARE(box0_->text(), QStringLiteral("/s2"));
        QCOMPARE(box1_->text(), QStringLiteral("/b2"));
    }

    void clickingTheSelectedRowAgainRestoresThePair() {
        loadThreePairs();
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        const QRect row1 = column1_->visualItemRect(column1_->item(1));
        QTest::mouseClick(column1_->viewport(), Qt::LeftButton, {}, row1.center());
        box0_->setText("typed");
        box1_->setText("typed");
        QTest::mouseClick(column1_->viewport(), Qt::LeftButton, {}, row1.center());
        QCOMPARE(box0_->text(), QStringLiteral("/s1"));
        QCOMPARE(box1_->text(), QStringLiteral("/b1"));
    }

    void selectingByProgramFillsTheBoxesEvenForTheSelectedRow() {
        loadThreePairs();
        form_->selectPair(1);
        QCOMPARE(box0_->text(), QStringLiteral("/s1"));
        box0_->setText("typed over");
        box1_->setText("typed over");
        form_->selectPair(1);
        QCOMPARE(box0_->text(), QStringLiteral("/s1"));
        QCOMPARE(box1_->text(), QStringLiteral("/b1"));
        QCOMPARE(column1_->currentRow(), 1);
    }

    void aClickWithNoSelectedRowChangesNothing() {
        loadThreePairs();
        box0_->setText("kept");
        box1_->setText("kept");
        form_->FilPL_Click(0);
        form_->FilPL_Click(1);
        QCOMPARE(box0_->text(), QStringLiteral("kept"));
        QCOMPARE(box1_->text(), QStringLiteral("kept"));

        form_->selectPair(0);
        column0_->clearSelection();  // a control-click takes the selection away
        box0_->setText("kept");
        form_->FilPL_Click(0);
        QCOMPARE(box0_->text(), QStringLiteral("kept"));
    }

    void selectionsWhileLoadingAreIgnored() {
        loadThreePairs();
        box0_->setText("kept");
        form_->Loading = true;
        column1_->setCurrentRow(2);
        QCOMPARE(box0_->text(), QStringLiteral("kept"));
        QCOMPARE(column0_->currentRow(), -1);
        form_->Loading = false;
        form_->selectPair(0);
        QCOMPARE(box0_->text(), QStringLiteral("/s0"));
        QCOMPARE(column1_->currentRow(), 0);
    }

    void rightClickOnThePathListOffersTheListFiles_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("offered");
        QTest::newRow("three") << QStringList{"C.lst", "A.lst", "B.lst"}
                               << QStringList{"A.lst", "B.lst", "C.lst"};
        QStringList twelve;
        for (int i = 0; i < 12; ++i) {
            twelve << QStringLiteral("L%1.lst").arg(i, 2, 10, QLatin1Char('0'));
        }
        QTest::newRow("twelve: the first ten") << twelve << twelve.mid(0, 10);
        QTest::newRow("an ampersand is shown, not an accelerator")
            << QStringList{"R&D.lst"} << QStringList{"R&D.lst"};
        QTest::newRow("other files are not lists")
            << QStringList{"notes.txt", "x.lst.bak", "y.lst"} << QStringList{"y.lst"};
    }
    void rightClickOnThePathListOffersTheListFiles() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, offered);
        for (const QString& name : files) {
            writeFile(folder_->path() / name.toStdString(), "");
        }
        QCOMPARE(offeredLists(), offered);
        QCOMPARE(menu()->isVisible(), true);
        menu()->hide();
    }

    void fewerListsHideTheItemsAboveThem() {
        for (const char* name : {"a.lst", "b.lst", "c.lst", "d.lst", "e.lst"}) {
            writeFile(folder_->path() / name, "");
        }
        QCOMPARE(offeredLists().size(), 5);
        menu()->hide();
        for (const char* name : {"c.lst", "d.lst", "e.lst"}) {
            std::filesystem::remove(folder_->path() / name);
        }
        QCOMPARE(offeredLists(), (QStringList{"a.lst", "b.lst"}));
        menu()->hide();
        std::filesystem::remove(folder_->path() / "a.lst");
        std::filesystem::remove(folder_->path() / "b.lst");
        // No list at all: the first item keeps its last caption.
        QCOMPARE(offeredLists(), QStringList{"a.lst"});
        menu()->hide();
    }

    void withNoListEverTheFirstItemSaysZero() {
        QCOMPARE(offeredLists(), QStringList{"0"});
        menu()->hide();
    }

    void otherButtonsAndTheSettingsPanelOfferNothing() {
        writeFile(folder_->path() / "a.lst", "");
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        auto* paths = form_->findChild<QGroupBox*>("Frame_0");
        QTest::mouseClick(paths, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseClick(paths, Qt::MiddleButton, {}, QPoint(3, 3));
        form_->Frame_MouseDown(1, Qt::RightButton, QPoint(3, 3));
        QVERIFY(!menu()->isVisible());
        QCOMPARE(menu()->actions().at(0)->text(), QStringLiteral("0"));

        // The real right click on the bare panel does offer them.
        QTest::mouseClick(paths, Qt::RightButton, {}, QPoint(3, 3));
        QTRY_VERIFY(menu()->isVisible());
        QCOMPARE(menu()->actions().at(0)->text(), QStringLiteral("a.lst"));
        menu()->hide();
    }

  private:
    std::string listPath(const char* name) const { return (folder_->path() / name).string(); }

    void loadThreePairs() {
        writeFile(listPath("three.lst"), "/s0\r\n/b0\r\n/s1\r\n/b1\r\n/s2\r\n/b2\r\n");
        form_->ListPath = listPath("three.lst");
        form_->FP1_Load();
    }

    QMenu* menu() { return form_->findChild<QMenu*>("mn0_4"); }

    // Right-clicks the path list and gives the captions of the items the menu then shows.
    QStringList offeredLists() {
        form_->Frame_MouseDown(0, Qt::RightButton, QPoint(10, 10));
        QStringList captions;
        for (QAction* item : menu()->actions()) {
            if (item->isVisible()) {
                captions << item->data().toString();
                if (item->text() != QString(item->data().toString()).replace("&", "&&")) {
                    captions << "caption differs: " + item->text();
                }
            }
        }
        return captions;
    }

    static QStringList items(const QListWidget& list) {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i) {
            texts << list.item(i)->text();
        }
        return texts;
    }

    std::unique_ptr<sorvik::test::TempFolder> folder_;
    std::unique_ptr<Form1> form_;
    QListWidget* column0_ = nullptr;
    QListWidget* column1_ = nullptr;
    QLineEdit* box0_ = nullptr;
    QLineEdit* box1_ = nullptr;
};

QTEST_MAIN(PairSelection)
#include "pair_selection_test.moc"
