#pragma once

#include <string>
#include <vector>

namespace sorvik::test {

// The shell command that runs the sorvik-cli built with the tests, each argument quoted. Callers
// add what the shell should do around it: a working folder, an environment, redirections.
inline std::string sorvikCliCommand(const std::vector<std::string>& arguments) {
    std::string command = "'" SORVIK_CLI_PATH "'";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    return command;
}

}  // namespace sorvik::test
