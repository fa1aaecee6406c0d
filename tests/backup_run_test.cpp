#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/messages.h"
#include "tests/support/engine_run.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tree_snapshot.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;
using engine::BackupEngine;
using engine::RunOutcome;
namespace text = engine::text;

std::string folderErrors(const std::vector<std::string>& folders) {
    std::string entries;
    for (const std::string& folder : folders) {
        entries += errorEntry(text::kFolderError, folder);
    }
    return entries;
}

// A clean run shows its progress and, with nothing to report, leaves an earlier log alone.
TEST(BackupRun, CleanRunShowsCaptionsInOrderAndLeavesTheLogAlone) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    writeFile(temp / "src/sub/b.txt", "b");
    fs::create_directories(temp / "src/sub2");
    writeFile(temp / "ErrorLog.txt", "log of an earlier run\r\n");
    setModifiedTime(temp / "ErrorLog.txt", 1'600'000'000);
    RecordingHost host;
    host.source = temp / "src";
    host.backup = temp / "bk";
    host.logPath = temp / "ErrorLog.txt";
    BackupEngine engine(host);
    EXPECT_EQ(engine.singleRun(), RunOutcome::completed);
    const std::string bk = host.backup;
    EXPECT_EQ(host.captions, (std::vector<std::string>{
                                 std::string(text::kScanning), bk, bk + "/a.txt", bk + "/sub",
                                 bk + "/sub/b.txt", bk + "/sub2", std::string(text::kComplete)}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(readFile(temp / "bk/sub/b.txt"), "b");
    EXPECT_EQ(readFile(host.logPath), "log of an earlier run\r\n");
    EXPECT_EQ(modifiedTimeNs(host.logPath), 1'600'000'000LL * 1'000'000'000);
}

TEST(BackupRun, UncreatableBackupFolderFailsEveryFolderWithItsOwnEntry) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    writeFile(temp / "src/sub/x/b.txt", "b");
    fs::create_directories(temp / "src/other");
    const std::string bk = temp / "missing/bk";
    EXPECT_EQ(runBackup(temp / "src", bk).entries,
              folderErrors({bk, bk + "/other", bk + "/sub", bk + "/sub/x"}));
    EXPECT_FALSE(fs::exists(temp / "missing"));
}

// A plain file or a link standing where a destination folder should be is never written through,
// nor are the folders below it.
TEST(BackupRun, FileOrLinkInPlaceOfADestinationFolderIsAFolderError) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    writeFile(temp / "src/sub/deeper/f.txt", "f");
    writeFile(temp / "src/linked/h.txt", "h");
    writeFile(temp / "src/linked/deeper/i.txt", "i");
    writeFile(temp / "bk/sub", "blocker");
    fs::create_directories(temp / "outside");
    fs::create_directory_symlink(temp / "outside", temp / "bk/linked");
    const std::string bk = temp / "bk";
    EXPECT_EQ(
        runBackup(temp / "src", bk).entries,
        folderErrors({bk + "/linked", bk + "/linked/deeper", bk + "/sub", bk + "/sub/deeper"}));
    EXPECT_TRUE(fs::is_empty(temp / "outside"));
    EXPECT_EQ(readFile(temp / "bk/sub"), "blocker");
    EXPECT_EQ(readFile(temp / "bk/a.txt"), "a");
}

// Another user of a shared backup (or source) folder swaps a folder the run has started on for a
// link to a folder of their own, at the moment the run shows the first file inside it. Nothing may
// be written into, or read from, the link's target at any depth; the folders below the swapped one
// are reported, and the next run, with the link gone, completes the backup.
TEST(BackupRun, AFolderSwappedForALinkDuringTheRunIsNeverFollowed) {
    struct SwappingHost : RecordingHost {
        std::string trigger, swapped, target;
        void setCaption(std::string_view caption) override {
            RecordingHost::setCaption(caption);
            if (caption == trigger) {
                fs::rename(swapped, swapped + ".moved");
                fs::create_directory_symlink(target, swapped);
            }
        }
    };
    const std::vector<std::string> levels{"d", "d/s", "d/s/t", "d/s/t/u"};
    for (const bool backupSide : {true, false}) {
        for (std::size_t depth = 1; depth <= 3; ++depth) {
            TempFolder temp;
            const std::string bk = temp / "bk";
            for (std::size_t i = 0; i < levels.size(); ++i) {
                writeFile(temp / ("src/" + levels[i] + "/f" + std::to_string(i)), "mine");
            }
            // The other folder looks like the tree below the swapped one, with files of its own.
            for (const char* other : {"s/t/u/x", "t/u/x", "u/x"}) {
                writeFile(temp / ("other/" + std::string(other)), "theirs");
            }
            const auto otherBefore = snapshotTree(temp / "other");
            const std::string swappedLevel = levels[depth - 1];
            SwappingHost host;
            host.source = temp / "src";
            host.backup = bk;
            host.trigger = bk + "/" + swappedLevel + "/f" + std::to_string(depth - 1);
            host.swapped = (backupSide ? bk : host.source) + "/" + swappedLevel;
            host.target = temp / "other";
            BackupEngine engine(host);
            engine.inBatch = true;
            engine.singleRun();
            const std::string what =
                (backupSide ? "backup" : "source") + std::string(" depth ") + std::to_string(depth);
            EXPECT_EQ(snapshotTree(temp / "other"), otherBefore) << what;
            std::string expected;
            for (std::size_t i = depth; i < levels.size(); ++i) {
                expected += backupSide
                                ? errorEntry(text::kFolderError, bk + "/" + levels[i])
                                : errorEntry(text::kReadError, host.source + "/" + levels[i]);
            }
            EXPECT_EQ(engine.errors().text(), expected) << what;
            for (const auto& [path, entry] : snapshotTree(bk)) {
                EXPECT_EQ(entry.find("theirs"), std::string::npos) << what << ": " << path;
            }
            fs::remove(host.swapped);
            fs::rename(host.swapped + ".moved", host.swapped);
            EXPECT_EQ(runBackup(host.source, bk).entries, "") << what;
            EXPECT_EQ(readFile(bk + "/d/s/t/u/f3"), "mine") << what;
        }
    }
}

