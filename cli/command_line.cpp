#include "cli/command_line.h"

#include <optional>
#include <string_view>

#include "engine/path_rules.h"
#include "platform/separator.h"

namespace sorvik::cli {
namespace {

// Takes the value of an option written "--name VALUE" or "--name=VALUE".
std::optional<std::string> optionValue(std::string_view name, const std::vector<std::string>& args,
                                       std::size_t& i) {
    const std::string_view arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            return std::nullopt;
        }
        return args[++i];
    }
    return std::string(arg.substr(name.size() + 1));
}

bool isOption(std::string_view arg, std::string_view name) {
    return arg == name ||
           (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
}

Command parseRun(const std::vector<std::string>& args) {
    RunCommand run;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || !arg.starts_with("--")) {
            positional.push_back(args[i]);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--size-rule") {
            run.options.sizeRule = true;
        } else if (arg == "--time-rule") {
            run.options.timeRule = true;
        } else if (arg == "--placeholder") {
            run.options.placeholder = true;
        } else if (arg == "--quiet") {
            run.quiet = true;
        } else if (isOption(arg, "--exclude")) {
            auto value = optionValue("--exclude", args, i);
            if (!value) {
                return UsageError{"--exclude needs an extension"};
            }
            run.options.extensionRule = true;
            run.options.excludedExtensions.push_back(std::move(*value));
        } else if (isOption(arg, "--log")) {
            auto value = optionValue("--log", args, i);
            if (!value || value->empty()) {
                return UsageError{"--log needs a file"};
            }
            run.logPath = std::move(*value);
        } else {
            return UsageError{"unknown option " + std::string(arg)};
        }
    }
    if (positional.size() != 2) {
        return UsageError{"run needs a source folder and a backup folder"};
    }
    run.source = positional[0];
    run.backup = positional[1];
    return run;
}

Command parseBatch(const std::vector<std::string>& args) {
    BatchCommand batch;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--quiet") {
            batch.quiet = true;
        } else if (isOption(arg, "--folder")) {
            auto value = optionValue("--folder", args, i);
            if (!value || value->empty()) {
                return UsageError{"--folder needs a folder"};
            }
            batch.folder = std::move(*value);
        } else if (isOption(arg, "--list")) {
            auto value = optionValue("--list", args, i);
            if (!value || value->empty()) {
                return UsageError{"--list needs a file"};
            }
            batch.list = std::move(*value);
        } else if (arg.starts_with("--")) {
            return UsageError{"unknown option " + std::string(arg)};
        } else {
            return UsageError{"batch takes no folders of its own: " + std::string(arg)};
        }
    }
    return batch;
}

void resolvePath(std::string& path, const std::string& workingFolder) {
    if (!path.empty() && !platform::isAbsolutePath(path)) {
        path = engine::childPath(workingFolder, path);
    }
}

}  // namespace

void resolveAgainst(RunCommand& command, const std::string& workingFolder) {
    resolvePath(command.source, workingFolder);
    resolvePath(command.backup, workingFolder);
}

void resolveAgainst(BatchCommand& command, const std::string& workingFolder) {
    resolvePath(command.folder, workingFolder);
    resolvePath(command.list, workingFolder);
}

Command parseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return UsageError{"no command given"};
    }
    const std::string_view command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        return HelpCommand{};
    }
    if (command == "run") {
        return parseRun(arguments);
    }
    if (command == "batch") {
        return parseBatch(arguments);
    }
    return UsageError{"unknown command " + std::string(command)};
}

const char* usageText() {
    return "Usage:\n"
           "  sorvik-cli run SOURCE BACKUP [--size-rule] [--time-rule] [--exclude EXT]...\n"
           "                 [--placeholder] [--log FILE] [--quiet]\n"
           "  sorvik-cli batch [--folder DIR] [--list FILE] [--quiet]\n"
           "\n"
           "run backs up the folder tree SOURCE into BACKUP, one way: files missing in the backup\n"
           "are copied, files only in the backup are kept.\n"
           "  --size-rule    replace a backup file only when the source is larger\n"
           "  --time-rule    replace a backup file only when the source is newer\n"
           "  --exclude EXT  skip files with this extension (without the dot); may repeat\n"
           "  --placeholder  create the files empty instead of copying them\n"
           "  --log FILE     write the error entries to FILE (code page 932, CR LF)\n"
           "  --quiet        no progress line and no summary\n"
           "\n"
           "batch runs every pair of the current list with the options saved in the program\n"
           "folder, one error log for all of them in its ErrorLog.txt.\n"
           "  --folder DIR   use DIR as the program folder instead of $XDG_DATA_HOME/Sorvik\n"
           "  --list FILE    run the pairs of this list instead of the current one\n"
           "  --quiet        no progress line and no summary\n"
           "\n"
           "Exit status: 0 no errors; 1 errors, a refused pair, a missing source or another run\n"
           "holding the lock; 2 wrong usage, or settings or a list that cannot be read.\n";
}

}  // namespace sorvik::cli
