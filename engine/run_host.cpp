#include "engine/run_host.h"

#include "engine/messages.h"

namespace sorvik::engine {

std::string boxText(const UserMessage& message) {
    std::string text = message.text;
    for (const std::string& line : message.lines) {
        text += text::kLineEnd;
        text += line;
    }
    return text;
}

}  // namespace sorvik::engine
