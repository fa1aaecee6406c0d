#include "app/run_controller.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include "app/dialogs.h"
#include "app/folder_boxes.h"
#include "app/input_blocker.h"
#include "app/path_list_panel.h"
#include "app/qt_text.h"
#include "app/settings_panel.h"
#include "engine/batch_run.h"
#include "engine/messages.h"
#include "frontend/run_lock.h"
#include "frontend/run_options.h"

namespace sorvik::app {

RunController::RunController(QWidget& window, const frontend::ProgramFiles& files,
                             const FolderBoxes& boxes, PathListPanel& pathList,
                             const SettingsPanel& settings)
    : QObject(&window),
      window_(window),
      files_(files),
      boxes_(boxes),
      pathList_(pathList),
      settings_(settings),
      engine_(*this) {}

void RunController::backUpPair() {
    if (!isIdle()) {
        return;  // a second click or a tick reached here from inside a run
    }
    state_ = RunState::running;
    runLocked([this] { engine_.singleRun(); });
    finish();
}

void RunController::backUpList() {
    if (!isIdle()) {
        return;
    }
    state_ = RunState::running;
    runLocked([this] { batch(); });
    finish();
}

void RunController::backUpListAndClose(const std::function<void()>& afterwards) {
    if (!isIdle()) {
        return;
    }
    state_ = RunState::running;
    runLocked([this] { batch(); });
    {
        // The messages that follow the batch take no more input than the batch did.
        const InputBlocker blocker(window_);
        afterwards();
    }
    // This close is the one a close request during the run asked for.
    state_ = RunState::idle;
    window_.close();
}

void RunController::holdWhile(const std::function<void()>& work) {
    if (!isIdle()) {
        return;
    }
    state_ = RunState::running;
    work();
    finish();
}

bool RunController::deferClose() {
    if (isIdle()) {
        return false;
    }
    state_ = RunState::closeAfterRun;
    return true;
}

void RunController::finish() {
    const bool close = state_ == RunState::closeAfterRun;
    state_ = RunState::idle;
    if (close) {
        QTimer::singleShot(0, &window_, &QWidget::close);
    }
}

bool RunController::runLocked(const std::function<void()>& work) {
    const frontend::RunLock lock = frontend::RunLock::take(files_.folder);
    if (lock.heldByAnotherRun()) {
        tell(&window_, qText(engine::text::kAnotherRunInProgress));
        return false;
    }
    const InputBlocker blocker(window_);
    window_.setCursor(Qt::BusyCursor);
    captionShownAt_ = {};
    latestCaption_.clear();
    work();
    showLatestCaption();
    window_.unsetCursor();
    return true;
}

void RunController::batch() {
    engine::runBatch(engine_, pathList_.pairs().size(),
                     [this](std::size_t row) { pathList_.selectPair(row); });
}

std::string RunController::sourceFolder() const {
    return boxes_.pair().source;
}

std::string RunController::backupFolder() const {
    return boxes_.pair().backup;
}

engine::RunOptions RunController::options() const {
    return frontend::runOptionsFrom(settings_.options(), settings_.excludedExtensions());
}

std::string RunController::errorLogPath() const {
    return files_.errorLog;
}

void RunController::setCaption(std::string_view caption) {
    latestCaption_.assign(caption);
    if (std::chrono::steady_clock::now() - captionShownAt_ >= captionInterval_) {
        showLatestCaption();
    }
}

void RunController::showLatestCaption() {
    if (!latestCaption_.empty()) {
        window_.setWindowTitle(qText(latestCaption_));
    }
    // The run holds the event loop: let the window repaint. Its input is dropped meanwhile.
    QCoreApplication::processEvents();
    captionShownAt_ = std::chrono::steady_clock::now();
}

void RunController::showMessage(const engine::UserMessage& message) {
    if (!latestCaption_.empty()) {
        window_.setWindowTitle(qText(latestCaption_));
    }
    tell(&window_, qText(engine::boxText(message)));
}

}  // namespace sorvik::app
