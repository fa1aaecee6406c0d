// The command line: any arguments parse without harm into a command that agrees with them.
#include <algorithm>

#include "cli/command_line.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sorvik::fuzz::fail;
using sorvik::fuzz::printable;

// The arguments are the input cut at its NUL bytes; an empty input is no argument at all.
std::vector<std::string> argumentsFrom(std::string_view input) {
    std::vector<std::string> arguments;
    if (input.empty()) {
        return arguments;
    }
    while (true) {
        const std::size_t nul = input.find('\0');
        arguments.emplace_back(input.substr(0, nul));
        if (nul == std::string_view::npos) {
            return arguments;
        }
        input.remove_prefix(nul + 1);
    }
}

bool isArgument(const std::vector<std::string>& arguments, std::string_view text) {
    return std::find(arguments.begin() + 1, arguments.end(), text) != arguments.end();
}

// An extension comes from "--exclude EXT" (the argument itself) or "--exclude=EXT".
bool isExtensionArgument(const std::vector<std::string>& arguments, std::string_view extension) {
    return isArgument(arguments, extension) ||
           isArgument(arguments, "--exclude=" + std::string(extension));
}

// The first option cannot be the value of an earlier one, so when it is --exclude with a value
// the run excludes something whatever follows.
bool firstOptionExcludes(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        if (!arg.starts_with("--")) {
            continue;
        }
        return arg.starts_with("--exclude=") || (arg == "--exclude" && i + 1 < arguments.size());
    }
    return false;
}

void checkRun(const sorvik::cli::RunCommand& run, const std::vector<std::string>& arguments) {
    const std::string described = "\n  arguments " + printable(arguments);
    if (arguments.front() != "run") {
        fail("a run from another command" + described);
    }
    if (arguments.size() < 3 || !isArgument(arguments, run.source) ||
        !isArgument(arguments, run.backup)) {
        fail("a run without its source and backup among the arguments: source " +
             printable(run.source) + ", backup " + printable(run.backup) + described);
    }
    const auto& options = run.options;
    if (options.extensionRule != !options.excludedExtensions.empty()) {
        fail("the extension rule does not match the excluded extensions " +
             printable(options.excludedExtensions) + described);
    }
    for (const std::string& extension : options.excludedExtensions) {
        if (!isExtensionArgument(arguments, extension)) {
            fail("an excluded extension " + printable(extension) + " not given" + described);
        }
    }
    if (firstOptionExcludes(arguments) && !options.extensionRule) {
        fail("--exclude leaves the extension rule off" + described);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> arguments = argumentsFrom(sorvik::fuzz::bytesOf(data, size));
    const sorvik::cli::Command command = sorvik::cli::parseCommandLine(arguments);
    if (const auto* run = std::get_if<sorvik::cli::RunCommand>(&command)) {
        checkRun(*run, arguments);
    } else if (const auto* batch = std::get_if<sorvik::cli::BatchCommand>(&command)) {
        if (arguments.front() != "batch") {
            fail("a batch from another command\n  arguments " + printable(arguments));
        }
        if (!batch->folder.empty() && !isArgument(arguments, batch->folder) &&
            !isArgument(arguments, "--folder=" + batch->folder)) {
            fail("a batch folder not given\n  arguments " + printable(arguments));
        }
    } else if (std::holds_alternative<sorvik::cli::HelpCommand>(command)) {
        const std::string& first = arguments.front();
        if (first != "--help" && first != "-h" && first != "help") {
            fail("help from another command\n  arguments " + printable(arguments));
        }
    } else if (std::get<sorvik::cli::UsageError>(command).reason.empty()) {
        fail("a usage error without a reason\n  arguments " + printable(arguments));
    }
    return 0;
}
