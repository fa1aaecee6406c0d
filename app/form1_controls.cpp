// Builds the window's controls and menus, placed from their twips figures.
#include <QAction>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "app/drive_picker.h"
#include "app/form1.h"
#include "app/twips.h"

namespace sorvik::app {

namespace {

QString indexedName(const char* name, std::size_t index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

template <class Widget>
Widget* place(Widget* widget, const QString& name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QListWidget* newList(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* list = place(new QListWidget(parent), name, geometry);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}

// The caption of a folder box. Japanese UI fonts on Linux are wider than the twips figures allow
// for, so a caption reaches from its own left edge to its box and sits level with it, right
// aligned, instead of being cut off.
QLabel* newCaption(QWidget* parent, const QString& name, const QString& text, const QRect& twips,
                   const QLineEdit& box) {
    constexpr int kGap = 4;
    const QRect geometry(twips.left(), box.y(), box.x() - kGap - twips.left(), box.height());
    auto* caption = place(new QLabel(text, parent), name, geometry);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return caption;
}

}  // namespace

void Form1::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(6315), twipsToPixels(5970));
    setCentralWidget(client);
    // 9 points at 96 dots per inch, the size the twips figures were laid out for. Japanese text
    // prefers a proportional Gothic where one is installed: the fixed-pitch ones are too wide
    // for the captions' places.
    QFont uiFont = font();
    uiFont.setPixelSize(12);
    uiFont.setFamilies({uiFont.family(), QStringLiteral("IPAPGothic")});
    setFont(uiFont);

    FilP_[0] = place(new QLineEdit(client), indexedName("FilP", 0), twipsRect(1080, 60, 4845, 300));
    Drive_[0] =
        place(new DrivePicker(client), indexedName("Drive", 0), twipsRect(1080, 60, 5115, 300));
    FilP_[1] =
        place(new QLineEdit(client), indexedName("FilP", 1), twipsRect(1080, 420, 4850, 300));
    Drive_[1] =
        place(new DrivePicker(client), indexedName("Drive", 1), twipsRect(1080, 420, 5115, 300));
    Label1_[0] = newCaption(client, indexedName("Label1", 0), QStringLiteral("元フォルダ"),
                            twipsRect(180, 120, 825, 180), *FilP_[0]);
    Label1_[1] = newCaption(client, indexedName("Label1", 1), QStringLiteral("バックアップ"),
                            twipsRect(60, 480, 930, 180), *FilP_[1]);
    for (DrivePicker* drive : Drive_) {
        drive->hide();
    }
    for (QLineEdit* folder : FilP_) {
        folder->setAcceptDrops(true);
        // The right button belongs to the drive picker.
        folder->setContextMenuPolicy(Qt::PreventContextMenu);
    }

    Command1_ = place(new QPushButton(QStringLiteral("バックアップ"), client),
                      QStringLiteral("Command1"), twipsRect(60, 780, 1335, 375));
    Command2_ = place(new QPushButton(QStringLiteral("一括処理"), client),
                      QStringLiteral("Command2"), twipsRect(4860, 780, 1335, 375));

    Frame_[0] = place(new QGroupBox(QStringLiteral("パスリスト"), client), indexedName("Frame", 0),
                      twipsRect(60, 1260, 6195, 4635));
    Frame_[1] = place(new QGroupBox(QStringLiteral("環境設定"), client), indexedName("Frame", 1),
                      twipsRect(60, 1260, 6195, 4635));
    Frame_[1]->hide();

    FilPL_[0] = newList(Frame_[0], indexedName("FilPL", 0), twipsRect(120, 300, 5955, 2040));
    FilPL_[1] = newList(Frame_[0], indexedName("FilPL", 1), twipsRect(120, 2460, 5955, 2040));

    struct CheckText {
        const char* text;
        bool initiallyOn;
    };
    static constexpr std::array<CheckText, 5> kChecks{{
        {"常に手前に表示", true},
        {"バックアップファイルは処理しない", true},
        {"サイズが大きい時のみ処理する", false},
        {"時間が新しい時のみ処理する", true},
        {"選択しているリストを自動処理する", false},
    }};
    for (std::size_t i = 0; i < kChecks.size(); ++i) {
        const int top = 300 + static_cast<int>(i) * 360;
        Check_[i] = place(new QCheckBox(QString::fromUtf8(kChecks[i].text), Frame_[1]),
                          indexedName("Check", i), twipsRect(180, top, 3315, 255));
        Check_[i]->setTristate(false);
        Check_[i]->setChecked(kChecks[i].initiallyOn);
    }
    File2_ = newList(Frame_[1], QStringLiteral("File2"), twipsRect(180, 2220, 3255, 2250));
    Text1_ =
        place(new QLineEdit(Frame_[1]), QStringLiteral("Text1"), twipsRect(3540, 300, 2535, 270));
    Text1_->setToolTip(QStringLiteral("Enterキーで追加"));
    List1_ = newList(Frame_[1], QStringLiteral("List1"), twipsRect(3540, 660, 2535, 3840));
    List1_->setToolTip(QStringLiteral("ダブルクリックで削除"));

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
}

void Form1::createMenus() {
    const auto newMenu = [this](std::size_t index, const char* title) {
        auto* menu = new QMenu(QString::fromUtf8(title), this);
        menu->setObjectName(indexedName("mn0", index));
        mn0Menus_[index] = menu;
        return menu;
    };
    const auto newItem = [](QMenu* menu, const char* arrayName, std::size_t index,
                            const char* caption) {
        QAction* item = menu->addAction(QString::fromUtf8(caption));
        item->setObjectName(indexedName(arrayName, index));
        return item;
    };

    // Pop-up menus: they never show on the menu bar.
    QMenu* pathMenu = newMenu(0, "パス追加");
    mn1_[0] = newItem(pathMenu, "mn1", 0, "パス追加");
    mn1_[1] = newItem(pathMenu, "mn1", 1, "パス削除");

    QMenu* option = newMenu(1, "Option");
    menuBar()->addMenu(option);
    mn2_[0] = newItem(option, "mn2", 0, "Sorvikを作成");
    mn2_[0]->setCheckable(true);
    mn2_[1] = newItem(option, "mn2", 1, "-");
    mn2_[1]->setSeparator(true);
    mn2_[1]->setVisible(false);

    mn0Settings_ = menuBar()->addAction(QStringLiteral("環境設定"));
    mn0Settings_->setObjectName(indexedName("mn0", 2));

    QMenu* listMenu = newMenu(3, "リストデータ");
    mn3_[0] = newItem(listMenu, "mn3", 0, "新規作成");
    mn3_[1] = newItem(listMenu, "mn3", 1, "リストデータの削除");

    QMenu* exchangeMenu = newMenu(4, "ファイルリスト交換用");
    for (std::size_t i = 0; i < mn4_.size(); ++i) {
        mn4_[i] = newItem(exchangeMenu, "mn4", i, "0");
        mn4_[i]->setData(QStringLiteral("0"));
    }
}

}  // namespace sorvik::app
