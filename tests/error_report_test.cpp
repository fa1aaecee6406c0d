#include <gtest/gtest.h>

#include <filesystem>

#include "engine/messages.h"
#include "platform/code_page.h"
#include "tests/support/engine_run.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;
using engine::BackupEngine;
namespace text = engine::text;

// A folder standing under a file's name in the backup makes that copy fail without any special
// privilege; a plain file under a folder's name does the same for the folder.
TEST(ErrorReport, LogHoldsTheEntriesInFailureOrderAsCodePage932) {
    TempFolder temp;
    const std::string src = temp / "元データ";
    const std::string bk = temp / "バックアップ";
    writeFile(src + "/a.txt", "a");
    writeFile(src + "/資料.txt", "copy fails");
    writeFile(src + "/sub/b.txt", "b");
    fs::create_directories(bk + "/資料.txt");
    writeFile(bk + "/sub", "blocker");
    RecordingHost host;
    host.source = src;
    host.backup = bk;
    host.logPath = temp / "ErrorLog.txt";
    BackupEngine engine(host);
    engine.singleRun();
    const std::string entries = errorEntry(text::kCopyError, src + "/資料.txt") +
                                errorEntry(text::kFolderError, bk + "/sub");
    const auto expectedBytes = platform::toCodePage932(entries + "\r\n");
    ASSERT_TRUE(expectedBytes);
    EXPECT_EQ(readFile(host.logPath), *expectedBytes);
    EXPECT_TRUE(engine.errors().empty());
    EXPECT_EQ(readFile(bk + "/a.txt"), "a");
    EXPECT_EQ(host.captions.back(), text::kComplete);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].lines, std::vector<std::string>{host.logPath});
    EXPECT_EQ(boxText(host.messages[0]),
              std::string(text::kErrorsOccurred) + "\r\n" + host.logPath);
}

// The message names the log, says why it failed, and shows at most the first 20 entry lines.
TEST(ErrorReport, UnwritableLogShowsThePathAndTheFirstEntryLines) {
    for (const int subfolders : {0, 12}) {
        TempFolder temp;
        fs::create_directories(temp / "src");
        std::vector<std::string> lines{
            temp / "no such folder/ErrorLog.txt",
            std::make_error_code(std::errc::no_such_file_or_directory).message(),
            std::string(text::kFolderError), temp / "missing/bk"};
        for (int i = 10; i < 10 + subfolders; ++i) {
            fs::create_directories(temp / ("src/sub" + std::to_string(i)));
            lines.emplace_back(text::kFolderError);
            lines.push_back(temp / ("missing/bk/sub" + std::to_string(i)));
        }
        lines.resize(std::min<std::size_t>(lines.size(), 22));
        RecordingHost host;
        host.source = temp / "src";
        host.backup = temp / "missing/bk";
        host.logPath = lines[0];
        BackupEngine engine(host);
        engine.singleRun();
        EXPECT_TRUE(engine.errors().empty());
        EXPECT_FALSE(fs::exists(temp / "no such folder"));
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, text::kErrorLogUnwritable);
        EXPECT_EQ(host.messages[0].lines, lines) << subfolders;
    }
}

}  // namespace
}  // namespace sorvik::test
