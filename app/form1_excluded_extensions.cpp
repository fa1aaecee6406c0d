// The editor of the excluded extensions: Enter in Text1 adds, a double-click on List1 removes.
#include <QLineEdit>
#include <QListWidget>

#include "app/form1.h"

namespace sorvik::app {

void Form1::Text1_KeyDown(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return;
    }
    // Kept exactly as typed: an entry with a dot or a blank never matches, and that is for the
    // user to see in the list, not for the editor to guess at.
    List1_->addItem(Text1_->text());
    Text1_->clear();
}

void Form1::List1_DblClick() {
    const QList<QListWidgetItem*> selected = List1_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    delete List1_->takeItem(List1_->row(selected.first()));
    // No neighbour inherits the selection, so a second double-click removes nothing more.
    List1_->clearSelection();
}

}  // namespace sorvik::app
