// The window's placeholder menu, panels, fixed size, countdown strip and window order.
#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QtTest>

#include "app/form1.h"
#include "app/window_order.h"
#include "tests/support/temp_folder.h"

using sorvik::app::Form1;

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
