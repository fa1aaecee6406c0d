#include "engine/error_report.h"

#include <algorithm>

#include "engine/messages.h"
#include "platform/text_file.h"

namespace sorvik::engine {

void reportErrors(RunHost& host, ErrorText& errors) {
    host.setCaption(text::kComplete);
    if (errors.empty()) {
        return;
    }
    const std::string logPath = host.errorLogPath();
    if (logPath.empty()) {
        errors.clear();
        return;
    }
    // Every piece, the empty one after the final CR LF included, becomes a line: the file holds
    // the entries and then one empty line.
    const std::vector<std::string> pieces = errors.pieces();
    if (const std::error_code error = platform::writeTextLines(logPath, pieces)) {
        UserMessage message{
            std::string(text::kErrorLogUnwritable), {logPath, error.message()}, logPath};
        const std::size_t shown =
            std::min(text::kEntryLinesInUnwritableLogMessage, pieces.size() - 1);
        message.lines.insert(message.lines.end(), pieces.begin(),
                             pieces.begin() + static_cast<std::ptrdiff_t>(shown));
        errors.clear();
        host.showMessage(message);
        return;
    }
    errors.clear();
    host.showMessage({std::string(text::kErrorsOccurred), {logPath}, logPath});
}

}  // namespace sorvik::engine
