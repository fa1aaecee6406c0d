// Editing the pairs of the current list: adding the folder boxes' pair, deleting the selected
// pair, and filling a folder box from a drop.
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/form1.h"
#include "app/list_rows.h"
#include "app/qt_text.h"
#include "engine/messages.h"
#include "engine/path_rules.h"
#include "lists/list_append.h"

namespace sorvik::app {

namespace {

// The message for a failed add; the path it names is the file that failed.
QString failureText(const lists::ListEditFailure& failure) {
    using Step = lists::ListEditFailure::Step;
    switch (failure.step) {
        case Step::readList:
            return messageWithPath(engine::text::kFileUnreadable, failure.path, failure.error);
        case Step::writeWorkCopy:
        case Step::writeList:
            return messageWithPath(engine::text::kFileUnwritable, failure.path, failure.error);
        case Step::removeWorkCopy:
            return messageWithPath(engine::text::kFileNotDeleted, failure.path, failure.error);
    }
    return {};
}

}  // namespace

void Form1::FilPL_MouseDown(int /*index*/, Qt::MouseButton button, const QPoint& globalPosition) {
    if (button == Qt::RightButton) {
        mn0Menus_[0]->popup(globalPosition);
    }
}

void Form1::mn1_Click(int index) {
    if (index == 0) {
        addPair();
    } else if (index == 1) {
        deleteSelectedPair();
    }
}

void Form1::addPair() {
    const lists::PathPair pair{stdText(FilP_[0]->text()), stdText(FilP_[1]->text())};
    if (ListPath.empty()) {
        // No file to take the list from: the columns take the pair, and the user learns that it
        // is not kept.
        FilPL_[0]->addItem(qText(pair.source));
        FilPL_[1]->addItem(qText(pair.backup));
        FilPL_[0]->clearSelection();
        FilPL_[1]->clearSelection();
        showText(qText(engine::text::kNoListSelected));
        return;
    }
    const auto failure = lists::appendPairToList(ListPath, pair);
    if (failure) {
        showText(failureText(*failure));
        if (failure->step != lists::ListEditFailure::Step::removeWorkCopy) {
            return;  // the list file is as it was, and so are the columns
        }
    }
    FP1_Load();
}

void Form1::deleteSelectedPair() {
    const int row = selectedRow(*FilPL_[0]);
    if (row < 0) {
        return;
    }
    // Removing rows moves the selection; the folder boxes keep the deleted pair's texts.
    Loading = true;
    delete FilPL_[0]->takeItem(row);
    delete FilPL_[1]->takeItem(row);
    FilPL_[0]->clearSelection();
    FilPL_[1]->clearSelection();
    Loading = false;
    saveEditedColumns();
}

void Form1::saveEditedColumns() {
    if (ListPath.empty()) {
        showText(qText(engine::text::kNoListSelected));
        return;
    }
    static_cast<void>(writeColumns());
}

void Form1::FilP_OLEDragDrop(int index, const QMimeData& dropped) {
    const QList<QUrl> urls = dropped.urls();
    // Only a list of files names a folder; anything else leaves the box as it was.
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return;
    }
    FilP_[index]->setText(
        qText(engine::withTrailingSeparator(stdText(urls.first().toLocalFile()))));
}

}  // namespace sorvik::app
