// Which files a run copies, skips or creates empty, and that it never changes the source.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

constexpr long long kOld = 1'600'000'000;
constexpr long long kNew = kOld + 100;

struct Stamped {
    std::string bytes;
    long long time;
};

void put(const std::string& path, const Stamped& file) {
    writeFile(path, file.bytes);
    setModifiedTime(path, file.time);
}

TEST(FolderSync, DecisionTable) {
    enum Rules { none = 0, ext = 1, size = 2, time = 4, empty = 8 };
    struct Row {
        const char* what;
        int rules;
        Stamped source;
        std::optional<Stamped> backup;
        std::optional<std::string> expected;  // the backup file after the run
    } rows[] = {
        {"extension matches: left alone", ext, {"src", kOld}, {}, {}},
        {"extension matches, backup present", ext, {"longer", kNew}, {{"bk", kOld}}, "bk"},
        {"extension rule off: same file copied", none, {"src", kOld}, {}, "src"},
        {"backup absent: copied whatever the rules", size | time, {"src", kOld}, {}, "src"},
        {"size: backup larger", size, {"ab", kNew}, {{"abc", kOld}}, "abc"},
        {"size: equal sizes skip", size, {"ab", kNew}, {{"xy", kOld}}, "xy"},
        {"size: source larger", size, {"abc", kOld}, {{"x", kNew}}, "abc"},
        {"time: backup newer", time, {"abc", kOld}, {{"x", kNew}}, "x"},
        {"time: equal times skip", time, {"abc", kOld}, {{"x", kOld}}, "x"},
        {"time: source newer", time, {"a", kNew}, {{"xyz", kOld}}, "a"},
        {"neither rule: always replaced", none, {"a", kOld}, {{"newer and larger", kNew}}, "a"},
        {"both: larger only", size | time, {"abcd", kOld}, {{"x", kNew}}, "x"},
        {"both: newer only", size | time, {"a", kNew}, {{"xyz", kOld}}, "xyz"},
        {"both: larger and newer", size | time, {"abcd", kNew}, {{"x", kOld}}, "abcd"},
        // Files due to be copied are created empty instead.
        {"placeholder: missing", empty, {"abc", kOld}, {}, ""},
        {"placeholder: due", time | empty, {"abc", kNew}, {{"x", kOld}}, ""},
        {"placeholder: skipped", time | empty, {"abc", kOld}, {{"x", kNew}}, "x"},
    };
    // With other files beside it, a folder's files are looked up ahead, both sides at once.
    for (const int neighbours : {0, 8}) {
        for (const Row& row : rows) {
            TempFolder temp;
            put(temp / "src/report.BAK", row.source);
            for (int i = 0; i < neighbours; ++i) {
                put(temp / ("src/n" + std::to_string(i)), {"n", kOld});
                put(temp / ("bk/n" + std::to_string(i)), {"n", kOld});
            }
            fs::create_directories(temp / "bk");
            if (row.backup) {
                put(temp / "bk/report.BAK", *row.backup);
            }
            const auto sourceBefore = snapshotTree(temp / "src");
            const RunRecord run = runBackup(temp / "src", temp / "bk",
                                            {(row.rules & ext) != 0,
                                             (row.rules & size) != 0,
                                             (row.rules & time) != 0,
                                             (row.rules & empty) != 0,
                                             {"txt", "bak"}});
            EXPECT_EQ(run.entries, "") << row.what << " beside " << neighbours;
            EXPECT_EQ(snapshotTree(temp / "src"), sourceBefore) << row.what;
            // A caption shows each file written, and only those.
            const bool written =
                row.expected && (!row.backup || *row.expected != row.backup->bytes);
            EXPECT_EQ(std::count(run.captions.begin(), run.captions.end(), temp / "bk/report.BAK"),
                      written ? 1 : 0)
                << row.what;
            const std::string file = temp / "bk/report.BAK";
            EXPECT_EQ(fs::exists(file) ? std::optional(readFile(file)) : std::nullopt, row.expected)
                << row.what << " beside " << neighbours;
        }
    }
}

// End to end: a file link is backed up as the file it leads to, a Sorvik temporary in the
// source is not taken for a user file but a user's file that only looks like one is, and files
// only in the backup stay, lookalikes of temporaries among them, while a killed run's temporary
// goes, in every folder the run visits. A file is copied up to the size it had when it was opened:
// a generated file that reports none is copied empty, as one that grows is cut at its old size.
// (Which entries a listing keeps is the listing's own test.)
TEST(FolderSync, BacksUpExactlyTheOrdinaryFiles) {
    TempFolder temp;
    writeFile(temp / "src/.dotfile", "dot");
    writeFile(temp / "target.txt", "target bytes");
    fs::create_symlink(temp / "target.txt", temp / "src/link.txt");
    ASSERT_EQ(::mkfifo((temp / "src/fifo").c_str(), 0600), 0);
    writeFile(temp / "src/.sorvik-0123456789abcdef.tmp", "a temporary of a run into the source");
    writeFile(temp / "src/.sorvik-ab12CD", "a user's file");
    fs::create_symlink("/proc/self/stat", temp / "src/generated");
    writeFile(temp / "bk/only-in-backup.txt", "kept");
    for (const char* name : {".sorvik-Ab12Cd", ".sorvik-0123456789abcdef.tmpx",
                             ".sorvik-0123456789abcdef.tmp", "sub/.sorvik-zzzzzzzzzzzzzzzz.tmp"}) {
        writeFile(temp / (std::string("bk/") + name), "half-written");
    }
    writeFile(temp / "src/sub/f.txt", "f");
    writeFile(temp / "src/read-only.txt", "ro");
    // A FIFO on the backup side where a file is due is replaced, never opened.
    std::filesystem::create_directory(temp / "bk");
    ASSERT_EQ(::mkfifo((temp / "bk/.dotfile").c_str(), 0600), 0);
    ASSERT_EQ(::chmod((temp / "src/read-only.txt").c_str(), 0444), 0);
    const auto sourceBefore = snapshotTree(temp / "src");
    // The second run meets every backup file already there and replaces it.
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(runBackup(temp / "src", temp / "bk").entries, "");
        EXPECT_EQ(snapshotTree(temp / "src"), sourceBefore);
    }
    EXPECT_EQ(namesIn(temp / "bk"),
              ".dotfile .sorvik-0123456789abcdef.tmpx .sorvik-Ab12Cd .sorvik-ab12CD generated "
              "link.txt only-in-backup.txt read-only.txt sub");
    EXPECT_EQ(readFile(temp / "bk/read-only.txt") + readFile(temp / "bk/.dotfile"), "rodot");
    EXPECT_EQ(namesIn(temp / "bk/sub"), "f.txt");
    EXPECT_EQ(readFile(temp / "bk/generated"), "");
    EXPECT_FALSE(fs::is_symlink(temp / "bk/link.txt"));
    EXPECT_EQ(readFile(temp / "bk/link.txt"), "target bytes");
    EXPECT_EQ(readFile(temp / "bk/only-in-backup.txt"), "kept");
}

}  // namespace
}  // namespace sorvik::test
