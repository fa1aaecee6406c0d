#include "cli/console_host.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

#include "cli/console_texts.h"
#include "platform/console_output.h"

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

// Where a console line is cut: a path can be as long as a list line, and megabytes of it help
// nobody on a terminal. The error log keeps every path whole.
constexpr std::size_t kLongestShownText = 1000;
constexpr std::string_view kCut = "…";

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The start and the end of a long text, each ended at a whole character, with "…" between.
std::string shortened(std::string_view text) {
    if (text.size() <= kLongestShownText) {
        return std::string(text);
    }
    std::size_t headEnd = kLongestShownText / 2;
    while (headEnd > 0 && isUtf8Continuation(text[headEnd])) {
        --headEnd;
    }
    std::size_t tailStart = text.size() - kLongestShownText / 2;
    while (tailStart < text.size() && isUtf8Continuation(text[tailStart])) {
        ++tailStart;
    }
    return std::string(text.substr(0, headEnd)).append(kCut).append(text.substr(tailStart));
}

// A control character in a name would end or garble the line on a terminal, and a NUL would cut
// it short: each shows as "?", as ls shows them.
std::string printable(std::string_view text) {
    std::string shown = shortened(text);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return shown;
}

// Writes the line; a stream that cannot take it (a closed pipe) loses the line, never the run.
void writeLine(std::FILE* stream, std::string_view line) {
    platform::writeToConsole(stream, std::string(line) + '\n');
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
    writeLine(messages_, std::string(label) + ": " + printable(path));
}

void ConsoleHost::finishProgress() {
    clearProgress();
}

void ConsoleHost::drawProgress() {
    char line[160];
    std::snprintf(line, sizeof line,
                  "\r%" PRIu64 " folders, %" PRIu64 " files copied, %" PRIu64 " skipped, %s\x1b[K",
                  stats_->folders, stats_->filesCopied + stats_->filesCreatedEmpty,
                  stats_->filesSkipped, humanBytes(stats_->bytesCopied).c_str());
    platform::writeToConsole(messages_, line);
    std::fflush(messages_);
    progressShown_ = true;
}

void ConsoleHost::clearProgress() {
    if (progressShown_) {
        platform::writeToConsole(messages_, "\r\x1b[K");
        progressShown_ = false;
    }
}

void writeMessage(std::FILE* stream, const engine::UserMessage& message) {
    std::string first = message.text;
    if (message.lines.empty() && !message.subject.empty()) {
        first += ": " + printable(message.subject);
    }
    writeLine(stream, first);
    for (const std::string& line : message.lines) {
        writeLine(stream, printable(line));
    }
}

std::string summaryLine(const engine::RunStats& stats, std::chrono::duration<double> elapsed) {
    char line[256];
    using Count = unsigned long long;
    std::snprintf(line, sizeof line, text::kSummaryFormat, Count{stats.filesCopied},
                  humanBytes(stats.bytesCopied).c_str(), Count{stats.filesCreatedEmpty},
                  Count{stats.filesSkipped}, Count{stats.errors}, Count{stats.folders},
                  elapsed.count());
    return line;
}

}  // namespace sorvik::cli
