#include "platform/program_arguments.h"

#include "platform/windows/wide_text.h"

namespace sorvik::platform {

std::vector<std::string> programArguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(toUtf8(argv[i]));
    }
    return arguments;
}

}  // namespace sorvik::platform
