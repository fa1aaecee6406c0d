#pragma once

#include <QMainWindow>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>

#include "engine/backup_engine.h"
#include "engine/run_host.h"
#include "platform/folder_lock.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMimeData;
class QPushButton;
class QTimer;

namespace sorvik::app {

class DrivePicker;

// The program's one window. It shows the current backup list and the pair to run, holds the
// options, and is the front end the backup engine reads its folders and options from and reports
// its captions and messages to.
class Form1 : public QMainWindow, public engine::RunHost {
    Q_OBJECT

  public:
    // `AutoWait` when no automatic run is pending.
    static constexpr int kNoAutomaticRun = -9;
    static constexpr int kListMenuItems = 10;

    // `programFolder` holds the lists, the settings and the error log.
    explicit Form1(std::string programFolder, QWidget* parent = nullptr);
    ~Form1() override;

    // Paths in the program folder.
    std::string IniPath;
    std::string ExtIniPath;
    std::string ErrLogPath;
    std::string AutoGoPath;
    // The current list file; empty when no list is current.
    std::string ListPath;

    // Set while start-up or the pair selection changes the controls itself.
    bool Loading = false;
    // The automatic run's countdown, or kNoAutomaticRun.
    int AutoWait = kNoAutomaticRun;

    // Start-up: the program folder's files, the automatic-run marker, the settings (or the first
    // run's question for a list name), the list, the excluded extensions and the first pair.
    void Form_Load();
    // A close request: saves the settings and lets the window close, or, while an automatic run
    // counts down, cancels that run and keeps the window.
    void Form_QueryUnload(bool& cancel);
    // Applies the always-on-top option.
    void FBefor();
    // Leaves the automatic-run marker for the next start.
    [[nodiscard]] std::error_code SaveAutoGo();

    // The countdown's first tick after start-up and the tick after that; tests shorten them.
    void setCountdownIntervals(std::chrono::milliseconds first, std::chrono::milliseconds tick) {
        firstTickInterval_ = first;
        tickInterval_ = tick;
    }

    const std::string& programFolder() const { return programFolder_; }
    engine::BackupEngine& engine() { return engine_; }
    bool runInProgress() const { return runInProgress_; }

    // The list file at ListPath into the two columns; nothing is selected afterwards. A file that
    // cannot be read is reported and leaves no list current.
    void FP1_Load();
    // The two columns into the list file at ListPath; nothing when no list is current. A failure
    // is reported and returned.
    [[nodiscard]] std::error_code FP1_Save();

    // Makes row `row` of the source column the selected pair and fills both folder boxes with it,
    // also when the row was selected already.
    void selectPair(int row);

    // Keeps the window at its fixed size, or in the countdown strip while an automatic run is
    // pending.
    void Form_Resize();
    // A mouse press on the bare area of a panel; the right button on the path list offers the
    // list files to switch to.
    void Frame_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPosition);
    // Lists the program folder's list files in File2.
    void refreshFile2();

