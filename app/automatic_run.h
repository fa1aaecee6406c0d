#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <optional>
#include <string>

class QWidget;

namespace sorvik::app {

class RunController;
class SettingsPanel;

// The automatic run: the marker file that the automatic-run option leaves in the program folder,
// and, at a start that finds it, the countdown in the caption that ends in the batch over the
// current list and the window's close. A close request during the countdown cancels it.
class AutomaticRun : public QObject {
    Q_OBJECT

  public:
    static constexpr int kCountdownSeconds = 5;

    AutomaticRun(QWidget& window, RunController& run, SettingsPanel& settings, std::string marker);

    // True from a start that found the marker until the run is done or cancelled.
    bool isPending() const { return secondsLeft_.has_value(); }
    // The seconds the countdown still has to show; 0 once the next tick starts the batch.
    std::optional<int> secondsLeft() const { return secondsLeft_; }

    // At start-up: a marker file arms the countdown, and is removed until the run is done, so a
    // start that crashes in the countdown is normal the next time.
    void armIfMarked();
    // One step of the countdown, or the batch when it has reached 0. A tick while a run or
    // start-up holds the window waits for the next one.
    void tick();
    // A close request: true when it cancelled a pending run (the window then stays open).
    bool cancelOnClose();
    // The user switched the option: on leaves the marker and says what it does, off removes it.
    void optionSwitched(bool on);

    // The countdown's first tick after start-up and every tick after; tests shorten them.
    void setIntervals(std::chrono::milliseconds first, std::chrono::milliseconds tick) {
        firstInterval_ = first;
        tickInterval_ = tick;
    }
    const QTimer& timer() const { return timer_; }

  signals:
    // The window takes the countdown strip's shape while a run is pending, its normal one else.
    void pendingChanged(bool pending);

  private:
    void runBatchAndClose();
    void removeMarker();

    QWidget& window_;
    RunController& run_;
    SettingsPanel& settings_;
    std::string marker_;
    QTimer timer_;
    std::optional<int> secondsLeft_;
    std::chrono::milliseconds firstInterval_{1};
    std::chrono::milliseconds tickInterval_{999};
};

}  // namespace sorvik::app
