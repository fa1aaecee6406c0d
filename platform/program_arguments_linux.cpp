#include "platform/program_arguments.h"

namespace sorvik::platform {

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace sorvik::platform
