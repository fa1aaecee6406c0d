#pragma once

#include <QMainWindow>
#include <string>

#include "frontend/program_files.h"

class QPushButton;

namespace sorvik::app {

class AutomaticRun;
class FolderBoxes;
class PathListPanel;
class RunController;
class SettingsPanel;

// The program's one window: it lays out the folder boxes, the two run buttons and the two panels
// with the menus that switch them, keeps its fixed size (or the countdown strip), restores the
// settings at start and saves them at close.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // `programFolder` holds the lists, the settings and the error log; without one (empty) the
    // window still runs pairs but keeps nothing.
    explicit MainWindow(const std::string& programFolder, QWidget* parent = nullptr);

    // Start-up: the automatic-run marker, the settings (or the first run's question for a list
    // name), the current list, the excluded extensions, and the first pair selected.
    void start();

    const frontend::ProgramFiles& files() const { return files_; }
    FolderBoxes& folderBoxes() { return *boxes_; }
    PathListPanel& pathList() { return *pathList_; }
    SettingsPanel& settingsPanel() { return *settings_; }
    RunController& runController() { return *run_; }
    AutomaticRun& automaticRun() { return *automatic_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    // Waits for a run's end, cancels a pending automatic run, or saves the settings and closes.
    void closeEvent(QCloseEvent* event) override;

  private:
    void createMenus();
    void connectPanels();
    // The list to open: from the settings file, or asked for on a first run.
    std::string restoreSettings();
    std::string askForListName();
    void restoreExcludedExtensions();
    void saveSettings();
    void applyAlwaysOnTop();
    void switchPanels();
    // The normal size while no automatic run is pending, the countdown strip while one is.
    void keepShape();

    frontend::ProgramFiles files_;
    FolderBoxes* boxes_ = nullptr;
    QPushButton* backUpButton_ = nullptr;
    QPushButton* backUpListButton_ = nullptr;
    PathListPanel* pathList_ = nullptr;
    SettingsPanel* settings_ = nullptr;
    RunController* run_ = nullptr;
    AutomaticRun* automatic_ = nullptr;
};

}  // namespace sorvik::app
