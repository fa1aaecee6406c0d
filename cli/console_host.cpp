#include "cli/console_host.h"

#include <cinttypes>
#include <utility>

namespace sorvik::cli {
namespace {

using namespace std::chrono_literals;
constexpr auto kProgressInterval = 200ms;

std::string humanBytes(std::uint64_t bytes) {
    const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(units)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
    return text;
}

}  // namespace

ConsoleHost::ConsoleHost(RunSetup setup, std::FILE* messages, bool showProgress)
    : setup_(std::move(setup)), messages_(messages), showProgress_(showProgress) {}

void ConsoleHost::selectPair(std::string source, std::string backup) {
    setup_.source = std::move(source);
    setup_.backup = std::move(backup);
}

void ConsoleHost::setCaption(std::string_view) {
    // The caption itself changes for every file; the line is redrawn a few times a second.
    if (!showProgress_ || stats_ == nullptr) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < nextDraw_) {
        return;
    }
    nextDraw_ = now + kProgressInterval;
    drawProgress();
}

void ConsoleHost::showMessage(const engine::UserMessage& message) {
    clearProgress();
    writeMessage(messages_, message);
}

void ConsoleHost::errorRecorded(std::string_view label, std::string_view path) {
    clearProgress();
    std::fprintf(messages_, "%.*s: %.*s\n", static_cast<int>(label.size()), label.data(),
                 static_cast<int>(path.size()), path.data());
}

void ConsoleHost::finishProgress() {
    clearProgress();
}

void ConsoleHost::drawProgress() {
    std::fprintf(messages_,
                 "\r%" PRIu64 " folders, %" PRIu64 " files copied, %" PRIu64 " skipped, %s\x1b[K",
                 stats_->folders, stats_->filesCopied + stats_->filesCreatedEmpty,
                 stats_->filesSkipped, humanBytes(stats_->bytesCopied).c_str());
    std::fflush(messages_);
    progressShown_ = true;
}

void ConsoleHost::clearProgress() {
    if (progressShown_) {
        std::fprintf(messages_, "\r\x1b[K");
        progressShown_ = false;
    }
}

void writeMessage(std::FILE* stream, const engine::UserMessage& message) {
    std::fprintf(stream, "%s", message.text.c_str());
    if (message.lines.empty() && !message.subject.empty()) {
        std::fprintf(stream, ": %s", message.subject.c_str());
    }
    std::fprintf(stream, "\n");
    for (const std::string& line : message.lines) {
        std::fprintf(stream, "%s\n", line.c_str());
    }
}

std::string summaryLine(const engine::RunStats& stats, std::chrono::duration<double> elapsed) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "copied %" PRIu64 " files (%s), created %" PRIu64 " empty, skipped %" PRIu64
                  ", errors %" PRIu64 ", %" PRIu64 " folders, %.2f s",
                  stats.filesCopied, humanBytes(stats.bytesCopied).c_str(), stats.filesCreatedEmpty,
                  stats.filesSkipped, stats.errors, stats.folders, elapsed.count());
    return text;
}

}  // namespace sorvik::cli
