#include "cli/batch_plan.h"

#include <optional>

#include "frontend/program_files.h"
#include "frontend/run_options.h"
#include "lists/extension_file.h"
#include "lists/list_file.h"
#include "lists/settings_file.h"
#include "platform/path_lookup.h"
#include "platform/separator.h"

namespace sorvik::cli {
namespace {

bool isMissing(std::error_code error) {
    return error == std::errc::no_such_file_or_directory;
}

// The settings, or std::nullopt when there is no settings file.
std::variant<std::optional<lists::Settings>, UnreadableFile> readSettings(const std::string& path) {
    auto settings = lists::readSettingsFile(path);
    if (settings) {
        return std::optional<lists::Settings>(std::move(*settings));
    }
    if (isMissing(settings.error())) {
        return std::optional<lists::Settings>();
    }
    return UnreadableFile{path, settings.error()};
}

std::variant<std::vector<std::string>, UnreadableFile> readExcludedExtensions(
    const std::string& path) {
    auto entries = lists::readExtensionFile(path);
    if (entries) {
        return std::move(*entries);
    }
    if (isMissing(entries.error())) {
        return std::vector<std::string>();
    }
    return UnreadableFile{path, entries.error()};
}

// Why the list at `path` cannot be run, if it cannot. A scheduled batch that backs up nothing
// without a word is the worst way for a backup to fail, so a list that is not there, or a
// relative path that only the window's working folder would give a meaning, is no empty list.
std::error_code listProblem(const std::string& path) {
    if (!platform::isAbsolutePath(path)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const auto kind = platform::lookUp(path);
    if (!kind) {
        return kind.error();
    }
    switch (*kind) {
        case platform::EntryKind::ordinaryFile:
            return {};
        case platform::EntryKind::missing:
            return std::make_error_code(std::errc::no_such_file_or_directory);
        case platform::EntryKind::folder:
            return std::make_error_code(std::errc::is_a_directory);
        default:
            return std::make_error_code(std::errc::invalid_argument);
    }
}

}  // namespace

std::variant<BatchPlan, UnreadableFile> loadBatchPlan(const std::string& folder,
                                                      const std::string& listPath) {
    const frontend::ProgramFiles files = frontend::programFilesIn(folder);
    auto settings = readSettings(files.settings);
    if (auto* failure = std::get_if<UnreadableFile>(&settings)) {
        return std::move(*failure);
    }
    const auto& stored = std::get<std::optional<lists::Settings>>(settings);
    // Without a list of its own the batch runs the current list, which only the settings name.
    const std::string chosenList = listPath.empty() && stored ? stored->listPath : listPath;
    if (chosenList.empty()) {
        return UnreadableFile{files.settings,
                              std::make_error_code(stored ? std::errc::invalid_argument
                                                          : std::errc::no_such_file_or_directory)};
    }

    auto extensions = readExcludedExtensions(files.excludedExtensions);
    if (auto* failure = std::get_if<UnreadableFile>(&extensions)) {
        return std::move(*failure);
    }
    if (const std::error_code problem = listProblem(chosenList)) {
        return UnreadableFile{chosenList, problem};
    }
    auto pairs = lists::readListFile(chosenList);
    if (!pairs) {
        return UnreadableFile{chosenList, pairs.error()};
    }

    BatchPlan plan;
    plan.pairs = std::move(*pairs);
    plan.setup.options =
        frontend::runOptionsFrom(stored.value_or(lists::Settings{}),
                                 std::get<std::vector<std::string>>(std::move(extensions)));
    plan.setup.logPath = files.errorLog;
    return plan;
}

}  // namespace sorvik::cli
