#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>

#include "engine/messages.h"
#include "platform/text_file.h"
#include "tests/support/child_process.h"
#include "tests/support/engine_run.h"
#include "tests/support/sorvik_cli.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {
namespace {

namespace text = engine::text;

void expectReport(const ChildOutcome& child, const std::string& expected) {
    if (child.end == ChildOutcome::End::skipped) {
        GTEST_SKIP() << child.report;
    }
    ASSERT_EQ(child.end, ChildOutcome::End::finished) << child.report;
    EXPECT_EQ(child.report, expected);
}

// A run that runs out of room: big.bin is to replace a small old backup, fresh.bin is new, and
// small.txt fits. The old backup has to come through byte for byte, and no temporary may stay.
struct FullDisk {
    static constexpr std::size_t kRoom = 64 * 1024;
    TempFolder temp;
    std::string source = temp / "src";

    FullDisk() {
        writeFile(source + "/big.bin", std::string(4 * kRoom, 'n'));
        writeFile(source + "/fresh.bin", std::string(4 * kRoom, 'f'));
        writeFile(source + "/small.txt", "fits\n");
        writeFile(source + "/tiny.txt", "1");  // a read of one byte is a whole file too
    }
    // Runs in the child, once the room is limited; `run` backs up and gives the error entries.
    std::string runInto(const std::string& backup, const std::function<std::string()>& run) const {
        writeFile(backup + "/big.bin", "old backup\n");
        const std::string entries = run();
        return entries + "backup: " + namesIn(backup) + "\nold: " + readFile(backup + "/big.bin") +
               "small: " + readFile(backup + "/small.txt") +
               "tiny: " + readFile(backup + "/tiny.txt");
    }
    std::string expected(const std::string& backup) const {
        return errorEntry(text::kDeleteError, backup + "/big.bin") +
               errorEntry(text::kCopyError, source + "/big.bin") +
               errorEntry(text::kCopyError, source + "/fresh.bin") +
               "backup: big.bin small.txt tiny.txt\nold: old backup\nsmall: fits\ntiny: 1";
    }
};

// The program itself must keep SIGXFSZ from killing it: writes past the limit then fail with EFBIG
// and become copy errors, and the run goes on.
TEST(FaultFullDisk, AFileSizeLimitLeavesTheOldBackupWhole) {
    const FullDisk scene;
    const std::string backup = scene.temp / "bk";
    const std::string log = scene.temp / "log.txt";
    const auto throughTheCommandLine = [&] {
        const CommandResult run =
            runCommand(sorvikCliCommand({"run", scene.source, backup, "--log", log, "--quiet"}));
        auto lines = platform::readTextLines(log);
        std::string entries = "exit " + std::to_string(run.status) + "\n";
        for (std::size_t i = 0; lines && i + 1 < lines->size(); ++i) {
            entries += (*lines)[i] + "\r\n";
        }
        return entries;
    };
    const auto limited = [&] {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = FullDisk::kRoom;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            throw ChildSkip(std::string("setrlimit: ") + std::strerror(errno));
        }
        return scene.runInto(backup, throughTheCommandLine);
    };
    expectReport(runInChild(limited), "exit 1\n" + scene.expected(backup));
}

TEST(FaultFullDisk, ASmallFileSystemLeavesTheOldBackupWhole) {
    const FullDisk scene;
    const std::string stick = scene.temp / "stick";
    const std::string backup = stick + "/bk";
    std::filesystem::create_directory(stick);
    const auto onSmallTmpfs = [&] {
        enterPrivateMountNamespace();
        if (::mount("tmpfs", stick.c_str(), "tmpfs", 0, "size=64k") != 0) {
            throw ChildSkip(std::string("cannot mount a small tmpfs: ") + std::strerror(errno));
        }
        return scene.runInto(backup, [&] { return runBackup(scene.source, backup).entries; });
    };
    expectReport(runInChild(onSmallTmpfs), scene.expected(backup));
}

