#pragma once

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <array>
#include <string>
#include <vector>

#include "frontend/program_files.h"
#include "lists/settings_file.h"

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace sorvik::app {

// The settings panel: the options (its check boxes, and the placeholder mode that the "Option"
// menu shows), the list files of the program folder, and the excluded extensions with their
// editor. The options and the extensions are plain values here; the widgets only show and edit
// them.
class SettingsPanel : public QGroupBox {
    Q_OBJECT

  public:
    SettingsPanel(const frontend::ProgramFiles& files, QWidget* parent);

    // The options; their list path is not kept here.
    const lists::Settings& options() const { return options_; }
    // Shows `options` without acting on them, as start-up restores them.
    void showOptions(const lists::Settings& options);
    void showOption(lists::Option option, bool on);

    const std::vector<std::string>& excludedExtensions() const { return excludedExtensions_; }
    void showExcludedExtensions(std::vector<std::string> entries);

    // The checkable menu item of the placeholder mode.
    QAction& placeholderItem() { return placeholderItem_; }

    // Lists the program folder's list files afresh.
    void refreshListFiles();

  signals:
    // The user switched an option on or off.
    void optionChanged(lists::Option option, bool on);
    // The user clicked a list file: it is to become the current list.
    void listFileChosen(const std::string& path);
    void newListRequested();
    // The list file named by `path` no longer exists.
    void listFileDeleted(const std::string& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void addExtension();
    void removeSelectedExtension();
    void deleteSelectedListFile();
    // The path of the list file selected in the list of list files, or empty.
    std::string selectedListFile() const;
    // True when a mouse event on the excluded extensions is handled here.
    bool filterExtensionMouse(const QEvent& event);

    const frontend::ProgramFiles& files_;
    lists::Settings options_;
    std::vector<std::string> excludedExtensions_;
    std::array<QCheckBox*, lists::kOptionsInFileOrder.size()> checks_{};
    QAction placeholderItem_;
    QListWidget* listFiles_ = nullptr;
    std::vector<std::string> listFileNames_;
    QMenu listDataMenu_;
    QLineEdit* extensionInput_ = nullptr;
    QListWidget* extensionList_ = nullptr;
    bool swallowRelease_ = false;
};

}  // namespace sorvik::app
