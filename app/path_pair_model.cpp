#include "app/path_pair_model.h"

#include "app/qt_text.h"

namespace sorvik::app {

std::string& entryIn(lists::PathPair& pair, Column column) {
    return column == Column::source ? pair.source : pair.backup;
}

const std::string& entryIn(const lists::PathPair& pair, Column column) {
    return column == Column::source ? pair.source : pair.backup;
}

int PathPairModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(pairs_.size());
}

int PathPairModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant PathPairModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole ||
        static_cast<std::size_t>(index.row()) >= pairs_.size()) {
        return {};
    }
    return qText(entryIn(pairs_[static_cast<std::size_t>(index.row())],
                         static_cast<Column>(index.column())));
}

void PathPairModel::setPairs(std::vector<lists::PathPair> pairs) {
    beginResetModel();
    pairs_ = std::move(pairs);
    endResetModel();
}

void PathPairModel::append(const lists::PathPair& pair) {
    const int row = static_cast<int>(pairs_.size());
    beginInsertRows({}, row, row);
    pairs_.push_back(pair);
    endInsertRows();
}

void PathPairModel::remove(std::size_t row) {
    if (row >= pairs_.size()) {
        return;
    }
    beginRemoveRows({}, static_cast<int>(row), static_cast<int>(row));
    pairs_.erase(pairs_.begin() + static_cast<std::ptrdiff_t>(row));
    endRemoveRows();
}

void PathPairModel::rewriteColumn(Column column,
                                  const std::function<std::string(const std::string&)>& rewrite) {
    for (lists::PathPair& pair : pairs_) {
        std::string& entry = entryIn(pair, column);
        entry = rewrite(entry);
    }
    if (!pairs_.empty()) {
        const int col = static_cast<int>(column);
        emit dataChanged(index(0, col), index(static_cast<int>(pairs_.size()) - 1, col));
    }
}

}  // namespace sorvik::app