    // The right button over a column offers adding and deleting pairs; the selection stays.
    void FilPL_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPosition);
    // The right button over File2 offers a new list and deleting the selected one.
    void File2_MouseDown(Qt::MouseButton button, const QPoint& globalPosition);
    // The right button over a folder box puts its drive picker in its place.
    void FilP_MouseDown(int index, Qt::MouseButton button);
    // Files or folders dropped on a folder box: the first one's path, as a folder path.
    void FilP_OLEDragDrop(int index, const QMimeData& dropped);

    // How often a run hands its latest caption to the screen and lets the window repaint.
    void setCaptionInterval(std::chrono::milliseconds interval) { captionInterval_ = interval; }

    // engine::RunHost
    std::string sourceFolder() const override;
    std::string backupFolder() const override;
    engine::RunOptions options() const override;
    std::string errorLogPath() const override;
    void setCaption(std::string_view caption) override;
    void showMessage(const engine::UserMessage& message) override;

  public slots:
    void Command1_Click();
    void Command2_Click();
    void FilPL_Click(int index);
    void mn0_Click(int index);
    void mn2_Click(int index);
    void Check_Click(int index);
    void Timer1_Timer();
    void Text1_KeyDown(int key);
    void List1_DblClick();
    void mn1_Click(int index);
    void File2_Click();
    void mn3_Click(int index);
    void mn4_Click(int index);
    void FilP_KeyDown(int index, int key);
    void Drive_Change(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class RunScope;

    void createControls();
    void createMenus();
    void connectHandlers();
    void setProgramPaths();
    void testForAutomaticRun();
    void restoreSettings();
    bool askForListName();
    // The answer of a name box titled "Sorvik"; empty when cancelled.
    std::string askName(const QString& objectName, const char* prompt);
    bool askYesNo(const QString& question);
    // A list file's path in the program folder; empty when there is no program folder.
    std::string programFilePath(const std::string& name) const;
    // Saves pairs the user has just edited, or says that no list is current to save them to.
    void saveEditedColumns();
    // The two columns into the list file at ListPath, reported when it fails.
    [[nodiscard]] std::error_code writeColumns();
    void addPair();
    void deleteSelectedPair();
    void createList();
    void deleteSelectedListFile();
    // Switches to the list file `path` once the current list is saved; a failed save keeps it.
    void switchList(const std::string& path);
    void showDrivePicker(int index);
    void restoreFolderBox(int index);
    // True when an event on a folder box is handled here and must not reach the box.
    bool filterFolderBox(int index, QEvent& event);
    // True when a right-button press on a list's viewport opened a menu here.
    bool filterRightPress(QObject* watched, const QEvent& event);
    void openCurrentList();
    void restoreExcludedExtensions();
    void saveSettings();
    void cancelAutomaticRun();
    void showCountdown();
    void runAutomaticBatch();
    void reportUnwritable(const std::string& path, std::error_code reason);
    // Takes the program folder's lock for a run; false, once the user is told, when another
    // Sorvik run holds it.
    bool takeRunLock();
    QSize normalSize() const;
    QSize stripSize() const;
    void showLatestCaption();
    void showText(const QString& text);
    // True when a mouse event on List1 is handled here and must not reach the list.
    bool filterList1Mouse(const QEvent& event);

    std::string programFolder_;
    engine::BackupEngine engine_;

    std::array<QLabel*, 2> Label1_{};
    std::array<QLineEdit*, 2> FilP_{};
    std::array<DrivePicker*, 2> Drive_{};
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    std::array<QGroupBox*, 2> Frame_{};
    std::array<QListWidget*, 2> FilPL_{};
    std::array<QCheckBox*, 5> Check_{};
    QListWidget* File2_ = nullptr;
    QLineEdit* Text1_ = nullptr;
    QListWidget* List1_ = nullptr;
    QTimer* Timer1_ = nullptr;

    std::array<QMenu*, 5> mn0Menus_{};  // the pop-up menus 0, 3 and 4, and "Option" at 1
    QAction* mn0Settings_ = nullptr;    // "環境設定" on the menu bar
    std::array<QAction*, 2> mn1_{};
    std::array<QAction*, 2> mn2_{};
    std::array<QAction*, 2> mn3_{};
    std::array<QAction*, kListMenuItems> mn4_{};

    bool runInProgress_ = false;
    bool swallowList1Release_ = false;
    // Set while a timer tick runs the automatic batch: a close request waits for its end.
    bool tickInProgress_ = false;
    std::chrono::milliseconds firstTickInterval_{1};
    std::chrono::milliseconds tickInterval_{999};
    bool closeRequested_ = false;
    std::optional<platform::FolderLock> runLock_;
    std::string latestCaption_;
    std::chrono::steady_clock::time_point captionShownAt_{};
    std::chrono::milliseconds captionInterval_{50};
};

}  // namespace sorvik::app
