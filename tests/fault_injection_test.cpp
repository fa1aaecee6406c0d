// Faults a plain temporary folder does not give: few descriptors, backup disks of other kinds, a
// network share, missing permissions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstring>

#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

// A walk that held every ancestor's handle open would run out of descriptors on a deep tree. With
// 16 descriptors, a tree deeper than the system's longest path backs up what can be reached,
// reports the folders past that, and ends.
TEST(FaultFewDescriptors, ADeepTreeBacksUpWhatItCanReachAndEnds) {
#ifdef _WIN32
    GTEST_SKIP() << "a process on Windows has no limit on its handles that it could lower";
#else
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
    const auto report = inChild([&] {
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
    });
    // The standard library cannot remove paths this long; rm walks them by handle.
    runCommand("rm -rf '" + source + "' '" + backup + "'");
    if (report) {
        EXPECT_EQ(*report, "copied 1, folders 1, errors 1, only read and folder errors 1, top top");
    }
#endif
}

// Three runs with the time rule into `backup`, the second unchanged, the third after one file
// changed beyond any disk's precision: their entries, copy counts and what two backups hold.
// Excluded files never reach the disk, so their names cannot collide. Every file is copied the
// first time (the private one too), nothing the second, the changed file the third; where case
// is folded, a.txt is an error, never an overwrite of A.txt.
void expectThreeRuns(const std::string& source, const std::string& backup, bool foldsCase) {
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
    EXPECT_EQ(first.entries + "copied " + std::to_string(first.stats.filesCopied) + ", then " +
                  std::to_string(second.stats.filesCopied) + ", then " +
                  std::to_string(third.stats.filesCopied) + "; private " +
                  readFile(backup + "/sub/private.txt") + ", A " + readFile(backup + "/A.txt"),
              (foldsCase ? errorEntry(text::kCopyError, source + "/a.txt") : "") + "copied " +
                  (foldsCase ? "3" : "4") + ", then 0, then 1; private sub/private.txt, A A.txt")
        << backup;
}

// Runs a shell command when the scope ends, however it ends: a check that throws must not leave
// a mount, a loop device or a server behind for the next test.
struct CleanUp {
    std::string command;
    ~CleanUp() { runCommand(command); }
};

bool haveRootAndFuse() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0 && ::access("/dev/fuse", R_OK | W_OK) == 0;
#endif
}

// Backup disks as Linux users get them: an image mounted through the FUSE driver Debian uses for
// it. Each keeps times at its own precision and no POSIX modes, and some fold case.
TEST(FaultBackupDisk, TimesModesAndCaseOnUsbDisks) {
    const struct {
        const char* what;
        std::string make;   // '%' is the image file
        std::string mount;  // '%' is its loop device, then the mount point
        bool foldsCase;
    } disks[] = {
        {"NTFS", "mkntfs -q -F -f %", "ntfs-3g", false},
        {"exFAT", "mkfs.exfat %", "mount.exfat-fuse", true},
        {"FAT32", "mkfs.fat -F 32 %", "fusefat -o rw+", true},
    };
    SKIP_ON_WINDOWS("the disks are images mounted through FUSE drivers, which are Linux's");
    if (!haveRootAndFuse()) {
        GTEST_SKIP() << "mounting needs root and /dev/fuse";
    }
    for (const auto& disk : disks) {
        const std::string make = disk.make.substr(0, disk.make.find(' '));
        const std::string driver = disk.mount.substr(0, disk.mount.find(' '));
        if (runCommand("command -v " + make + " && command -v " + driver).status != 0) {
            GTEST_SKIP() << make << " or " << driver << " is not installed";
        }
        TempFolder temp;
        const std::string image = temp / "disk.img";
        const std::string stick = temp / "stick";
        std::filesystem::create_directory(stick);
        const CommandResult made = runCommand(
            "truncate -s 32M '" + image + "' && " + disk.make.substr(0, disk.make.find('%')) + "'" +
            image + "' >/dev/null 2>&1 && " + "losetup -f --show '" + image + "'");
        if (made.status != 0) {
            GTEST_SKIP() << "cannot make a " << disk.what << " image on a loop device here";
        }
        const std::string device = made.output.substr(0, made.output.find('\n'));
        const CleanUp detach{"losetup -d " + device};
        const CommandResult mounted =
            runCommand(disk.mount + " " + device + " '" + stick + "' 2>&1");
        const CleanUp unmount{"umount '" + stick + "' 2>/dev/null"};
        ASSERT_EQ(mounted.status, 0) << disk.what << ": " << mounted.output;
        expectThreeRuns(temp / "src", stick + "/bk", disk.foldsCase);
    }
}

