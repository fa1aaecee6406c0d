#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/engine_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

struct Rules {
    const char* name;
    engine::RunOptions options;
};

void PrintTo(const Rules& rules, std::ostream* out) {
    *out << rules.name;
}

engine::RunOptions rules(bool size, bool time, bool placeholder) {
    engine::RunOptions options;
    options.sizeRule = size;
    options.timeRule = time;
    options.placeholder = placeholder;
    return options;
}

class SourceUntouched : public testing::TestWithParam<Rules> {};

TEST_P(SourceUntouched, ByRunsIntoABackupOutsideOrInsideIt) {
    TempFolder temp;
    const std::string source = temp / "src";
    writeFile(source + "/a.txt", "alpha\n");
    writeFile(source + "/B.bin", std::string("\0\x01\xFF zero", 8));
    writeFile(source + "/.profile", "dot\n");
    writeFile(source + "/empty", "");
    writeFile(source + "/日本語.txt", "にほんご\n");
    writeFile(source + "/.sorvik-Ab12Cd", "a user's file that only looks like a temporary\n");
    writeFile(source + "/sub/deep/c.txt", "gamma\n");
    writeFile(source + "/read-only.txt", "ro\n");
    ASSERT_EQ(::chmod((source + "/read-only.txt").c_str(), 0444), 0);
    setModifiedTime(source + "/a.txt", 1'600'000'000, 500'000'000);
    fs::create_symlink("a.txt", source + "/link");
    fs::create_symlink("sub", source + "/folder-link");
    ASSERT_EQ(::mkfifo((source + "/pipe").c_str(), 0644), 0);

    const std::string inside = source + "/sub/bk";
    const auto before = snapshotTree(source, inside);
    for (const std::string& backup : {temp / "bk", inside}) {
        // The second run meets every backup file already there, so the rules decide each one.
        for (int run = 1; run <= 2; ++run) {
            const RunRecord record = runBackup(source, backup, GetParam().options);
            EXPECT_EQ(record.entries, "") << backup << " run " << run;
            EXPECT_TRUE(record.messages.empty()) << backup << " run " << run;
            EXPECT_EQ(snapshotTree(source, inside), before) << backup << " run " << run;
        }
        EXPECT_TRUE(fs::exists(backup + "/sub/deep/c.txt")) << backup;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRuleSet, SourceUntouched,
                         testing::Values(Rules{"none", rules(false, false, false)},
                                         Rules{"size", rules(true, false, false)},
                                         Rules{"time", rules(false, true, false)},
                                         Rules{"sizeAndTime", rules(true, true, false)},
                                         Rules{"placeholder", rules(false, false, true)}),
                         [](const testing::TestParamInfo<Rules>& param) {
                             return param.param.name;
                         });

}  // namespace
}  // namespace sorvik::test
