// The automatic run: the option that arms it, the marker file, and the countdown that runs the
// batch at start-up and closes the window.
#include <QCheckBox>
#include <QTimer>

#include "app/form1.h"
#include "app/qt_text.h"
#include "engine/messages.h"
#include "lists/settings_file.h"
#include "platform/atomic_file.h"
#include "platform/path_lookup.h"

namespace sorvik::app {

namespace {

constexpr const char* kArmedMessage =
    "起動時に「5秒」待機します。\r\n"
    "通常起動に戻したい場合は、待機中に右上の「×」を押して終了してください。";
constexpr const char* kCountdownCaption =
    "[ %1 ] バックアップ待機中。キャンセルは右上の「×」を押してください。";

// Clears a flag however the scope ends.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

}  // namespace

void Form1::Check_Click(int index) {
    if (Loading) {
        return;  // values restored by start-up
    }
    if (index == static_cast<int>(lists::Option::alwaysOnTop)) {
        FBefor();
    } else if (index == static_cast<int>(lists::Option::automaticRun)) {
        if (!Check_[static_cast<std::size_t>(lists::Option::automaticRun)]->isChecked()) {
            // A marker that is already gone is what was wanted.
            static_cast<void>(platform::removeFile(AutoGoPath));
            return;
        }
        // Without the marker the next start is simply normal; the message still tells what the
        // option does.
        static_cast<void>(SaveAutoGo());
        showText(QString::fromUtf8(kArmedMessage));
    }
}

std::error_code Form1::SaveAutoGo() {
    return platform::replaceFileContents(AutoGoPath, {});
}

void Form1::Timer1_Timer() {
    if (runInProgress_ || tickInProgress_) {
        return;  // never a second batch, whatever the timer does
    }
    if (Loading) {
        return;  // start-up is still asking or telling something; the timer ticks again
    }
    if (AutoWait == 0) {
        runAutomaticBatch();
    } else if (AutoWait >= 1 && AutoWait <= 6) {
        showCountdown();
    }
}

void Form1::showCountdown() {
    setWindowTitle(QString::fromUtf8(kCountdownCaption).arg(AutoWait));
    --AutoWait;
    Timer1_->start(tickInterval_);
}

void Form1::runAutomaticBatch() {
    // No tick may fall due while the batch or its messages are on.
    Timer1_->stop();
    {
        FlagScope tick(tickInProgress_);
        Command2_Click();
        if (const std::error_code error = SaveAutoGo()) {
            reportUnwritable(AutoGoPath, error);
        }
        AutoWait = kNoAutomaticRun;
    }
    // A close asked for meanwhile is this close.
    closeRequested_ = false;
    close();
}

void Form1::cancelAutomaticRun() {
    AutoWait = kNoAutomaticRun;
    Form_Resize();
    Timer1_->stop();
    QCheckBox* automatic = Check_[static_cast<std::size_t>(lists::Option::automaticRun)];
    if (automatic->isChecked()) {
        automatic->setChecked(false);  // its handler removes the marker
    } else {
        Check_Click(static_cast<int>(lists::Option::automaticRun));  // no change of value, but the marker must still go
    }
    setWindowTitle(qText(engine::text::kApplicationTitle));
}

}  // namespace sorvik::app
