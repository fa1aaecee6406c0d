#include "app/settings_panel.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>

#include "app/dialogs.h"
#include "app/qt_text.h"
#include "app/window_texts.h"
#include "lists/list_folder.h"
#include "platform/path_lookup.h"

namespace sorvik::app {

namespace {

struct OptionBox {
    std::string_view caption;
    const char* name;
};

// In the order of lists::kOptionsInFileOrder, top to bottom.
constexpr std::array<OptionBox, 5> kOptionBoxes{{
    {text::kAlwaysOnTop, "alwaysOnTopBox"},
    {text::kSkipExcludedExtensions, "skipExcludedExtensionsBox"},
    {text::kOnlyWhenLarger, "onlyWhenLargerBox"},
    {text::kOnlyWhenNewer, "onlyWhenNewerBox"},
    {text::kAutomaticRun, "automaticRunBox"},
}};

QListWidget* newList(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}

}  // namespace

SettingsPanel::SettingsPanel(const frontend::ProgramFiles& files, QWidget* parent)
    : QGroupBox(qText(text::kSettingsPanel), parent),
      files_(files),
      placeholderItem_(qText(text::kPlaceholderItem), this),
      listDataMenu_(qText(text::kListDataMenu), this) {
    setObjectName(QStringLiteral("settingsPanel"));
    for (std::size_t i = 0; i < checks_.size(); ++i) {
        const lists::Option option = lists::kOptionsInFileOrder[i];
        auto* check = new QCheckBox(qText(kOptionBoxes[i].caption), this);
        check->setObjectName(QLatin1String(kOptionBoxes[i].name));
        check->setGeometry(12, 20 + static_cast<int>(i) * 24, 221, 17);
        check->setChecked(options_[option]);
        connect(check, &QCheckBox::toggled, this, [this, option](bool on) {
            options_[option] = on;
            emit optionChanged(option, on);
        });
        checks_[i] = check;
    }
    placeholderItem_.setObjectName(QStringLiteral("placeholderItem"));
    placeholderItem_.setCheckable(true);
    connect(&placeholderItem_, &QAction::toggled, this,
            [this](bool on) { options_.placeholder = on; });

    listFiles_ = newList(this, QStringLiteral("listFiles"), {12, 148, 217, 150});
    connect(listFiles_, &QListWidget::itemClicked, this, [this] {
        if (const std::string path = selectedListFile(); !path.empty()) {
            emit listFileChosen(path);
        }
    });
    listFiles_->viewport()->installEventFilter(this);
    listDataMenu_.setObjectName(QStringLiteral("listDataMenu"));
    QAction* create = listDataMenu_.addAction(qText(text::kNewListItem));
    create->setObjectName(QStringLiteral("newListItem"));
    connect(create, &QAction::triggered, this, &SettingsPanel::newListRequested);
    QAction* remove = listDataMenu_.addAction(qText(text::kDeleteListItem));
    remove->setObjectName(QStringLiteral("deleteListItem"));
    connect(remove, &QAction::triggered, this, &SettingsPanel::deleteSelectedListFile);

    extensionInput_ = new QLineEdit(this);
    extensionInput_->setObjectName(QStringLiteral("extensionInput"));
    extensionInput_->setGeometry(236, 20, 169, 18);
    extensionInput_->setToolTip(qText(text::kExtensionInputTip));
    connect(extensionInput_, &QLineEdit::returnPressed, this, &SettingsPanel::addExtension);
    extensionList_ = newList(this, QStringLiteral("excludedExtensions"), {236, 44, 169, 256});
    extensionList_->setToolTip(qText(text::kExcludedExtensionsTip));
    // A double-click below the last entry lands on the viewport, not on an entry.
    extensionList_->viewport()->installEventFilter(this);
}

void SettingsPanel::showOptions(const lists::Settings& options) {
    for (const lists::Option option : lists::kOptionsInFileOrder) {
        showOption(option, options[option]);
    }
    const QSignalBlocker quiet(&placeholderItem_);
    placeholderItem_.setChecked(options.placeholder);
    options_.placeholder = options.placeholder;
}

void SettingsPanel::showOption(lists::Option option, bool on) {
    QCheckBox& check = *checks_[static_cast<std::size_t>(option)];
    const QSignalBlocker quiet(&check);
    check.setChecked(on);
    options_[option] = on;
}

void SettingsPanel::showExcludedExtensions(std::vector<std::string> entries) {
    excludedExtensions_ = std::move(entries);
    extensionList_->clear();
    for (const std::string& entry : excludedExtensions_) {
        extensionList_->addItem(qText(entry));
    }
}

void SettingsPanel::addExtension() {
    // Kept exactly as typed: an entry with a dot or a blank never matches, and that is for the
    // user to see in the list, not for the editor to guess at.
    excludedExtensions_.push_back(stdText(extensionInput_->text()));
    extensionList_->addItem(extensionInput_->text());
    extensionInput_->clear();
}

void SettingsPanel::removeSelectedExtension() {
    const QList<QListWidgetItem*> selected = extensionList_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int row = extensionList_->row(selected.first());
    excludedExtensions_.erase(excludedExtensions_.begin() + row);
    delete extensionList_->takeItem(row);
    // No neighbour inherits the selection, so a second double-click removes nothing more.
    extensionList_->clearSelection();
}

void SettingsPanel::refreshListFiles() {
    listFiles_->clear();
    listFileNames_.clear();
    if (auto names = lists::listFileNames(files_.folder)) {
        listFileNames_ = std::move(*names);
    }
    for (const std::string& name : listFileNames_) {
        listFiles_->addItem(qText(name));
    }
}

std::string SettingsPanel::selectedListFile() const {
    const QList<QListWidgetItem*> selected = listFiles_->selectedItems();
    if (selected.isEmpty()) {
        return {};
    }
    return files_.inFolder(
        listFileNames_[static_cast<std::size_t>(listFiles_->row(selected.first()))]);
}

void SettingsPanel::deleteSelectedListFile() {
    const std::string path = selectedListFile();
    if (!path.empty()) {
        const std::error_code error = platform::removeFile(path);
        if (error && error != std::errc::no_such_file_or_directory) {
            // Nothing was deleted, so the current list stays current.
            tell(this, messageWithPath(text::kFileNotDeleted, path, error));
        } else {
            emit listFileDeleted(path);
        }
    }
    refreshListFiles();
}

bool SettingsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == extensionList_->viewport() && filterExtensionMouse(*event)) {
        return true;
    }
    if (watched == listFiles_->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                              event->type() == QEvent::MouseButtonDblClick)) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            // Offers the list data menu and keeps the selection it acts on.
            listDataMenu_.popup(press->globalPosition().toPoint());
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

bool SettingsPanel::filterExtensionMouse(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonDblClick:
            removeSelectedExtension();
            // The double-click's own release would select the entry that moved up under the cursor.
            swallowRelease_ = true;
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            if (event.type() == QEvent::MouseButtonRelease &&
                std::exchange(swallowRelease_, false)) {
                return true;
            }
            // A click on the empty space below the entries keeps the selection, so a double-click
            // there still removes the selected entry.
            const auto& mouse = static_cast<const QMouseEvent&>(event);
            return extensionList_->itemAt(mouse.position().toPoint()) == nullptr;
        }
        default:
            return false;
    }
}

}  // namespace sorvik::app
