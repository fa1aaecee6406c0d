#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "lists/path_pair.h"

namespace sorvik::app {

// The two columns of a backup list: the source folders and their backup folders.
enum class Column { source = 0, backup = 1 };

// The entry of `pair` in `column`.
std::string& entryIn(lists::PathPair& pair, Column column);
const std::string& entryIn(const lists::PathPair& pair, Column column);

// The pairs of the current backup list, byte for byte as the list file holds them; row n is pair n,
// column 0 its source and column 1 its backup folder. Views show an entry decoded as UTF-8 for
// display only: every change is made to the pairs themselves, so an entry whose bytes are not
// UTF-8 survives every edit of the others and is saved and run as it was read.
class PathPairModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const std::vector<lists::PathPair>& pairs() const { return pairs_; }
    void setPairs(std::vector<lists::PathPair> pairs);
    void append(const lists::PathPair& pair);
    void remove(std::size_t row);
    // Replaces every entry of `column` with what `rewrite` makes of it.
    void rewriteColumn(Column column,
                       const std::function<std::string(const std::string&)>& rewrite);

  private:
    std::vector<lists::PathPair> pairs_;
};

}  // namespace sorvik::app
