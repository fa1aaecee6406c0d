#include "app/automatic_run.h"

#include <QWidget>

#include "app/dialogs.h"
#include "app/qt_text.h"
#include "app/run_controller.h"
#include "app/settings_panel.h"
#include "app/window_texts.h"
#include "engine/messages.h"
#include "platform/atomic_file.h"
#include "platform/path_lookup.h"

namespace sorvik::app {

namespace {

// Only an ordinary file counts: a folder or a FIFO under the marker's name is no marker.
bool isOrdinaryFile(const std::string& path) {
    const auto kind = platform::lookUp(path);
    return kind && *kind == platform::EntryKind::ordinaryFile;
}

}  // namespace

AutomaticRun::AutomaticRun(QWidget& window, RunController& run, SettingsPanel& settings,
                           std::string marker)
    : QObject(&window),
      window_(window),
      run_(run),
      settings_(settings),
      marker_(std::move(marker)) {
    timer_.setObjectName(QStringLiteral("countdownTimer"));
    connect(&timer_, &QTimer::timeout, this, &AutomaticRun::tick);
}

void AutomaticRun::armIfMarked() {
    if (!isOrdinaryFile(marker_)) {
        return;
    }
    secondsLeft_ = kCountdownSeconds;
    removeMarker();
    emit pendingChanged(true);
    timer_.start(firstInterval_);
}

void AutomaticRun::tick() {
    if (!secondsLeft_ || !run_.isIdle()) {
        return;
    }
    if (*secondsLeft_ == 0) {
        runBatchAndClose();
        return;
    }
    window_.setWindowTitle(qText(text::kCountdownStart) + QString::number(*secondsLeft_) +
                           qText(text::kCountdownEnd));
    --*secondsLeft_;
    timer_.start(tickInterval_);
}

void AutomaticRun::runBatchAndClose() {
    // No tick may fall due while the batch or its messages are on.
    timer_.stop();
    run_.backUpListAndClose([this] {
        // The next start is automatic again.
        if (const std::error_code error = platform::replaceFileContents(marker_, {})) {
            tell(&window_, messageWithPath(text::kFileUnwritable, marker_, error));
        }
        secondsLeft_.reset();
    });
}

bool AutomaticRun::cancelOnClose() {
    if (!secondsLeft_) {
        return false;
    }
    secondsLeft_.reset();
    timer_.stop();
    emit pendingChanged(false);
    // The next start is normal: the option is off and no marker is left, even one that another
    // window on the same folder may have left meanwhile.
    settings_.showOption(lists::Option::automaticRun, false);
    removeMarker();
    window_.setWindowTitle(qText(engine::text::kApplicationTitle));
    return true;
}

void AutomaticRun::optionSwitched(bool on) {
    if (!on) {
        removeMarker();
        return;
    }
    // Without the marker the next start is simply normal; the message still tells what the
    // option does.
    static_cast<void>(platform::replaceFileContents(marker_, {}));
    tell(&window_, qText(text::kArmedMessage));
}

void AutomaticRun::removeMarker() {
    // A marker that is already gone is what was wanted.
    static_cast<void>(platform::removeFile(marker_));
}

}  // namespace sorvik::app
