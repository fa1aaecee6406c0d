#pragma once

#include <QListWidget>

namespace sorvik::app {

// The selected row of a single-selection list, or -1.
inline int selectedRow(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

// The text of a row; empty past the end.
inline QString textAt(const QListWidget& list, int row) {
    const QListWidgetItem* item = list.item(row);
    return item ? item->text() : QString();
}

}  // namespace sorvik::app
