#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "app/path_pair_model.h"
#include "lists/path_pair.h"

class QLabel;
class QLineEdit;
class QMimeData;

namespace sorvik::app {

class DrivePicker;

// The two folder boxes above the path list: they show and edit the pair the backup button runs,
// take folders dropped on them, and stand aside for a drive picker on a right click.
//
// The pair to run is kept as bytes. A pair selected in the list or a dropped folder keeps its bytes
// exactly, whatever the box shows for them; as soon as the user edits a box by hand, its text, as
// UTF-8, is that folder. So an entry whose name is not UTF-8 runs as it is in the list, and a
// typed path runs as it was typed.
class FolderBoxes : public QWidget {
    Q_OBJECT

  public:
    explicit FolderBoxes(QWidget* parent);
    ~FolderBoxes() override;

    // The pair a single run backs up.
    const lists::PathPair& pair() const { return pair_; }
    void showPair(const lists::PathPair& pair);
    // Files or folders dropped on a box: the first one's path, as a folder path.
    void drop(Column column, const QMimeData& dropped);

  signals:
    // Exactly two characters and Enter in a box: move the entries of its column from the drive
    // letter `from` to `to`.
    void driveLettersTyped(sorvik::app::Column column, const QString& from, const QString& to);
    // A drive chosen in the picker of a box: move every entry of its column to `drive`.
    void driveChosen(sorvik::app::Column column, const std::string& drive);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool filterBox(Column column, QEvent& event);
    void typedIn(Column column, const QString& text);
    void enterPressed(Column column);
    void showDrivePicker(Column column);
    void restoreBox(Column column);

    lists::PathPair pair_;
    std::array<QLineEdit*, 2> boxes_{};
    std::array<DrivePicker*, 2> pickers_{};
};

}  // namespace sorvik::app
