#include "cli/command_line.h"

#include <optional>
#include <string>
#include <string_view>

#include "cli/console_texts.h"
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

// The value of "--jobs": a whole number from 1 to kMostJobs, digits only.
std::optional<unsigned> jobsValue(const std::vector<std::string>& args, std::size_t& i) {
    const auto value = optionValue("--jobs", args, i);
    if (!value || value->empty() || value->size() > 3 ||
        value->find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned jobs = static_cast<unsigned>(std::stoul(*value));
    if (jobs < 1 || jobs > text::kMostJobs) {
        return std::nullopt;
    }
    return jobs;
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
        } else if (isOption(arg, "--jobs")) {
            const auto jobs = jobsValue(args, i);
            if (!jobs) {
                return UsageError{std::string(text::kJobsNeedsNumber)};
            }
            run.jobs = *jobs;
        } else if (isOption(arg, "--exclude")) {
            auto value = optionValue("--exclude", args, i);
            if (!value) {
                return UsageError{std::string(text::kExcludeNeedsExtension)};
            }
            run.options.extensionRule = true;
            run.options.excludedExtensions.push_back(std::move(*value));
        } else if (isOption(arg, "--log")) {
            auto value = optionValue("--log", args, i);
            if (!value || value->empty()) {
                return UsageError{std::string(text::kLogNeedsFile)};
            }
            run.logPath = std::move(*value);
        } else {
            return UsageError{std::string(text::kUnknownOption) + std::string(arg)};
        }
    }
    if (positional.size() != 2) {
        return UsageError{std::string(text::kRunNeedsTwoFolders)};
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
        } else if (isOption(arg, "--jobs")) {
            const auto jobs = jobsValue(args, i);
            if (!jobs) {
                return UsageError{std::string(text::kJobsNeedsNumber)};
            }
            batch.jobs = *jobs;
        } else if (isOption(arg, "--folder")) {
            auto value = optionValue("--folder", args, i);
            if (!value || value->empty()) {
                return UsageError{std::string(text::kFolderNeedsFolder)};
            }
            batch.folder = std::move(*value);
        } else if (isOption(arg, "--list")) {
            auto value = optionValue("--list", args, i);
            if (!value || value->empty()) {
                return UsageError{std::string(text::kListNeedsFile)};
            }
            batch.list = std::move(*value);
        } else if (arg.starts_with("--")) {
            return UsageError{std::string(text::kUnknownOption) + std::string(arg)};
        } else {
            return UsageError{std::string(text::kBatchTakesNoFolders) + std::string(arg)};
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
        return UsageError{std::string(text::kNoCommand)};
    }
    const std::string_view command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        return HelpCommand{};
    }
    if (command == "--version") {
        return VersionCommand{};
    }
    if (command == "run") {
        return parseRun(arguments);
    }
    if (command == "batch") {
        return parseBatch(arguments);
    }
    return UsageError{std::string(text::kUnknownCommand) + std::string(command)};
}

const char* usageText() {
    return text::kUsage;
}

}  // namespace sorvik::cli