// A NAS share: a Samba server of the test's own on 127.0.0.1, mounted through smbnetfs. Times are
// checked in the shared folder itself: the mount's attribute cache shows the time that was asked
// for a while.
TEST(FaultBackupDisk, TimesAndCaseOnANasShare) {
    SKIP_ON_WINDOWS("the share is served by smbd and mounted through smbnetfs, which are Linux's");
    if (!haveRootAndFuse() || runCommand("command -v smbd && command -v smbnetfs").status != 0) {
        GTEST_SKIP() << "needs root, /dev/fuse, smbd and smbnetfs";
    }
    if (runCommand("bash -c 'exec 3<>/dev/tcp/127.0.0.1/445' 2>/dev/null").status == 0) {
        GTEST_SKIP() << "another server already listens on 127.0.0.1:445";
    }
    TempFolder temp;
    const std::string state = temp / "state";
    for (const char* folder : {"share", "state", "home/.smb", "mnt"}) {
        std::filesystem::create_directories(temp / folder);
    }
    std::string conf =
        "[global]\ninterfaces = 127.0.0.1\nbind interfaces only = yes\n"
        "smb ports = 445\ndisable netbios = yes\nlog file = " +
        state + "/log\n";
    for (const char* setting : {"state directory", "lock directory", "private dir", "pid directory",
                                "cache directory", "ncalrpc dir"}) {
        conf += std::string(setting) + " = " + state + "\n";
    }
    writeFile(temp / "smb.conf", conf +
                                     "map to guest = Bad User\nguest account = root\n"
                                     "[backup]\npath = " +
                                     temp / "share" + "\nread only = no\nguest ok = yes\n");
    writeFile(temp / "home/.smb/smb.conf", "[global]\nsmb ports = 445\n");
    writeFile(temp / "home/.smb/smbnetfs.conf",
              "smb_query_browsers false\nhost 127.0.0.1 visible=true\nauth \"guest\" \"\"\n");
    ::chmod((temp / "home/.smb/smbnetfs.conf").c_str(), 0600);
    const CleanUp stop{"umount '" + temp / "mnt" + "' 2>/dev/null; kill $(cat '" + state +
                       "/smbd.pid' 2>/dev/null) 2>/dev/null"};
    const CommandResult started = runCommand(
        "smbd -D -s '" + temp / "smb.conf" + "' 2>&1 && HOME='" + temp / "home" + "' smbnetfs '" +
        temp / "mnt" + "' 2>&1 && sleep 1 && ls '" + temp / "mnt" + "/127.0.0.1/backup' 2>&1");
    if (started.status != 0) {
        GTEST_SKIP() << "cannot serve and mount a share here: " << started.output;
    }
    expectThreeRuns(temp / "src", temp / "mnt/127.0.0.1/backup/bk", true);
    EXPECT_EQ(modifiedTimeNs(temp / "share/bk/A.txt") / 1'000'000'000, 1'700'000'001)
        << "the server keeps the copy's time";
}

TEST(FaultPermissionDenied, UnreadableFileAndFolderAreRecordedAndTheRunGoesOn) {
    SKIP_ON_WINDOWS(
        "the rows are POSIX permission bits and a user without root's powers; Wine "
        "does not enforce Windows access control lists either");
    TempFolder temp;
    const std::string source = temp / "src";
    const std::string backup = temp / "bk";
    writeFile(source + "/after.txt", "after\n");
    writeFile(source + "/locked.txt", "secret\n");
    writeFile(source + "/ok.txt", "ok\n");
    writeFile(source + "/sealed/inner.txt", "inner\n");
    // The user the run becomes must reach the source and create the backup folder.
    ASSERT_EQ(::chmod(temp.text().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(source.c_str(), 0755), 0);
    ASSERT_EQ(::chmod((source + "/locked.txt").c_str(), 0), 0);
    ASSERT_EQ(::chmod((source + "/sealed").c_str(), 0), 0);
    const auto report = inChild([&] {
        becomeNobody();
        if (::access((source + "/locked.txt").c_str(), R_OK) == 0) {
            throw ChildSkip("this process still reads a file of mode 000");
        }
        const RunRecord run = runBackup(source, backup);
        // Whether a sealed source lies inside the backup cannot be looked up: a read problem,
        // not an overlap, and the pair is refused.
        const RunRecord sealed = runBackup(source + "/sealed", backup);
        std::string message = sealed.messages.at(0).text;
        for (const std::string& line : sealed.messages[0].lines) {
            message += "\n" + line;
        }
        return run.entries + "after: " + readFile(backup + "/after.txt") +
               "ok: " + readFile(backup + "/ok.txt") + message;
    });
    if (report) {
        EXPECT_EQ(*report, errorEntry(text::kReadError, source + "/sealed") +
                               errorEntry(text::kCopyError, source + "/locked.txt") +
                               "after: after\nok: ok\n" + std::string(text::kFileUnreadable) +
                               "\n" + source + "/sealed\n" + std::strerror(EACCES));
    }
}

}  // namespace
}  // namespace sorvik::test
