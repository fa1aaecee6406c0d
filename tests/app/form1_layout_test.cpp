// The window's controls, menus, fixed size, countdown strip and window order.
#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QtTest>

#include "app/form1.h"
#include "app/twips.h"
#include "app/window_order.h"
#include "tests/support/temp_folder.h"

using sorvik::app::Form1;
using sorvik::app::twipsRect;

class Form1Layout : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        folder_ = std::make_unique<sorvik::test::TempFolder>();
        form_ = std::make_unique<Form1>(folder_->path().string());
    }
    void cleanup() {
        form_.reset();
        folder_.reset();
    }

    void controlsSitWhereTheirTwipsSay_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("shown");
        QTest::newRow("FilP_0") << "FilP_0" << twipsRect(1080, 60, 4845, 300) << true;
        QTest::newRow("Drive_0") << "Drive_0" << twipsRect(1080, 60, 5115, 300) << false;
        QTest::newRow("FilP_1") << "FilP_1" << twipsRect(1080, 420, 4850, 300) << true;
        QTest::newRow("Drive_1") << "Drive_1" << twipsRect(1080, 420, 5115, 300) << false;
        QTest::newRow("Command1") << "Command1" << twipsRect(60, 780, 1335, 375) << true;
        QTest::newRow("Command2") << "Command2" << twipsRect(4860, 780, 1335, 375) << true;
        QTest::newRow("Frame_0") << "Frame_0" << twipsRect(60, 1260, 6195, 4635) << true;
        QTest::newRow("Frame_1") << "Frame_1" << twipsRect(60, 1260, 6195, 4635) << false;
        QTest::newRow("FilPL_0") << "FilPL_0" << twipsRect(120, 300, 5955, 2040) << true;
        QTest::newRow("FilPL_1") << "FilPL_1" << twipsRect(120, 2460, 5955, 2040) << true;
        for (int i = 0; i < 5; ++i) {
            const QString name = QStringLiteral("Check_%1").arg(i);
            QTest::newRow(qPrintable(name)) << name << twipsRect(180, 300 + 360 * i, 3315, 255)
                                            << false;  // on the hidden settings panel
        }
        QTest::newRow("File2") << "File2" << twipsRect(180, 2220, 3255, 2250) << false;
        QTest::newRow("Text1") << "Text1" << twipsRect(3540, 300, 2535, 270) << false;
        QTest::newRow("List1") << "List1" << twipsRect(3540, 660, 2535, 3840) << false;
    }
    void controlsSitWhereTheirTwipsSay() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(bool, shown);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        auto* widget = form_->findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->isVisible(), shown);
    }

    void menuBarShowsOptionAndSettingsOnly() {
        QStringList shown;
        for (QAction* entry : form_->menuBar()->actions()) {
            if (entry->isVisible()) {
                shown << entry->text();
            }
        }
        QCOMPARE(shown, (QStringList{"Option", "環境設定"}));

        auto* placeholder = find<QAction>("mn2_0");
        QCOMPARE(placeholder->text(), QStringLiteral("Sorvikを作成"));
        QVERIFY(placeholder->isCheckable());
        QVERIFY(!placeholder->isChecked());
        QVERIFY(!find<QAction>("mn2_1")->isVisible());

        const QList<QPair<QString, QStringList>> popups{
            {"mn0_0", {"パス追加", "パス削除"}},
            {"mn0_3", {"新規作成", "リストデータの削除"}},
            {"mn0_4", {"0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}},
        };
        for (const auto& [name, items] : popups) {
            auto* menu = find<QMenu>(name);
            QStringList captions;
            for (QAction* item : menu->actions()) {
                captions << item->text();
            }
            QCOMPARE(captions, items);
            QVERIFY2(!form_->menuBar()->actions().contains(menu->menuAction()), qPrintable(name));
        }
        QCOMPARE(find<QMenu>("mn0_0")->title(), QStringLiteral("パス追加"));
        QCOMPARE(find<QMenu>("mn0_3")->title(), QStringLiteral("リストデータ"));
        QCOMPARE(find<QMenu>("mn0_4")->title(), QStringLiteral("ファイルリスト交換用"));
    }

    void placeholderMenuToggles() {
        auto* placeholder = find<QAction>("mn2_0");
        placeholder->trigger();
        QVERIFY(placeholder->isChecked());
        QVERIFY(form_->options().placeholder);
        placeholder->trigger();
        QVERIFY(!placeholder->isChecked());
        QVERIFY(!form_->options().placeholder);
        form_->mn2_Click(1);  // the hidden separator does nothing
        QVERIFY(!placeholder->isChecked());
    }

    void settingsMenuSwapsThePanels() {
        form_->show();
        auto* paths = find<QGroupBox>("Frame_0");
        auto* settings = find<QGroupBox>("Frame_1");
        writeFile("b.lst");
        writeFile("A.lst");

        find<QAction>("mn0_2")->trigger();
        QVERIFY(!paths->isVisible());
        QVERIFY(settings->isVisible());
        QCOMPARE(items(*find<QListWidget>("File2")), (QStringList{"A.lst", "b.lst"}));

        form_->mn0_Click(0);
        form_->mn0_Click(1);
        QVERIFY(settings->isVisible());

        find<QAction>("mn0_2")->trigger();
        QVERIFY(paths->isVisible());
        QVERIFY(!settings->isVisible());
    }

    void clientAreaHasItsFixedSizeAndSnapsBack() {
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QCOMPARE(form_->centralWidget()->size(), QSize(421, 398));
        const QSize normal = form_->size();
        QCOMPARE(normal.height(), 398 + form_->menuBar()->height());

        form_->resize(normal.width() + 120, normal.height() + 50);
        QCOMPARE(form_->size(), normal);
        form_->setMinimumSize(10, 10);
        form_->resize(100, 100);
        QTRY_COMPARE(form_->size(), normal);
    }

    void countdownTurnsTheWindowIntoAStrip() {
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        const QSize normal = form_->size();
        const int screenWidth = form_->screen()->geometry().width();
        const int frameWidth = form_->frameGeometry().width() - form_->width();

        form_->AutoWait = 5;
        form_->Form_Resize();
        QCOMPARE(form_->width(), screenWidth - frameWidth);
        QVERIFY(form_->height() < 10);
        form_->resize(300, 300);  // the strip snaps back too
        QCOMPARE(form_->width(), screenWidth - frameWidth);
        QVERIFY(form_->height() < 10);

        form_->AutoWait = Form1::kNoAutomaticRun;
        form_->Form_Resize();
        QCOMPARE(form_->size(), normal);
    }

    void windowOrderModes() {
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        form_->move(40, 30);
        const QPoint place = form_->pos();
        const auto onTop = [this] {
            return form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        };

        QVERIFY(sorvik::app::SetWindowOrder(*form_, 1) != 0);
        QVERIFY(onTop());
        QVERIFY(form_->isVisible());
        QCOMPARE(form_->pos(), place);

        QVERIFY(sorvik::app::SetWindowOrder(*form_, 2) != 0);
        QVERIFY(onTop());

        QCOMPARE(sorvik::app::SetWindowOrder(*form_, 3), 0L);
        QCOMPARE(sorvik::app::SetWindowOrder(*form_, -1), 0L);
        QVERIFY(onTop());

        QVERIFY(sorvik::app::SetWindowOrder(*form_, 0) != 0);
        QVERIFY(!onTop());
        QVERIFY(form_->isVisible());
        QCOMPARE(form_->pos(), place);
        QCOMPARE(form_->centralWidget()->size(), QSize(421, 398));

        form_->hide();
        QVERIFY(sorvik::app::SetWindowOrder(*form_, 2) != 0);
        QVERIFY(form_->isVisible());
    }

  private:
    template <class Widget>
    Widget* find(const QString& name) {
        auto* found = form_->findChild<Widget*>(name);
        if (!found) {
            qFatal("no control %s", qPrintable(name));
        }
        return found;
    }
    static QStringList items(const QListWidget& list) {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i) {
            texts << list.item(i)->text();
        }
        return texts;
    }
    void writeFile(const char* name) { sorvik::test::writeFile(folder_->path() / name, ""); }

    std::unique_ptr<sorvik::test::TempFolder> folder_;
    std::unique_ptr<Form1> form_;
};

QTEST_MAIN(Form1Layout)
#include "form1_layout_test.moc"
