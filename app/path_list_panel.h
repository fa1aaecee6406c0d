#pragma once

#include <QGroupBox>
#include <QItemSelectionModel>
#include <QMenu>
#include <array>
#include <optional>
#include <string>

#include "app/path_pair_model.h"
#include "frontend/program_files.h"

class QListView;

namespace sorvik::app {

// The path-list panel: the current backup list (its file and its pairs), the two columns that show
// it, the selection of a pair, and every edit of the list: adding and deleting pairs, moving a
// column to another drive, switching to and creating list files.
//
// Every edit changes the pairs and then writes them to the list file at once; nothing here reads a
// path back from a widget.
class PathListPanel : public QGroupBox {
    Q_OBJECT

  public:
    static constexpr int kListMenuItems = 10;

    PathListPanel(const frontend::ProgramFiles& files, QWidget* parent);

    // The current list file; empty when no list is current (its file was deleted).
    const std::string& listPath() const { return listPath_; }
    const std::vector<lists::PathPair>& pairs() const { return model_.pairs(); }
    // The selected pair's row, if a pair is selected.
    std::optional<std::size_t> selectedRow() const;

    // Makes `path` the current list: its pairs when its file can be there, else a new empty file.
    void open(const std::string& path);
    // Saves the current list, then makes `path` the current list with no pair selected. A save that
    // fails keeps the current list, so its unsaved pairs stay on screen.
    void switchTo(const std::string& path);
    // Asks for the name of a new list and switches to it, once the current list is saved. A name
    // of an existing list switches to that list and writes it back as it is.
    void createList();
    // No list is current any more: no later save may bring a deleted list file back.
    void forgetList() { listPath_.clear(); }
    // Writes the pairs to the current list file, if there is one; a failure is reported.
    [[nodiscard]] bool save();

    // Selects pair `row` and shows it in the folder boxes, also when it was selected already.
    void selectPair(std::size_t row);
    // Appends `pair` to the list file and shows the list as the file now holds it.
    void addPair(const lists::PathPair& pair);
    void deleteSelectedPair();
    // Entries of `column` whose first character is `from` (in either case) start with `to` instead,
    // once the user agrees.
    void swapDriveLetter(Column column, const QString& from, const QString& to);
    // Every entry of `column` moves to `drive`, once the user agrees.
    void moveToDrive(Column column, const std::string& drive);

  signals:
    // A pair was selected, by the user or by the program.
    void pairSelected(const lists::PathPair& pair);
    // The user chose to add the pair the folder boxes hold.
    void addPairRequested();
    // A list file may have been created.
    void listFilesChanged();

  protected:
    // The right button on the bare panel offers the list files to switch to.
    void mousePressEvent(QMouseEvent* event) override;
    // The right button on a column offers adding and deleting pairs and keeps the selection.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void load();
    void offerListFiles(const QPoint& globalPosition);
    void showSelectedPair();
    // Saves pairs the user has just edited, or says that no list is current to keep them.
    void saveEdited();

    const frontend::ProgramFiles& files_;
    std::string listPath_;
    PathPairModel model_;
    QItemSelectionModel selection_;
    std::array<QListView*, 2> columns_{};
    QMenu pairMenu_;
    QMenu listMenu_;
    std::array<QAction*, kListMenuItems> listItems_{};
};

}  // namespace sorvik::app
