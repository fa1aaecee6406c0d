#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "engine/messages.h"
#include "platform/code_page.h"
#include "platform/folder_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/sorvik_cli.h"
#include "tests/support/temp_folder.h"

namespace sorvik::cli {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;
namespace text = engine::text;

// Runs sorvik-cli through the shell; `streams` picks what the output holds (default: both).
test::CommandResult cli(const std::vector<std::string>& arguments,
                        const std::string& streams = "2>&1") {
    return test::runCommand(test::sorvikCliCommand(arguments) + " " + streams);
}

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

TEST(CommandLine, CleanRunExitsZeroAndExcludeSwitchesTheRuleOn) {
    TempFolder temp;
    writeFile(temp / "src/a.bak", "skipped");
    writeFile(temp / "src/sub/b.txt", "b");
    const auto first = cli({"run", temp / "src", temp / "bk", "--exclude", "BAK"}, "2>/dev/null");
    EXPECT_EQ(first.status, 0);
    EXPECT_TRUE(contains(first.output, "copied 1 files")) << first.output;
    EXPECT_EQ(readFile(temp / "bk/sub/b.txt"), "b");
    EXPECT_FALSE(fs::exists(temp / "bk/a.bak"));
    const auto quiet = cli({"run", temp / "src", temp / "bk", "--quiet"}, "2>/dev/null");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.output, "");
    EXPECT_EQ(readFile(temp / "bk/a.bak"), "skipped");
}

TEST(CommandLine, TroubleExitsOne) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    const std::string bk = temp / "missing/bk";
    const auto errors = cli({"run", temp / "src", bk, "--log", temp / "log.txt", "--quiet"});
    EXPECT_EQ(errors.status, 1);
    EXPECT_TRUE(contains(errors.output, text::kFolderError)) << errors.output;
    const auto log =
        platform::toCodePage932(std::string(text::kFolderError) + "\r\n" + bk + "\r\n\r\n");
    ASSERT_TRUE(log);
    EXPECT_EQ(readFile(temp / "log.txt"), *log);

    const auto missing = cli({"run", temp / "none", temp / "bk"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(contains(missing.output, text::kSourceNotFound)) << missing.output;
    const auto refused = cli({"run", temp / "src", temp / "src/"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(contains(refused.output, text::kPairOverlaps)) << refused.output;
    EXPECT_FALSE(fs::exists(temp / "bk"));

    // Another run filling the same backup folder holds its lock: this one leaves it alone.
    fs::create_directory(temp / "bk");
    const auto otherRun = platform::FolderLock::tryAcquire(temp / "bk");
    ASSERT_TRUE(otherRun);
    const auto held = cli({"run", temp / "src", temp / "bk", "--quiet"});
    EXPECT_EQ(held.status, 1);
    EXPECT_EQ(held.output, std::string(text::kAnotherRunInProgress) + "\n" + temp / "bk" + "\n");
    EXPECT_TRUE(fs::is_empty(temp / "bk"));
}

// Standard error closed by its reader ("sorvik-cli run … 2>&1 | head -1"): the lines are lost, the
// run is not. Without its own defence the program would die of SIGPIPE at the first error line.
TEST(CommandLine, AClosedStandardErrorLosesLinesNotTheRun) {
    TempFolder temp;
    writeFile(temp / "src/a/f.txt", "f");
    writeFile(temp / "src/b/g.txt", "g");
    writeFile(temp / "bk/a", "a file where a folder must go");
    const auto withClosedStandardError = [&] {
        std::signal(SIGPIPE, SIG_DFL);
        int ends[2];
        if (::pipe(ends) != 0 || ::close(ends[0]) != 0 || ::dup2(ends[1], 2) < 0) {
            throw test::ChildSkip("cannot make a pipe without a reader");
        }
        const auto run = test::runCommand(test::sorvikCliCommand(
            {"run", temp / "src", temp / "bk", "--log", temp / "log.txt", "--quiet"}));
        return std::to_string(run.status);
    };
    const test::ChildOutcome child = test::runInChild(withClosedStandardError);
    ASSERT_EQ(child.end, test::ChildOutcome::End::finished) << child.report;
    EXPECT_EQ(child.report, "1");
    EXPECT_EQ(readFile(temp / "bk/b/g.txt"), "g");
    EXPECT_TRUE(fs::exists(temp / "log.txt"));
}

TEST(CommandLine, WrongUsageExitsTwoAndHelpShowsBothForms) {
    // Which arguments are wrong is the parser's table below; here, what the program does then.
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{}, {"run", "/a", "/b", "--bogus"}}) {
        const auto wrong = cli(arguments);
        EXPECT_EQ(wrong.status, 2) << testing::PrintToString(arguments);
        EXPECT_TRUE(contains(wrong.output, "Usage:")) << wrong.output;
    }
    const auto help = cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(contains(help.output, "sorvik-cli run SOURCE BACKUP")) << help.output;
    EXPECT_TRUE(contains(help.output, "sorvik-cli batch")) << help.output;
}

TEST(CommandLine, ParsesRunOptions) {
    const Command all =
        parseCommandLine({"run", "--size-rule", "/s", "--time-rule", "/b", "--placeholder",
                          "--quiet", "--exclude", "bak", "--exclude=tmp", "--log=/l.txt"});
    const auto* run = std::get_if<RunCommand>(&all);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->source + " " + run->backup + " " + run->logPath, "/s /b /l.txt");
    EXPECT_TRUE(run->options.sizeRule && run->options.timeRule && run->options.placeholder &&
                run->options.extensionRule && run->quiet);
    EXPECT_EQ(run->options.excludedExtensions, (std::vector<std::string>{"bak", "tmp"}));

    const Command plain = parseCommandLine({"run", "--", "--s", "/b"});
    run = std::get_if<RunCommand>(&plain);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->source, "--s");
    EXPECT_FALSE(run->options.extensionRule || run->options.sizeRule || run->options.timeRule ||
                 run->options.placeholder || run->quiet || !run->logPath.empty());

    for (const char* help : {"--help", "-h", "help"}) {
        EXPECT_TRUE(std::holds_alternative<HelpCommand>(parseCommandLine({help}))) << help;
    }
    for (const auto& wrong :
         std::vector<std::vector<std::string>>{{},
                                               {"run", "/s"},
                                               {"run", "/s", "/b", "--log="},
                                               {"run", "/s", "/b", "--log"},
                                               {"run", "/s", "/b", "--exclude"},
                                               {"run", "/s", "/b", "/c"},
                                               {"run", "/s", "/b", "--excluded=x"},
                                               {"copy", "/s", "/b"}}) {
        EXPECT_TRUE(std::holds_alternative<UsageError>(parseCommandLine(wrong)))
            << testing::PrintToString(wrong);
    }
}

}  // namespace
}  // namespace sorvik::cli
