#include "app/path_list_panel.h"

#include <QListView>
#include <QMouseEvent>

#include "app/dialogs.h"
#include "app/qt_text.h"
#include "app/window_texts.h"
#include "engine/messages.h"
#include "lists/list_append.h"
#include "lists/list_file.h"
#include "lists/list_folder.h"
#include "lists/list_name.h"
#include "platform/drive_path.h"
#include "platform/path_lookup.h"

namespace sorvik::app {

namespace {

// The byte length of an entry's first character: a whole UTF-8 sequence, or one byte where the
// bytes are no UTF-8.
std::size_t firstCharacterSize(const std::string& entry) {
    if (entry.empty()) {
        return 0;
    }
    const auto lead = static_cast<unsigned char>(entry[0]);
    const std::size_t size = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 1;
    if (size > entry.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < size; ++i) {
        if ((static_cast<unsigned char>(entry[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return size;
}

// A menu caption shows "&" as a mnemonic mark unless it is doubled.
QString menuCaption(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString failureText(const lists::ListEditFailure& failure) {
    using Step = lists::ListEditFailure::Step;
    switch (failure.step) {
        case Step::readList:
            return messageWithPath(engine::text::kFileUnreadable, failure.path, failure.error);
        case Step::writeWorkCopy:
        case Step::writeList:
            return messageWithPath(text::kFileUnwritable, failure.path, failure.error);
        case Step::removeWorkCopy:
            return messageWithPath(text::kFileNotDeleted, failure.path, failure.error);
    }
    return {};
}

}  // namespace

PathListPanel::PathListPanel(const frontend::ProgramFiles& files, QWidget* parent)
    : QGroupBox(qText(text::kPathListPanel), parent),
      files_(files),
      selection_(&model_),
      pairMenu_(qText(text::kPairMenu), this),
      listMenu_(qText(text::kListExchangeMenu), this) {
    setObjectName(QStringLiteral("pathListPanel"));
    const std::array<QString, 2> names{QStringLiteral("sourceColumn"),
                                       QStringLiteral("backupColumn")};
    const std::array<int, 2> tops{20, 164};
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        auto* view = new QListView(this);
        view->setObjectName(names[i]);
        view->setGeometry(8, tops[i], 397, 136);
        view->setModel(&model_);
        view->setModelColumn(static_cast<int>(i));
        // One selection for both columns: a row selected in one is selected in the other.
        view->setSelectionModel(&selection_);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        view->viewport()->installEventFilter(this);
        // A click on the row that is selected already changes no selection but still brings the
        // pair back into the folder boxes.
        connect(view, &QListView::clicked, this, &PathListPanel::showSelectedPair);
        columns_[i] = view;
    }
    connect(&selection_, &QItemSelectionModel::selectionChanged, this,
            &PathListPanel::showSelectedPair);

    pairMenu_.setObjectName(QStringLiteral("pairMenu"));
    QAction* add = pairMenu_.addAction(qText(text::kAddPairItem));
    add->setObjectName(QStringLiteral("addPairItem"));
    connect(add, &QAction::triggered, this, &PathListPanel::addPairRequested);
    QAction* remove = pairMenu_.addAction(qText(text::kDeletePairItem));
    remove->setObjectName(QStringLiteral("deletePairItem"));
    connect(remove, &QAction::triggered, this, &PathListPanel::deleteSelectedPair);

    listMenu_.setObjectName(QStringLiteral("listExchangeMenu"));
    for (QAction*& item : listItems_) {
        item = listMenu_.addAction(qText(text::kUnsetListItem));
        item->setData(QByteArray(text::kUnsetListItem.data()));
        // The file name the item shows, used as it is: a name left from an earlier state of the
        // folder names a list that is empty until it is saved.
        connect(item, &QAction::triggered, this, [this, item] {
            switchTo(files_.inFolder(item->data().toByteArray().toStdString()));
        });
    }
}

std::optional<std::size_t> PathListPanel::selectedRow() const {
    const QModelIndexList selected = selection_.selectedIndexes();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(selected.first().row());
}

void PathListPanel::showSelectedPair() {
    if (const auto row = selectedRow()) {
        emit pairSelected(model_.pairs()[*row]);
    }
}

void PathListPanel::selectPair(std::size_t row) {
    if (row >= model_.pairs().size()) {
        return;
    }
    selection_.setCurrentIndex(model_.index(static_cast<int>(row), 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Selecting the row that is selected already changes nothing and tells nothing.
    emit pairSelected(model_.pairs()[row]);
}

void PathListPanel::open(const std::string& path) {
    listPath_ = path;
    // Only a list that is surely missing is created: one that cannot even be looked up may exist,
    // and loading it reports it and leaves it alone.
    const auto kind = platform::lookUp(path);
    if (!kind || *kind != platform::EntryKind::missing) {
        load();
        return;
    }
    if (const std::error_code error = lists::writeListFile(path, {})) {
        tell(this, messageWithPath(text::kFileUnwritable, path, error));
    }
}

void PathListPanel::load() {
    auto pairs = lists::readListFile(listPath_);
    if (!pairs) {
        model_.setPairs({});
        // The file stays as it was: with no list current, nothing can save over it.
        const std::string unreadable = std::exchange(listPath_, std::string());
        tell(this, messageWithPath(engine::text::kFileUnreadable, unreadable, pairs.error()));
        return;
    }
    model_.setPairs(std::move(*pairs));
}

bool PathListPanel::save() {
    if (listPath_.empty()) {
        return true;
    }
    const std::error_code error = lists::writeListFile(listPath_, model_.pairs());
    if (error) {
        tell(this, messageWithPath(text::kFileUnwritable, listPath_, error));
    }
    return !error;
}

void PathListPanel::saveEdited() {
    if (listPath_.empty()) {
        tell(this, qText(text::kNoListSelected));
        return;
    }
    static_cast<void>(save());
}

void PathListPanel::switchTo(const std::string& path) {
    if (!save()) {
        return;
    }
    listPath_ = path;
    load();
}

void PathListPanel::createList() {
    if (save()) {
        const std::string name =
            askName(this, QStringLiteral("newListNameBox"), text::kNewListNamePrompt);
        if (!name.empty() && !lists::isProperListName(name)) {
            tell(this, qText(text::kBadListName));
        } else if (!name.empty()) {
            listPath_ = files_.inFolder(lists::listFileName(name));
            load();
            static_cast<void>(save());
        }
    }
    emit listFilesChanged();
}

void PathListPanel::addPair(const lists::PathPair& pair) {
    if (listPath_.empty()) {
        // No file to take the list from: the columns take the pair, and the user learns that it
        // is not kept.
        selection_.clear();
        model_.append(pair);
        tell(this, qText(text::kNoListSelected));
        return;
    }
    if (const auto failure = lists::appendPairToList(listPath_, pair)) {
        tell(this, failureText(*failure));
        if (failure->step != lists::ListEditFailure::Step::removeWorkCopy) {
            return;  // the list file is as it was, and so are the columns
        }
    }
    load();
}

void PathListPanel::deleteSelectedPair() {
    const auto row = selectedRow();
    if (!row) {
        return;
    }
    // The selection goes with the row, and no neighbour inherits it: the folder boxes keep the
    // deleted pair.
    model_.remove(*row);
    saveEdited();
}

void PathListPanel::swapDriveLetter(Column column, const QString& from, const QString& to) {
    const QString question =
        from + qText(text::kLetterSwapMiddle) + to + qText(text::kLetterSwapEnd);
    if (!askYesNo(this, question)) {
        return;
    }
    const QString fromFolded = from.toLower();
    const std::string toBytes = stdText(to);
    model_.rewriteColumn(column, [&](const std::string& entry) {
        const std::size_t first = firstCharacterSize(entry);
        if (first == 0 || qText(std::string_view(entry).substr(0, first)).toLower() != fromFolded) {
            return entry;
        }
        return toBytes + entry.substr(first);
    });
    saveEdited();
}

void PathListPanel::moveToDrive(Column column, const std::string& drive) {
    if (!askYesNo(this, qText(text::kChangeAllPaths))) {
        return;
    }
    model_.rewriteColumn(
        column, [&](const std::string& entry) { return platform::pathOnDrive(entry, drive); });
    saveEdited();
}

void PathListPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        offerListFiles(event->globalPosition().toPoint());
    }
    QGroupBox::mousePressEvent(event);
}

void PathListPanel::offerListFiles(const QPoint& globalPosition) {
    std::vector<std::string> names;
    if (auto found = lists::listFileNames(files_.folder)) {
        names = std::move(*found);
    }
    // The first item always stays: with no list file it keeps its last caption.
    for (std::size_t i = 1; i < listItems_.size(); ++i) {
        listItems_[i]->setVisible(false);
    }
    for (std::size_t i = 0; i < std::min(names.size(), listItems_.size()); ++i) {
        listItems_[i]->setText(menuCaption(qText(names[i])));
        listItems_[i]->setData(QByteArray::fromStdString(names[i]));
        listItems_[i]->setVisible(true);
    }
    listMenu_.popup(globalPosition);
}

bool PathListPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            pairMenu_.popup(press->globalPosition().toPoint());
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

}  // namespace sorvik::app
