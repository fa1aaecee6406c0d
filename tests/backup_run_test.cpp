// Single runs of the engine: the folder tree scan, captions, refused pairs, links, the report.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/folder_scan.h"
#include "platform/folder_lock.h"
#include "platform/path_lookup.h"
#include "platform/text_file.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;
using engine::BackupEngine;
using engine::FolderScan;
using engine::RunOutcome;
using Strings = std::vector<std::string>;

// A clean run shows its progress, holds the backup folder locked against other runs while it works
// and, with nothing to report, leaves an earlier log alone.
TEST(BackupRun, CleanRunShowsCaptionsInOrderAndLeavesTheLogAlone) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    writeFile(temp / "src/sub/b.txt", "b");
    fs::create_directories(temp / "src/sub2");
    writeFile(temp / "ErrorLog.txt", "log of an earlier run\r\n");
    setModifiedTime(temp / "ErrorLog.txt", 1'600'000'000);
    const auto logBefore = snapshotTree(temp.text(), temp / "src");
    struct LockWatchingHost : RecordingHost {
        void setCaption(std::string_view caption) override {
            RecordingHost::setCaption(caption);
            if (caption.ends_with(".txt")) {
                captions.back() += platform::FolderLock::tryAcquire(backup) ? " free" : " locked";
            }
        }
    } host;
    host.source = temp / "src";
    host.backup = temp / "bk";
    host.logPath = temp / "ErrorLog.txt";
    EXPECT_EQ(BackupEngine(host).singleRun(), RunOutcome::completed);
    const std::string bk = host.backup;
    EXPECT_EQ(host.captions,
              (Strings{std::string(text::kScanning), bk, systemPath(bk + "/a.txt locked"),
                       systemPath(bk + "/sub"), systemPath(bk + "/sub/b.txt locked"),
                       systemPath(bk + "/sub2"), std::string(text::kComplete)}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(readFile(temp / "bk/sub/b.txt"), "b");
    EXPECT_EQ(snapshotTree(temp.text(), temp / "src").at("ErrorLog.txt"),
              logBefore.at("ErrorLog.txt"));
}

// However many files a run works on at once, the user sees what a run of one file at a time
// shows: the same captions and error entries in the same order, and the same backup.
TEST(BackupRun, AnyNumberOfJobsReportsAsOneFileAtATime) {
    TempFolder temp;
    const std::string src = temp / "src";
    Strings folders;
    for (int d = 0; d < 6; ++d) {
        for (const std::string below : {"", "/e0", "/e1", "/e1/g"}) {
            folders.push_back("d" + std::to_string(d) + below);
        }
    }
    for (const std::string& folder : folders) {
        for (int i = 0; i < 15; ++i) {
            writeFile(src + "/" + folder + "/f" + std::to_string(i), std::string(i * 500, 'x'));
        }
    }
    // Workers still copy this when the run meets the folders after it.
    writeFile(src + "/d0/e0/big", std::string(std::size_t{8} << 20, 'b'));
    // A backup with a file where a folder goes, folders where files go, older and newer copies.
    const auto prepareBackup = [&](const std::string& bk) {
        writeFile(bk + "/d1", "a file where a folder goes");
        for (const char* name : {"/d0/e1/f3/x", "/d0/e1/f7/x", "/d5/f0/x"}) {
            writeFile(bk + name, "in the way");
        }
        for (int i = 0; i < 15; ++i) {
            for (const auto& [folder, time] :
                 {std::pair{"/d3/e0/", 1'600'000'000}, std::pair{"/d4/", 2'000'000'000}}) {
                writeFile(bk + folder + "f" + std::to_string(i), "other");
                setModifiedTime(bk + folder + "f" + std::to_string(i), time);
            }
        }
    };
    struct Seen {
        Strings captions;
        std::string entries;
        engine::RunStats stats;
        std::map<std::string, std::string> files;
    };
    const auto runWith = [&](unsigned jobs) {
        const std::string bk = temp / ("bk-" + std::to_string(jobs));
        prepareBackup(bk);
        RecordingHost host;
        host.source = src;
        host.backup = bk;
        host.runOptions.timeRule = true;
        BackupEngine engine(host);
        engine.requestJobs(jobs);
        engine.inBatch = true;
        engine.singleRun();
        Seen seen{host.captions, engine.errors().text(), engine.stats(), {}};
        for (const auto& [path, facts] : snapshotTree(bk)) {
            seen.files[path] = fs::is_regular_file(pathOf(bk + "/" + path))
                                   ? readFile(bk + "/" + path)
                                   : "(folder)";
        }
        // The backup's own name differs from run to run; nothing else may.
        const auto unnamed = [&](std::string text) {
            for (std::size_t at; (at = text.find(bk)) != std::string::npos;) {
                text.replace(at, bk.size(), "BK");
            }
            return text;
        };
        seen.entries = unnamed(seen.entries);
        for (std::string& caption : seen.captions) {
            caption = unnamed(caption);
        }
        return seen;
    };
    const Seen alone = runWith(1);
    EXPECT_EQ(alone.stats.errors, 4u + 3u);  // d1 and its three folders; three files in the way
    EXPECT_EQ(alone.stats.filesSkipped, 15u);
    for (const unsigned jobs : {2u, 7u}) {
        const Seen together = runWith(jobs);
        EXPECT_EQ(together.captions, alone.captions) << jobs << " jobs";
        EXPECT_EQ(together.entries, alone.entries) << jobs << " jobs";
        EXPECT_EQ(together.files, alone.files) << jobs << " jobs";
        EXPECT_EQ(together.stats.filesCopied, alone.stats.filesCopied) << jobs << " jobs";
        EXPECT_EQ(together.stats.bytesCopied, alone.stats.bytesCopied) << jobs << " jobs";
    }
}

// Another user of a shared backup (or source) folder swaps a folder the run has started on for a
// link to a folder of their own, at the moment the run shows the first file inside it. Nothing may
// be written into, or read from, the link's target at any depth; the folders below the swapped one
// are reported, and the next run, with the link gone, completes the backup.
TEST(BackupRun, AFolderSwappedForALinkDuringTheRunIsNeverFollowed) {
    SKIP_ON_WINDOWS("making a link takes a privilege on Windows");
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
    const Strings levels{"d", "d/s", "d/s/t", "d/s/t/u"};
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
            SwappingHost host;
            host.source = temp / "src";
            host.backup = bk;
            host.trigger = bk + "/" + levels[depth - 1] + "/f" + std::to_string(depth - 1);
            host.swapped = (backupSide ? bk : host.source) + "/" + levels[depth - 1];
            host.target = temp / "other";
            BackupEngine engine(host);
            // The swap must happen while the run is at the caption's file: with workers, the run
            // may already have gone further.
            engine.requestJobs(1);
            engine.inBatch = true;
            engine.singleRun();
            const std::string what = (backupSide ? "backup " : "source ") + std::to_string(depth);
            EXPECT_EQ(snapshotTree(temp / "other"), otherBefore) << what;
            std::string expected;
            for (std::size_t i = depth; i < levels.size(); ++i) {
                expected += backupSide
                                ? errorEntry(text::kFolderError, bk + "/" + levels[i])
                                : errorEntry(text::kReadError, host.source + "/" + levels[i]);
            }
            EXPECT_EQ(engine.errors().text(), expected) << what;
            // A batch step leaves the report to the batch, which writes the log, empties the
            // entries and tells once.
            EXPECT_NE(host.captions.back(), text::kComplete);
            EXPECT_TRUE(host.messages.empty());
            host.logPath = temp / "log.txt";
            engine.reportErrors();
            EXPECT_TRUE(engine.errors().empty() && fs::exists(host.logPath)) << what;
            EXPECT_EQ(host.captions.back(), text::kComplete);
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.messages[0].text, text::kErrorsOccurred);
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

// A backup folder inside the source is left out of the scan, so backups never nest, and the
// source stays as it was; a source written with doubled separators maps each folder to its place.
TEST(BackupRun, BackupFolderInsideTheSourceNeverNests) {
    TempFolder temp;
    writeFile(temp / "src/a.txt", "a");
    writeFile(temp / "src/sub/b.txt", "b");
    writeFile(temp / "src/-c/g.txt", "g");  // "-" sorts before the separator
    const auto before = snapshotTree(temp / "src");
    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(runBackup(temp / "src//", temp / "src/bk").entries, "");
    }
    EXPECT_EQ(snapshotTree(temp / "src", temp / "src/bk"), before);
    EXPECT_EQ(namesIn(temp / "src/bk"), "-c a.txt sub");
    EXPECT_EQ(namesIn(temp / "src/bk/-c") + namesIn(temp / "src/bk/sub"), "g.txtb.txt");
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
    struct Case {
        std::string source, backup;
        std::string_view message;
        Strings lines;
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
    const auto withNul = [](std::string path) { return path.append(1, '\0').append("x"); };
    std::vector<Case> cases{overlap(src, src),
                            overlap(src, systemPath(src + "/")),
                            overlap(src, systemPath(src + "/./")),
                            overlap(systemPath(src + "/"), temp / "x/../src"),
                            overlap(systemPath(src + "/sub"), src),
                            badBackup(""),
                            badBackup(systemPath("relative/bk")),
                            badBackup(temp / "plain.txt"),
                            badBackup(withNul(temp / "bk")),
                            badSource(""),
                            badSource(systemPath("relative/src")),
                            badSource(temp / "plain.txt"),
                            badSource(temp / "none"),
                            badSource(withNul(src))};
    if (kOnWindows) {
        cases.push_back(overlap(src, temp / "SRC"));  // names that differ in case only
    } else {
        // Windows has no FIFOs, and making a link takes a privilege there.
        fs::create_directory_symlink(src, temp / "srclink");
        fs::create_symlink(temp / "nowhere", temp / "dangling");
        makeFifo(temp / "fifo");
        cases.push_back(overlap(src, temp / "srclink"));
        cases.push_back(badBackup(temp / "fifo"));
        cases.push_back(badSource(temp / "dangling"));
    }
    const auto before = snapshotTree(temp.text());
    for (const Case& c : cases) {
        RecordingHost host;
        host.source = c.source;
        host.backup = c.backup;
        const RunOutcome expected =
            c.message == text::kSourceNotFound ? RunOutcome::sourceMissing : RunOutcome::refused;
        EXPECT_EQ(BackupEngine(host).singleRun(), expected) << c.source << " -> " << c.backup;
        ASSERT_EQ(host.messages.size(), 1u) << c.source << " -> " << c.backup;
        EXPECT_EQ(host.messages[0].text, c.message);
        EXPECT_EQ(host.messages[0].lines, c.lines);
        EXPECT_EQ(host.captions, Strings{std::string(text::kComplete)});
        EXPECT_EQ(snapshotTree(temp.text()), before) << c.source << " -> " << c.backup;
        EXPECT_FALSE(fs::exists("relative"));
    }
}

// The message names the log, says why it failed in the system's words (Windows gives its own, in
// its language), and shows at most the first 20 entry lines.
TEST(BackupRun, AnUnwritableLogShowsThePathAndTheFirstEntryLines) {
    for (const int subfolders : {0, 12}) {
        TempFolder temp;
        fs::create_directories(temp / "src");
        const std::error_code why =
            platform::writeTextLines(temp / "no such folder/ErrorLog.txt", {});
        ASSERT_EQ(why, std::errc::no_such_file_or_directory);
        Strings lines{temp / "no such folder/ErrorLog.txt", why.message(),
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
        EXPECT_EQ(boxText(host.messages[0])
                      .substr(0, text::kErrorLogUnwritable.size() + 2 + lines[0].size()),
                  std::string(text::kErrorLogUnwritable) + "\r\n" + lines[0]);
    }
}

Strings scan(const std::string& path, std::optional<platform::FileIdentity> excluded = {}) {
    RecordingHost host;
    FolderScan scanner(host);
    scanner.scan(path, excluded);
    EXPECT_TRUE(host.messages.empty()) << path;
    EXPECT_EQ(host.captions, Strings{std::string(text::kScanning)}) << path;
    return scanner.folders();
}

// Entry 0 is the text as given and stands first; every other entry is the source without its
// trailing separators, one separator and the names, each after its parent. Files do not count.
TEST(FolderScan, EntryZeroIsTheTextAsGivenAndOthersFollowTheirParents) {
    TempFolder temp;
    const std::string src = temp / "src";
    writeFile(temp / "lone/file.txt", "");
    EXPECT_EQ(scan(temp / "lone"), Strings{temp / "lone"});
    fs::create_directories(src + "/A/x");
    fs::create_directories(src + "/b");
    fs::create_directories(src + "/-c");  // "-" sorts before the separator
    std::vector<std::pair<std::string, std::string>> givenAndBase{
        {src, src}, {systemPath(src + "/"), src}, {systemPath(src + "//"), src}};
    if (!kOnWindows) {  // making a link takes a privilege there
        fs::create_directory_symlink("src", temp / "SRC");
        givenAndBase.emplace_back(temp / "SRC", temp / "SRC");
    }
    for (const auto& [given, base] : givenAndBase) {
        EXPECT_EQ(scan(given), (Strings{given, systemPath(base + "/-c"), systemPath(base + "/A"),
                                        systemPath(base + "/A/x"), systemPath(base + "/b")}));
    }
}

TEST(FolderScan, RootSourceGivesSlashNameStrings) {
#ifdef _WIN32
    GTEST_SKIP() << "no chroot on Windows, and scanning a real drive would walk all of it";
#else
    TempFolder temp;
    fs::create_directories(temp / "tmp/deep");
    fs::create_directories(temp / "Usr");
    // Scanning the real root would walk the whole machine: the child sees only this small tree.
    const auto report = inChild([&] {
        if (::chroot(temp.text().c_str()) != 0 || ::chdir("/") != 0) {
            throw ChildSkip(std::string("chroot: ") + std::strerror(errno));
        }
        std::string joined;
        for (const std::string& entry : scan("/")) {
            joined += entry + "|";
        }
        return joined;
    });
    if (report) {
        EXPECT_EQ(*report, "/|/tmp|/tmp/deep|/Usr|");
    }
#endif
}

TEST(FolderScan, LeavesOutFolderLinksAndTheExcludedFolder) {
    TempFolder temp;
    fs::create_directories(temp / "src/A/x");
    fs::create_directories(temp / "src/bk/A/x");
    fs::create_directories(temp / "outside/o");
    if (!kOnWindows) {  // making a link takes a privilege there
        fs::create_directory_symlink(temp / "src", temp / "src/A/up");
        fs::create_directory_symlink(temp / "outside", temp / "src/out");
    }
    const auto backup = platform::identityOf(temp / "src/bk");
    ASSERT_TRUE(backup);
    EXPECT_EQ(scan(temp / "src", *backup),
              (Strings{temp / "src", temp / "src/A", temp / "src/A/x"}));
}

}  // namespace
}  // namespace sorvik::test
