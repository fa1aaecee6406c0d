#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "engine/messages.h"
#include "lists/extension_file.h"
#include "lists/list_file.h"
#include "lists/settings_file.h"
#include "platform/folder_lock.h"
#include "platform/text_file.h"
#include "tests/support/child_process.h"
#include "tests/support/sorvik_cli.h"
#include "tests/support/temp_folder.h"

namespace sorvik::cli {
namespace {

namespace fs = std::filesystem;
using lists::PathPair;
using test::readFile;
using test::TempFolder;
using test::writeFile;
namespace text = engine::text;

constexpr std::string_view kStandardErrorOnly = "2>&1 >/dev/null";
constexpr std::string_view kStandardOutputOnly = "2>/dev/null";

// Runs `sorvik-cli batch ARGUMENTS` from inside `temp`, so relative paths name its contents.
// `environment` is put before the command as the shell's assignments.
test::CommandResult batch(const TempFolder& temp, const std::vector<std::string>& arguments,
                          std::string_view streams = kStandardErrorOnly,
                          const std::string& environment = {}) {
    std::vector<std::string> all{"batch"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return test::runCommand("cd '" + temp.path().string() + "' && " + environment + " " +
                            test::sorvikCliCommand(all) + " " + std::string(streams));
}

// A program folder as the window leaves it: the settings, the excluded extensions and the list
// the settings name.
void writeProgramFolder(const std::string& folder, const lists::Settings& settings,
                        const std::vector<std::string>& excludedExtensions,
                        const std::vector<PathPair>& pairs) {
    fs::create_directories(folder);
    ASSERT_FALSE(lists::writeSettingsFile(folder + "/sorvik01.ini", settings));
    ASSERT_FALSE(lists::writeExtensionFile(folder + "/sorvik02.ini", excludedExtensions));
    ASSERT_FALSE(lists::writeListFile(settings.listPath, pairs));
}

lists::Settings settingsNaming(const std::string& listPath) {
    lists::Settings settings;
    settings.listPath = listPath;
    settings.alwaysOnTop = settings.skipExcludedExtensions = settings.onlyWhenNewer = false;
    return settings;
}

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

TEST(CommandLineBatch, RunsEveryPairOfTheCurrentListWithTheSavedOptions) {
    TempFolder temp;
    writeFile(temp / "one/a.txt", "aaa");
    writeFile(temp / "one/old.bak", "excluded");
    writeFile(temp / "two/sub/b.txt", "bb");
    // No --folder: the program folder is the one under XDG_DATA_HOME.
    const std::string folder = temp / "data/Sorvik";
    lists::Settings settings = settingsNaming(folder + "/Default.lst");
    settings.placeholder = true;
    settings.skipExcludedExtensions = true;
    writeProgramFolder(folder, settings, {"bak"},
                       {{temp / "one", temp / "bk-one"}, {temp / "two", temp / "bk-two"}});

    const auto result =
        batch(temp, {}, kStandardOutputOnly, "XDG_DATA_HOME='" + (temp / "data") + "'");
    EXPECT_EQ(result.status, 0);
    // The summary counts the whole batch, not its last pair.
    EXPECT_TRUE(contains(result.output, "created 2 empty")) << result.output;
    EXPECT_EQ(readFile(temp / "bk-one/a.txt"), "");
    EXPECT_EQ(readFile(temp / "bk-two/sub/b.txt"), "");
    EXPECT_FALSE(fs::exists(temp / "bk-one/old.bak"));
    EXPECT_FALSE(fs::exists(folder + "/ErrorLog.txt"));
}

TEST(CommandLineBatch, ErrorsOfEveryPairGoToTheFoldersErrorLogInPairOrder) {
    TempFolder temp;
    // The first pair sorts last by name, so an order by name would show.
    for (const std::string name : {"zz", "aa"}) {
        writeFile(temp / (name + "-src/sub/f.txt"), "f");
        // A plain file where the backup's folder must go: no one, root included, can create it.
        writeFile(temp / (name + "-bk/sub"), "in the way");
    }
    const std::string folder = temp / "prog";
    writeProgramFolder(folder, settingsNaming(folder + "/Default.lst"), {},
                       {{temp / "zz-src", temp / "zz-bk"}, {temp / "aa-src", temp / "aa-bk"}});

    const auto result = batch(temp, {"--folder", folder, "--quiet"});
    EXPECT_EQ(result.status, 1);
    const std::string logPath = folder + "/ErrorLog.txt";
    EXPECT_TRUE(contains(result.output, std::string(text::kErrorsOccurred) + "\n" + logPath))
        << result.output;
    const auto log = platform::readTextLines(logPath);
    ASSERT_TRUE(log) << log.error().message();
    EXPECT_EQ(*log,
              (std::vector<std::string>{std::string(text::kFolderError), temp / "zz-bk/sub",
                                        std::string(text::kFolderError), temp / "aa-bk/sub", ""}));
}

TEST(CommandLineBatch, AnotherRunHoldingTheFolderRunsNothing) {
    TempFolder temp;
    writeFile(temp / "src/f.txt", "f");
    const std::string folder = temp / "prog";
    writeProgramFolder(folder, settingsNaming(folder + "/Default.lst"), {},
                       {{temp / "src", temp / "bk"}});
    {
        const auto otherRun = platform::FolderLock::tryAcquire(folder);
        ASSERT_TRUE(otherRun) << otherRun.error().message();
        const auto held = batch(temp, {"--folder", folder});
        EXPECT_EQ(held.status, 1);
        EXPECT_EQ(held.output, std::string(text::kAnotherRunInProgress) + "\n");
        EXPECT_FALSE(fs::exists(temp / "bk"));
    }
    const auto free = batch(temp, {"--folder", folder, "--quiet"});
    EXPECT_EQ(free.status, 0) << free.output;
    EXPECT_EQ(readFile(temp / "bk/f.txt"), "f");
}

TEST(CommandLineBatch, AListOnTheCommandLineReplacesTheCurrentOne) {
    TempFolder temp;
    writeFile(temp / "src/f.txt", "f");
    writeProgramFolder(temp / "prog", settingsNaming(temp / "prog/Default.lst"), {},
                       {{temp / "src", temp / "bk-current"}});
    ASSERT_FALSE(lists::writeListFile(temp / "other.lst", {{temp / "src", temp / "bk-other"}}));

    // Both paths relative to the working folder.
    const auto result = batch(temp, {"--folder", "prog", "--list", "other.lst", "--quiet"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(readFile(temp / "bk-other/f.txt"), "f");
    EXPECT_FALSE(fs::exists(temp / "bk-current"));
}

// A batch that cannot read what it needs says which file and why, and runs nothing: a scheduled
// batch that silently backs up nothing is the worst way for a backup to fail. "@" in a file's
// bytes or in the named path stands for the temporary folder.
TEST(CommandLineBatch, AFileItCannotReadStopsTheBatchWithItsPathAndReason) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;  // in the temporary folder
        std::vector<std::string> arguments;
        std::string named;  // the file the message names
        std::errc reason;
    } cases[] = {
        {"no settings, so no current list",
         {},
         {"--folder", "prog"},
         "@/prog/sorvik01.ini",
         std::errc::no_such_file_or_directory},
        {"a list on the command line that does not exist",
         {},
         {"--folder", "prog", "--list", "none.lst"},
         "@/none.lst",
         std::errc::no_such_file_or_directory},
        {"settings naming a list that does not exist",
         {{"prog/sorvik01.ini", "@/gone.lst\r\n"}},
         {"--folder", "prog"},
         "@/gone.lst",
         std::errc::no_such_file_or_directory},
        {"settings naming a relative list",
         {{"prog/sorvik01.ini", "Default.lst\r\n"}},
         {"--folder", "prog"},
         "Default.lst",
         std::errc::invalid_argument},
        {"settings naming no list",
         {{"prog/sorvik01.ini", "\r\n"}},
         {"--folder", "prog"},
         "@/prog/sorvik01.ini",
         std::errc::invalid_argument},
        {"settings that are not text",
         {{"prog/sorvik01.ini", "\x81"}},
         {"--folder", "prog", "--list", "none.lst"},
         "@/prog/sorvik01.ini",
         std::errc::illegal_byte_sequence},
        {"excluded extensions that are not text",
         {{"prog/sorvik02.ini", "\x81"}},
         {"--folder", "prog", "--list", "none.lst"},
         "@/prog/sorvik02.ini",
         std::errc::illegal_byte_sequence},
        {"a list that is not text",
         {{"bad.lst", "\x81"}},
         {"--folder", "prog", "--list", "bad.lst"},
         "@/bad.lst",
         std::errc::illegal_byte_sequence},
        {"no such program folder",
         {},
         {"--folder", "nowhere"},
         "@/nowhere",
         std::errc::no_such_file_or_directory},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        const auto inTemp = [&](std::string text) {
            for (std::size_t at; (at = text.find('@')) != std::string::npos;) {
                text.replace(at, 1, temp.path().string());
            }
            return text;
        };
        fs::create_directories(temp / "prog");
        for (const auto& [path, bytes] : c.files) {
            writeFile(temp / path, inTemp(bytes));
        }
        const auto result = batch(temp, c.arguments);
        EXPECT_EQ(result.status, 2) << c.what;
        EXPECT_EQ(result.output, std::string(text::kFileUnreadable) + "\n" + inTemp(c.named) +
                                     "\n" + std::make_error_code(c.reason).message() + "\n")
            << c.what;
    }
}

// List entries the system cannot take as they are never reach it: one holding a NUL would be cut
// there, and a backup entry cut so would fill another folder. The pair is refused, each message
// fits on a console, and the batch goes on with the next pair.
TEST(CommandLineBatch, PairsThatCannotRunAreToldAndTheNextPairStillRuns) {
    TempFolder temp;
    writeFile(temp / "src/f.txt", "f");
    writeFile(temp / "src/sub/g.txt", "g");
    const std::string nul(1, '\0');
    const std::string longSource = temp / std::string(10'000'000, 'x');
    const std::string folder = temp / "prog";
    writeProgramFolder(folder, settingsNaming(folder + "/Default.lst"), {},
                       {{temp / "gone", temp / "bk-gone"},
                        {longSource, temp / "bk-long"},
                        {temp / "src", temp / "bk-nul" + nul + "evil"},
                        {temp / "src" + nul + "x", temp / "bk-nul"},
                        {temp / "src", temp / "bk"}});

    const auto result = batch(temp, {"--folder", folder, "--quiet"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output.substr(0, result.output.find(longSource.substr(0, 400))),
              std::string(text::kSourceNotFound) + ": " + temp / "gone" + "\n" +
                  std::string(text::kSourceNotFound) + ": ");
    EXPECT_LT(result.output.size(), 2'000u);
    EXPECT_TRUE(contains(result.output,
                         std::string(text::kBadBackupFolder) + "\n" + temp / "bk-nul?evil\n"))
        << result.output;
    EXPECT_TRUE(
        contains(result.output, std::string(text::kSourceNotFound) + ": " + temp / "src?x\n"))
        << result.output;
    EXPECT_EQ(readFile(temp / "bk/sub/g.txt"), "g");
    EXPECT_FALSE(fs::exists(temp / "bk-nul"));
}

TEST(CommandLineBatch, ParsesItsOptionsAndRefusesAnyOther) {
    const Command all = parseCommandLine({"batch", "--quiet", "--folder", "f", "--list=l.lst"});
    const auto* batchCommand = std::get_if<BatchCommand>(&all);
    ASSERT_NE(batchCommand, nullptr);
    EXPECT_EQ(batchCommand->folder + " " + batchCommand->list, "f l.lst");
    EXPECT_TRUE(batchCommand->quiet);

    for (const auto& wrong : std::vector<std::vector<std::string>>{{"batch", "--folder"},
                                                                   {"batch", "--list="},
                                                                   {"batch", "/stray"},
                                                                   {"batch", "--size-rule"}}) {
        EXPECT_TRUE(std::holds_alternative<UsageError>(parseCommandLine(wrong)))
            << testing::PrintToString(wrong);
    }
    TempFolder temp;
    const auto unknown = batch(temp, {"--bogus"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(contains(unknown.output, "unknown option --bogus")) << unknown.output;
}

}  // namespace
}  // namespace sorvik::cli
