#include "platform/console_output.h"

namespace sorvik::platform {

void writeToConsole(std::FILE* stream, std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace sorvik::platform
