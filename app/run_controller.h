#pragma once

#include <QObject>
#include <chrono>
#include <functional>
#include <string>

#include "engine/backup_engine.h"
#include "engine/run_host.h"
#include "frontend/program_files.h"

class QWidget;

namespace sorvik::app {

class FolderBoxes;
class PathListPanel;
class SettingsPanel;

// What the window is doing, as far as runs and closing go.
//
// The engine calls its host synchronously on the UI thread and shows modal boxes in the middle of
// a run, and the window lets itself repaint while a run holds the thread. So events do arrive
// during a run, from the repaint and from inside the boxes: a click, a timer tick, a close
// request. One state on the UI thread, rather than a thread and flags, says what they may do:
// - idle: nothing is on; a run may start and a close is handled at once.
// - running: a run (or start-up) holds the window. Input to the window is dropped, no second run
//   starts, and a close request waits.
// - closeAfterRun: as running, and the window closes once the run has wholly ended.
enum class RunState { idle, running, closeAfterRun };

// Runs backups from the window: the pair in the folder boxes, or every pair of the current list.
// It is the engine's host: the engine reads the pair, the options and the error log's place from
// it and reports its captions and messages to it. It holds the window's RunState.
class RunController : public QObject, public engine::RunHost {
    Q_OBJECT

  public:
    RunController(QWidget& window, const frontend::ProgramFiles& files, const FolderBoxes& boxes,
                  PathListPanel& pathList, const SettingsPanel& settings);

    RunState state() const { return state_; }
    bool isIdle() const { return state_ == RunState::idle; }

    // The backup button: backs up the pair in the folder boxes.
    void backUpPair();
    // The batch button: backs up every pair of the current list, one after the other.
    void backUpList();
    // The automatic run: the batch, then `afterwards` (still within the run), then the window
    // closes, whether or not the batch could run.
    void backUpListAndClose(const std::function<void()>& afterwards);
    // Runs `work` in the running state without taking input away, as start-up does while it
    // asks and tells: a close request waits for its end.
    void holdWhile(const std::function<void()>& work);
    // A close request: true when it has to wait for the run's end.
    bool deferClose();

    // How often a run hands its latest caption to the screen and lets the window repaint.
    void setCaptionInterval(std::chrono::milliseconds interval) { captionInterval_ = interval; }

    // engine::RunHost
    std::string sourceFolder() const override;
    std::string backupFolder() const override;
    engine::RunOptions options() const override;
    std::string errorLogPath() const override;
    void setCaption(std::string_view caption) override;
    void showMessage(const engine::UserMessage& message) override;

  private:
    // Runs `work` under the program folder's lock, with the window taking no input; false when
    // another run holds the lock (the user has been told).
    bool runLocked(const std::function<void()>& work);
    void batch();
    // Leaves the running state; a close requested meanwhile is done once the caller has returned.
    void finish();
    void showLatestCaption();

    QWidget& window_;
    const frontend::ProgramFiles& files_;
    const FolderBoxes& boxes_;
    PathListPanel& pathList_;
    const SettingsPanel& settings_;
    engine::BackupEngine engine_;
    RunState state_ = RunState::idle;
    std::string latestCaption_;
    std::chrono::steady_clock::time_point captionShownAt_{};
    std::chrono::milliseconds captionInterval_{50};
};

}  // namespace sorvik::app
