#include "app/folder_boxes.h"

#include <QAbstractItemView>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "app/drive_picker.h"
#include "app/qt_text.h"
#include "app/window_texts.h"
#include "engine/path_rules.h"
#include "platform/mounted_drives.h"

namespace sorvik::app {

namespace {

// The first character of a text, whole even when it lies outside the Basic Multilingual Plane.
QString firstCharacter(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return text.left(text.front().isHighSurrogate() && text.size() > 1 ? 2 : 1);
}

std::size_t at(Column column) {
    return static_cast<std::size_t>(column);
}

constexpr std::array kColumns{Column::source, Column::backup};

}  // namespace

FolderBoxes::FolderBoxes(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("folderBoxes"));
    setGeometry(0, 0, 421, 52);
    const std::array<QString, 2> boxNames{QStringLiteral("sourceFolderBox"),
                                          QStringLiteral("backupFolderBox")};
    const std::array<QString, 2> pickerNames{QStringLiteral("sourceDrivePicker"),
                                             QStringLiteral("backupDrivePicker")};
    const std::array<std::string_view, 2> captions{text::kSourceFolderLabel,
                                                   text::kBackupFolderLabel};
    // Japanese fonts on Linux are wider than the captions' places were drawn for, so a caption
    // reaches from its left edge to its box, level with it and right aligned, rather than cut off.
    const std::array<int, 2> captionLefts{12, 4};
    const std::array<int, 2> tops{4, 28};
    for (const Column column : kColumns) {
        const std::size_t i = at(column);
        auto* box = new QLineEdit(this);
        box->setObjectName(boxNames[i]);
        box->setGeometry(72, tops[i], 323, 20);
        box->setAcceptDrops(true);
        // The right button belongs to the drive picker.
        box->setContextMenuPolicy(Qt::PreventContextMenu);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this,
                [this, column](const QString& text) { typedIn(column, text); });
        boxes_[i] = box;

        auto* caption = new QLabel(qText(captions[i]), this);
        caption->setGeometry(captionLefts[i], tops[i], 72 - 4 - captionLefts[i], 20);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

        auto* picker = new DrivePicker(this);
        picker->setObjectName(pickerNames[i]);
        picker->setGeometry(72, tops[i], 341, 20);
        picker->hide();
        connect(picker, &QComboBox::activated, this, [this, column] {
            restoreBox(column);
            emit driveChosen(column,
                             pickers_[at(column)]->currentData().toByteArray().toStdString());
        });
        connect(picker, &DrivePicker::dismissed, this, [this, column] { restoreBox(column); });
        pickers_[i] = picker;
    }
}

FolderBoxes::~FolderBoxes() {
    // Destroying the window moves the focus, and a picker still up would report being left to a
    // window that is half gone.
    for (DrivePicker* picker : pickers_) {
        picker->disconnect(this);
    }
}

void FolderBoxes::showPair(const lists::PathPair& pair) {
    pair_ = pair;
    for (const Column column : kColumns) {
        boxes_[at(column)]->setText(qText(entryIn(pair_, column)));
    }
}

void FolderBoxes::typedIn(Column column, const QString& text) {
    // A box still showing its folder keeps the folder's bytes; any other text is what runs.
    std::string& folder = entryIn(pair_, column);
    if (text != qText(folder)) {
        folder = stdText(text);
    }
}

void FolderBoxes::drop(Column column, const QMimeData& dropped) {
    const QList<QUrl> urls = dropped.urls();
    // Only a list of files names a folder; anything else leaves the box as it was.
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return;
    }
    std::string& folder = entryIn(pair_, column);
    // Qt gives "/" on every system; the box shows the path as the system writes it.
    folder = engine::withTrailingSeparator(
        stdText(QDir::toNativeSeparators(urls.first().toLocalFile())));
    boxes_[at(column)]->setText(qText(folder));
}

void FolderBoxes::enterPressed(Column column) {
    const QString typed = boxes_[at(column)]->text();
    const QString from = firstCharacter(typed);
    const QString to = typed.mid(from.size());
    if (!from.isEmpty() && !to.isEmpty() && firstCharacter(to) == to) {
        emit driveLettersTyped(column, from, to);
    }
}

bool FolderBoxes::eventFilter(QObject* watched, QEvent* event) {
    for (const Column column : kColumns) {
        if (watched == boxes_[at(column)]) {
            return filterBox(column, *event);
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool FolderBoxes::filterBox(Column column, QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<const QKeyEvent&>(event).key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter) {
                return false;
            }
            // Enter belongs to the drive letters; the box has nothing to do with it.
            enterPressed(column);
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<const QMouseEvent&>(event).button() != Qt::RightButton) {
                return false;
            }
            showDrivePicker(column);
            return true;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // Files and folders only; the box never takes dragged text itself.
            auto& drag = static_cast<QDragMoveEvent&>(event);
            if (drag.mimeData()->hasUrls()) {
                drag.acceptProposedAction();
            } else {
                drag.ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto& dropEvent = static_cast<QDropEvent&>(event);
            drop(column, *dropEvent.mimeData());
            dropEvent.acceptProposedAction();
            return true;
        }
        default:
            return false;
    }
}

void FolderBoxes::showDrivePicker(Column column) {
    DrivePicker& picker = *pickers_[at(column)];
    picker.clear();
    for (const platform::Drive& drive : platform::mountedDrives()) {
        picker.addItem(qText(drive.label), QByteArray::fromStdString(drive.designation));
    }
    QLineEdit& box = *boxes_[at(column)];
    box.setEnabled(false);
    box.hide();
    picker.show();
    picker.setFocus(Qt::MouseFocusReason);
}

void FolderBoxes::restoreBox(Column column) {
    DrivePicker& picker = *pickers_[at(column)];
    if (picker.isHidden()) {
        return;
    }
    // The focus returns to the box only from the picker: a click elsewhere keeps it there.
    const bool pickerHadFocus = picker.hasFocus() || picker.view()->hasFocus();
    picker.hide();
    QLineEdit& box = *boxes_[at(column)];
    box.setEnabled(true);
    box.show();
    if (pickerHadFocus) {
        box.setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace sorvik::app