// A walk that held every ancestor's handle open would run out of descriptors on a deep tree. With
// 16 descriptors, a tree deeper than the system's longest path backs up what can be reached,
// reports the folders past that, and ends.
TEST(FaultFewDescriptors, ADeepTreeBacksUpWhatItCanReachAndEnds) {
    TempFolder temp;
    const std::string source = temp / "src";
    const std::string backup = temp / "bk";
    writeFile(source + "/top.txt", "top");
    int folder = ::open(source.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < 400 && folder >= 0; ++level) {
        const int below = ::mkdirat(folder, "level-ten-chars", 0755) == 0
                              ? ::openat(folder, "level-ten-chars", O_RDONLY | O_DIRECTORY)
                              : -1;
        ::close(folder);
        folder = below;
    }
    ASSERT_GE(folder, 0) << "cannot build the deep tree";
    ::close(::openat(folder, "deep.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    ::close(folder);
    const auto withSixteenDescriptors = [&] {
        const rlimit limit{16, 16};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
            throw ChildSkip(std::string("setrlimit: ") + std::strerror(errno));
        }
        const RunRecord run = runBackup(source, backup);
        const bool onlyReadAndFolderErrors =
            run.entries.find(text::kCopyError) == std::string::npos &&
            run.entries.find(text::kDeleteError) == std::string::npos;
        return "copied " + std::to_string(run.stats.filesCopied) + ", folders " +
               std::to_string(run.stats.folders > 250) + ", errors " +
               std::to_string(run.stats.errors > 0) + ", only read and folder errors " +
               std::to_string(onlyReadAndFolderErrors) + ", top " + readFile(backup + "/top.txt");
    };
    const ChildOutcome child = runInChild(withSixteenDescriptors);
    // The standard library cannot remove paths this long; rm walks them by handle.
    runCommand("rm -rf '" + source + "' '" + backup + "'");
    expectReport(child, "copied 1, folders 1, errors 1, only read and folder errors 1, top top");
}

// Three runs with the time rule into `backup`, the second unchanged, the third after one file
// changed beyond any disk's precision: their entries, copy counts and what two backups hold.
std::string threeRuns(const std::string& source, const std::string& backup) {
    // Excluded files never reach the disk, so their names cannot collide.
    for (const char* name :
         {"A.txt", "a.txt", "B.bak", "b.bak", "sub/photo.jpg", "sub/private.txt"}) {
        writeFile(source + "/" + name, name);
        setModifiedTime(source + "/" + name, 1'700'000'001, 998'626'916);
    }
    ::chmod((source + "/sub/private.txt").c_str(), 0600);
    engine::RunOptions options;
    options.timeRule = options.extensionRule = true;
    options.excludedExtensions = {"bak"};
    const RunRecord first = runBackup(source, backup, options);
    const RunRecord second = runBackup(source, backup, options);
    setModifiedTime(source + "/sub/photo.jpg", 1'700'000'011);
    const RunRecord third = runBackup(source, backup, options);
    return first.entries + "copied " + std::to_string(first.stats.filesCopied) + ", then " +
           std::to_string(second.stats.filesCopied) + ", then " +
           std::to_string(third.stats.filesCopied) + "; private " +
           readFile(backup + "/sub/private.txt") + ", A " + readFile(backup + "/A.txt");
}

// What `threeRuns` gives on a disk: every file the first time (the private one too), nothing
// the second, the changed file the third; where case is folded, a.txt is an error, never an
// overwrite of A.txt.
std::string threeRunsOn(bool ignoresCase, const std::string& source) {
    return (ignoresCase ? errorEntry(text::kCopyError, source + "/a.txt") : "") + "copied " +
           (ignoresCase ? "3" : "4") + ", then 0, then 1; private sub/private.txt, A A.txt";
}

// Runs a shell command when the scope ends, however it ends: a check that throws must not leave
// a mount, a loop device or a server behind for the next test.
struct CleanUp {
    std::string command;
    ~CleanUp() { runCommand(command); }
};

void skipWithoutRootAndFuse() {
    if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "mounting needs root and /dev/fuse";
    }
}

// Backup disks as Linux users get them: an image mounted through the FUSE driver Debian uses for
// it. Each keeps times at its own precision and no POSIX modes, and some fold case.
TEST(FaultBackupDisk, TimesModesAndCaseOnUsbDisks) {
    const struct {
        const char* what;
        const char* make;   // IMAGE is the image file
        const char* mount;  // DEVICE is its loop device, FOLDER the mount point
        bool ignoresCase;
    } disks[] = {
        {"NTFS", "mkntfs -q -F -f IMAGE", "ntfs-3g DEVICE FOLDER", false},
        {"exFAT", "mkfs.exfat IMAGE", "mount.exfat-fuse DEVICE FOLDER", true},
        {"FAT32", "mkfs.fat -F 32 IMAGE", "fusefat -o rw+ DEVICE FOLDER", true},
    };
    skipWithoutRootAndFuse();
    for (const auto& disk : disks) {
        const std::string make = std::string(disk.make).substr(0, std::string(disk.make).find(' '));
        const std::string driver =
            std::string(disk.mount).substr(0, std::string(disk.mount).find(' '));
        if (runCommand("command -v " + make + " && command -v " + driver).status != 0) {
            GTEST_SKIP() << make << " or " << driver << " is not installed";
        }
        TempFolder temp;
        const std::string image = temp / "disk.img";
        const std::string stick = temp / "stick";
        std::filesystem::create_directory(stick);
        std::string device;
        const auto replaced = [&](std::string command) {
            for (const auto& [word, value] : {std::pair<std::string, std::string>{"IMAGE", image},
                                              {"FOLDER", stick},
                                              {"DEVICE", device}}) {
                if (const std::size_t at = command.find(word); at != std::string::npos) {
                    command.replace(at, word.size(), "'" + value + "'");
                }
            }
            return command;
        };
        const CommandResult made =
            runCommand("truncate -s 32M '" + image + "' && " + replaced(disk.make) +
                       " >/dev/null 2>&1 && " + "losetup -f --show '" + image + "'");
        if (made.status != 0) {
            GTEST_SKIP() << "cannot make a " << disk.what << " image on a loop device here";
        }
        device = made.output.substr(0, made.output.find('\n'));
        const CleanUp detach{"losetup -d " + device};
        const CommandResult mounted = runCommand(replaced(disk.mount) + " 2>&1");
        const CleanUp unmount{"umount '" + stick + "' 2>/dev/null"};
        const std::string report =
            mounted.status == 0 ? threeRuns(temp / "src", stick + "/bk") : mounted.output;
        EXPECT_EQ(report, threeRunsOn(disk.ignoresCase, temp / "src")) << disk.what;
    }
}

// A NAS share: a Samba server of the test's own on 127.0.0.1, mounted through smbnetfs. Times are
// checked in the shared folder itself: the mount's attribute cache shows the time that was asked
// for a while.
TEST(FaultBackupDisk, TimesAndCaseOnANasShare) {
    skipWithoutRootAndFuse();
    if (runCommand("command -v smbd && command -v smbnetfs").status != 0) {
        GTEST_SKIP() << "smbd or smbnetfs is not installed";
    }
    if (runCommand("bash -c 'exec 3<>/dev/tcp/127.0.0.1/445' 2>/dev/null").status == 0) {
        GTEST_SKIP() << "another server already listens on 127.0.0.1:445";
    }
    TempFolder temp;
    const std::string share = temp / "share";
    const std::string home = temp / "home";
    for (const char* folder : {"share", "state", "home/.smb", "mnt"}) {
        std::filesystem::create_directories(temp / folder);
    }
    writeFile(temp / "smb.conf",
              "[global]\ninterfaces = 127.0.0.1\nbind interfaces only = yes\nsmb ports = 445\n"
              "disable netbios = yes\nstate directory = " +
                  temp / "state" + "\nlock directory = " + temp / "state" +
                  "\nprivate dir = " + temp / "state" + "\npid directory = " + temp / "state" +
                  "\ncache directory = " + temp / "state" + "\nncalrpc dir = " + temp / "state" +
                  "\nlog file = " + temp / "state/log" +
                  "\nmap to guest = Bad User\nguest account = root\n"
                  "[backup]\npath = " +
                  share + "\nread only = no\nguest ok = yes\n");
    writeFile(home + "/.smb/smb.conf", "[global]\nsmb ports = 445\n");
    writeFile(home + "/.smb/smbnetfs.conf",
              "smb_query_browsers false\nhost 127.0.0.1 visible=true\nauth \"guest\" \"\"\n");
    ::chmod((home + "/.smb/smbnetfs.conf").c_str(), 0600);
    const CleanUp stop{"umount '" + temp / "mnt" + "' 2>/dev/null; kill $(cat '" +
                       temp / "state/smbd.pid" + "' 2>/dev/null) 2>/dev/null"};
    const CommandResult started = runCommand(
        "smbd -D -s '" + temp / "smb.conf" + "' 2>&1 && " + "HOME='" + home + "' smbnetfs '" +
        temp / "mnt" + "' 2>&1 && sleep 1 && ls '" + temp / "mnt" + "/127.0.0.1/backup' 2>&1");
    const std::string backup = temp / "mnt/127.0.0.1/backup/bk";
    const std::string report = started.status == 0 ? threeRuns(temp / "src", backup) : "";
    const long long kept = started.status == 0 ? modifiedTimeNs(share + "/bk/A.txt") : 0;
    if (started.status != 0) {
        GTEST_SKIP() << "cannot serve and mount a share here: " << started.output;
    }
    EXPECT_EQ(report, threeRunsOn(true, temp / "src"));
    EXPECT_EQ(kept / 1'000'000'000, 1'700'000'001) << "the server keeps the copy's time";
}

TEST(FaultPermissionDenied, UnreadableFileAndFolderAreRecordedAndTheRunGoesOn) {
    TempFolder temp;
    const std::string source = temp / "src";
    const std::string backup = temp / "bk";
    writeFile(source + "/after.txt", "after\n");
    writeFile(source + "/locked.txt", "secret\n");
    writeFile(source + "/ok.txt", "ok\n");
    writeFile(source + "/sealed/inner.txt", "inner\n");
    // The user the run becomes must reach the source and create the backup folder.
    ASSERT_EQ(::chmod(temp.path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(source.c_str(), 0755), 0);
    ASSERT_EQ(::chmod((source + "/locked.txt").c_str(), 0), 0);
    ASSERT_EQ(::chmod((source + "/sealed").c_str(), 0), 0);

    const auto asNobody = [&] {
        // Root reads everything: become nobody for good first, and make sure it took.
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            throw ChildSkip(std::string("cannot give up root: ") + std::strerror(errno));
        }
        if (const int fd = ::open((source + "/locked.txt").c_str(), O_RDONLY); fd >= 0) {
            throw ChildSkip("this process still reads a file of mode 000");
        }
        const RunRecord run = runBackup(source, backup);
        // Whether a sealed source lies inside the backup cannot be looked up: a read problem,
        // not an overlap, and the pair is refused.
        const RunRecord sealed = runBackup(source + "/sealed", backup);
        std::string message;
        for (const std::string& line : sealed.messages.at(0).lines) {
            message += line + "\n";
        }
        return run.entries + "after: " + readFile(backup + "/after.txt") +
               "ok: " + readFile(backup + "/ok.txt") + sealed.messages[0].text + "\n" + message;
    };
    expectReport(runInChild(asNobody), errorEntry(text::kReadError, source + "/sealed") +
                                           errorEntry(text::kCopyError, source + "/locked.txt") +
                                           "after: after\nok: ok\n" +
                                           std::string(text::kFileUnreadable) + "\n" + source +
                                           "/sealed\n" + std::strerror(EACCES) + "\n");
}

TEST(FaultFifo, AFifoInTheSourceTreeIsLeftOutAndNeverHangsARun) {
    TempFolder temp;
    const std::string source = temp / "src";
    const std::string backup = temp / "bk";
    writeFile(source + "/a.txt", "a\n");
    writeFile(source + "/sub/b.txt", "b\n");
    ASSERT_EQ(::mkfifo((source + "/pipe").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((source + "/sub/pipe").c_str(), 0644), 0);
    // A FIFO on the backup side where a file is due is replaced, not opened.
    std::filesystem::create_directory(backup);
    ASSERT_EQ(::mkfifo((backup + "/a.txt").c_str(), 0644), 0);
    const auto run = [&] {
        const RunRecord record = runBackup(source, backup);
        return record.entries + namesIn(backup) + " / " + namesIn(backup + "/sub") + "\n" +
               readFile(backup + "/a.txt");
    };
    expectReport(runInChild(run, 30), "a.txt sub / b.txt\na\n");
}

}  // namespace
}  // namespace sorvik::test