TEST(BackupRun, BackupFolderInsideTheSourceNeverNests) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    writeFile(temp / "src/sub/b.txt", "b");
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(runBackup(temp / "src", temp / "src/bk").entries, "");
    }
    EXPECT_EQ(snapshotTree(temp / "src/bk").size(), 3u);  // a.txt, sub, sub/b.txt
    EXPECT_EQ(readFile(temp / "src/bk/sub/b.txt"), "b");
}

// A source written with doubled separators still maps each folder below it to its own place.
TEST(BackupRun, SourceWithDoubledTrailingSeparator) {
    TempFolder temp;
    writeFile(temp / "src/root.txt", "r");
    writeFile(temp / "src/A/f.txt", "f");
    writeFile(temp / "src/-c/g.txt", "g");
    EXPECT_EQ(runBackup(temp / "src//", temp / "bk").entries, "");
    EXPECT_EQ(namesIn(temp / "bk"), "-c A root.txt");
    EXPECT_EQ(namesIn(temp / "bk/A"), "f.txt");
    EXPECT_EQ(namesIn(temp / "bk/-c"), "g.txt");
}

// Every refused pair shows one message, writes nothing anywhere, not even files replaced by
// copies of themselves, and still ends the run.
TEST(BackupRun, RefusesPairsThatOverlapOrNameNoFolder) {
    TempFolder temp;
    const std::string src = temp / "src";
    writeFile(src + "/a.txt", "a");
    writeFile(src + "/sub/b.txt", "b");
    writeFile(temp / "plain.txt", "plain");
    fs::create_directories(temp / "x");
    fs::create_directory_symlink(src, temp / "srclink");
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    struct Case {
        std::string source, backup;
        std::string_view message;
        std::vector<std::string> lines;
    };
    const auto overlap = [](std::string source, std::string backup) {
        return Case{source, backup, text::kPairOverlaps, {source, backup}};
    };
    const auto badBackup = [&](std::string backup) {
        return Case{src, backup, text::kBadBackupFolder, {backup}};
    };
    const auto badSource = [&](std::string source) {
        return Case{source, temp / "bk", text::kSourceNotFound, {}};
    };
    // The system would read a path only up to a NUL: "bk" + NUL + "evil" would fill "bk".
    const auto withNul = [](std::string path, std::string_view rest) {
        return path.append(1, '\0').append(rest);
    };
    const auto before = snapshotTree(temp.path());
    for (const Case& c :
         {overlap(src, src), overlap(src, src + "/"), overlap(src, src + "/./"),
          overlap(src + "/", temp / "x/../src"), overlap(src, temp / "srclink"),
          overlap(src + "/sub", src), badBackup(""), badBackup("relative/bk"),
          badBackup(temp / "plain.txt"), badBackup(temp / "fifo"),
          badBackup(withNul(temp / "bk", "evil")), badSource(""), badSource("relative/src"),
          badSource(temp / "plain.txt"), badSource(temp / "none"), badSource(withNul(src, "x"))}) {
        RecordingHost host;
        host.source = c.source;
        host.backup = c.backup;
        BackupEngine engine(host);
        const RunOutcome expected =
            c.message == text::kSourceNotFound ? RunOutcome::sourceMissing : RunOutcome::refused;
        EXPECT_EQ(engine.singleRun(), expected) << c.source << " -> " << c.backup;
        ASSERT_EQ(host.messages.size(), 1u) << c.source << " -> " << c.backup;
        EXPECT_EQ(host.messages[0].text, c.message);
        EXPECT_EQ(host.messages[0].lines, c.lines);
        EXPECT_EQ(host.captions, std::vector<std::string>{std::string(text::kComplete)});
        EXPECT_EQ(snapshotTree(temp.path()), before) << c.source << " -> " << c.backup;
        EXPECT_FALSE(fs::exists("relative"));
    }
}

TEST(BackupRun, BatchModeLeavesTheReportToTheBatch) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    RecordingHost host;
    host.source = temp / "src";
    host.backup = temp / "missing/bk";
    host.logPath = temp / "ErrorLog.txt";
    BackupEngine engine(host);
    engine.inBatch = true;
    engine.singleRun();
    EXPECT_EQ(host.captions.back(), host.backup);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(fs::exists(host.logPath));
    EXPECT_EQ(engine.errors().text(), folderErrors({host.backup}));
    engine.reportErrors();
    EXPECT_EQ(host.captions.back(), text::kComplete);
    EXPECT_TRUE(fs::exists(host.logPath));
    EXPECT_TRUE(engine.errors().empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, text::kErrorsOccurred);
}

}  // namespace
}  // namespace sorvik::test
