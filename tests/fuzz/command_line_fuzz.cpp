// The command line: any arguments parse without harm into a command that agrees with them.
#include <algorithm>

#include "cli/command_line.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace sorvik::cli;

// Whether `text` is one of the arguments after the command, alone or as "--option=text".
bool given(const std::vector<std::string>& arguments, const std::string& text,
           const std::string& option) {
    return std::find_if(arguments.begin() + 1, arguments.end(), [&](const std::string& argument) {
               return argument == text || argument == option + "=" + text;
           }) != arguments.end();
}

// Whether the first option is --exclude with a value: it cannot be the value of an earlier one,
// so the run excludes something whatever follows.
bool firstOptionExcludes(const std::vector<std::string>& arguments) {
    const auto first = std::find_if(arguments.begin() + 1, arguments.end(),
                                    [](const std::string& a) { return a.starts_with("--"); });
    return first != arguments.end() && (first->starts_with("--exclude=") ||
                                        (*first == "--exclude" && first + 1 != arguments.end()));
}

std::string agreement(const Command& command, const std::vector<std::string>& arguments) {
    const std::string& first = arguments.empty() ? "" : arguments.front();
    if (const auto* run = std::get_if<RunCommand>(&command)) {
        const auto& options = run->options;
        if (first != "run" || !given(arguments, run->source, "") ||
            !given(arguments, run->backup, "")) {
            return "a run without its command, source or backup";
        }
        if (options.extensionRule != !options.excludedExtensions.empty() ||
            (firstOptionExcludes(arguments) && !options.extensionRule)) {
            return "the extension rule does not match --exclude";
        }
        for (const std::string& extension : options.excludedExtensions) {
            if (!given(arguments, extension, "--exclude")) {
                return "an excluded extension not given: " + sorvik::fuzz::printable(extension);
            }
        }
    } else if (const auto* batch = std::get_if<BatchCommand>(&command)) {
        if (first != "batch" ||
            (!batch->folder.empty() && !given(arguments, batch->folder, "--folder"))) {
            return "a batch without its command or folder";
        }
    } else if (std::holds_alternative<HelpCommand>(command)) {
        if (first != "--help" && first != "-h" && first != "help") {
            return "help from another command";
        }
    } else if (std::holds_alternative<VersionCommand>(command)) {
        if (first != "--version") {
            return "the version from another command";
        }
    } else if (std::get<UsageError>(command).reason.empty()) {
        return "a usage error without a reason";
    }
    return "";
}

}  // namespace

// The arguments are the input cut at its NUL bytes; an empty input is no argument at all.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments;
    for (std::string_view input = sorvik::fuzz::bytesOf(data, size); size > 0;) {
        arguments.emplace_back(input.substr(0, input.find('\0')));
        if (arguments.back().size() == input.size()) {
            break;
        }
        input.remove_prefix(arguments.back().size() + 1);
    }
    if (const std::string broken = agreement(parseCommandLine(arguments), arguments);
        !broken.empty()) {
        sorvik::fuzz::fail(broken + "\n  arguments " + sorvik::fuzz::printable(arguments));
    }
    return 0;
}
