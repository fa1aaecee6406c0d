// Rules on path texts: destination folders, times, extensions, paths on another drive, and the
// drives the mount table lists.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/path_rules.h"
#include "engine/worker_count.h"
#include "platform/drive_path.h"
#include "platform/mounted_drives.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

using namespace engine;

TEST(WithTrailingSeparator, AppendsTheSeparatorOnlyWhenMissing) {
    struct Case {
        std::string in, out;
    } cases[] = {
#ifdef _WIN32
        {"C:\\a", "C:\\a\\"}, {"C:\\a\\", "C:\\a\\"}, {"", "\\"},
        {"D:\\", "D:\\"},     {"C:\\a/", "C:\\a/\\"},  // "/" is no separator of Sorvik's own
#else
        {"/a", "/a/"},
        {"/a/", "/a/"},
        {"", "/"},
        {"/a\\", "/a\\/"},
#endif
    };
    for (auto& c : cases) {
        EXPECT_EQ(withTrailingSeparator(c.in), c.out) << c.in;
    }
}

TEST(DestinationFolder, LandsInsideTheBackupFolderWithOneSeparator) {
    struct Case {
        std::string source, backup, entry, expected;
    } cases[] = {
#ifdef _WIN32
        {"C:\\src", "D:\\bk", "C:\\src\\a\\b", "D:\\bk\\a\\b"},
        {"C:\\src\\", "D:\\bk", "C:\\src\\a", "D:\\bk\\a"},
        {"C:\\src", "D:\\bk\\", "C:\\src\\a", "D:\\bk\\a"},
        // Entry 0 maps to the backup text unchanged.
        {"C:\\src\\", "D:\\bk", "C:\\src\\", "D:\\bk"},
        {"C:\\src", "D:\\", "C:\\src", "D:\\"},
        {"C:\\", "D:\\", "C:\\tmp", "D:\\tmp"},  // a drive's root ends in its separator
        {"C:\\", "D:\\bk", "C:\\tmp\\x", "D:\\bk\\tmp\\x"},
        {"\\\\nas\\share\\データ", "E:\\bk", "\\\\nas\\share\\データ\\写真", "E:\\bk\\写真"},
#else
        {"/src", "/bk", "/src/a/b", "/bk/a/b"},
        {"/src/", "/bk/", "/src/a", "/bk/a"},
        {"/src/", "/bk", "/src/a", "/bk/a"},
        {"/src", "/bk/", "/src/a", "/bk/a"},
        {"/src/", "/bk", "/src/", "/bk"},  // entry 0 maps to the backup text unchanged
        {"/src", "/bk/", "/src", "/bk/"},
        {"/データ/元", "/bk", "/データ/元/写真/旅行", "/bk/写真/旅行"},
        {"/", "/bk", "/tmp", "/bk/tmp"},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(destinationFolder(c.backup, c.entry, c.source.size()), c.expected)
            << c.source << " + " << c.backup << " : " << c.entry;
    }
}

TEST(IsSameOrNewer, ComparesAtTheCoarserGranularity) {
    using std::chrono::nanoseconds;
    constexpr std::int64_t s = 1'000'000'000;
    constexpr nanoseconds fine{1};
    constexpr nanoseconds fat{2 * s};
    struct Case {
        std::int64_t backup, source;
        nanoseconds granularity;
        bool expected;
    } cases[] = {
        {5 * s, 5 * s, fine, true},
        {5 * s + 1, 5 * s, fine, true},
        {5 * s - 1, 5 * s, fine, false},
        {10 * s, 11 * s + s / 2, fat, true},  // 1.5 s older, same two-second step
        {10 * s - 1, 10 * s, fat, false},     // 1 ns older, previous step
        {13 * s, 12 * s, fat, true},
        {-1, 0, fine, false},
        {-s, -s - s / 2, fat, true},  // both in the step [-2 s, 0)
        {-s / 2, s / 2, fat, false},  // steps round down, not towards zero
        {-2 * s - 1, -2 * s, fat, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isSameOrNewer(c.backup, c.source, c.granularity), c.expected)
            << c.backup << " vs " << c.source << " at " << c.granularity.count();
    }
}

TEST(HasExcludedExtension, TestsTheTextAfterTheLastDotIgnoringCase) {
    struct Case {
        std::string name;
        std::vector<std::string> excluded;
        bool expected;
    } cases[] = {
        {"report.BAK", {"bak"}, true},
        {"report.bak", {"BaK"}, true},
        {"report.bak", {".bak"}, false},
        {"bak", {"bak"}, false},
        {"README", {""}, false},
        {"archive.tar.gz", {"tar"}, false},
        {"archive.tar.gz", {"gz"}, true},
        {".profile", {"profile"}, true},
        {"report.", {""}, true},
        {"report.txt", {""}, false},
        {"report.txt", {"doc", "txt"}, true},
        {"report.txt", {}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hasExcludedExtension(c.name, c.excluded), c.expected) << c.name;
    }
}

using platform::pathOnDrive;

// POSIX: the mount point takes the place of as many leading components as it has itself.
// Windows: the drive takes the place of the first two characters, whatever they are.
// The user's count wins; left to the machine, rotating disks get one file at a time and network
// shares at most two workers.
TEST(WorkerCount, FollowsTheRequestOrTheCoresAndTheDisks) {
    using platform::StorageKind;
    constexpr StorageKind ssd = StorageKind::solidState, hdd = StorageKind::rotating,
                          net = StorageKind::network, unknown = StorageKind::unknown;
    const struct {
        unsigned requested, cores;
        StorageKind source, backup;
        unsigned workers;
    } rows[] = {
        {1, 16, ssd, ssd, 0},    {2, 1, hdd, hdd, 2},      {5, 2, net, ssd, 5}, {0, 4, ssd, ssd, 4},
        {0, 2, unknown, ssd, 2}, {0, 64, ssd, unknown, 8}, {0, 1, ssd, ssd, 0}, {0, 0, ssd, ssd, 0},
        {0, 8, hdd, ssd, 0},     {0, 8, ssd, hdd, 0},      {0, 8, net, ssd, 2}, {0, 8, ssd, net, 2},
        {0, 8, net, hdd, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(engine::workerCount(row.requested, row.cores, row.source, row.backup),
                  row.workers)
            << row.requested << " jobs, " << row.cores << " cores, " << static_cast<int>(row.source)
            << "/" << static_cast<int>(row.backup);
    }
}

TEST(PathOnDrive, ReplacesTheLeadingPartByTheDrive) {
    const struct {
        const char* path;
        const char* drive;
        const char* moved;
    } cases[] = {
#ifdef _WIN32
        {"C:\\data\\", "D:", "D:\\data\\"},
        {"C:\\写真\\旅行", "E:", "E:\\写真\\旅行"},
        {"C:\\", "D:", "D:\\"},
        {"C:", "D:", "D:"},
        {"C", "D:", "D:"},
        {"", "D:", "D:"},
        {"\\\\nas\\share", "D:", "D:nas\\share"},  // a share's two leading separators go too
        {"relative", "D:", "D:lative"},
#else
        {"/media/old/data/", "/media/usb", "/media/usb/data/"},
        {"/media/old/data/photos", "/media/usb", "/media/usb/data/photos"},
        {"/mnt/a/b", "/backup", "/backup/a/b"},
        {"/home/me/work/", "/srv/nas/share", "/srv/nas/share/"},
        // A folder with exactly the mount point's depth: its trailing separator stays.
        {"/media/old", "/media/usb", "/media/usb"},
        {"/media/old/", "/media/usb", "/media/usb/"},
        // Fewer components than the mount point: the mount point alone.
        {"/home", "/media/usb", "/media/usb"},
        {"/", "/media/usb", "/media/usb"},
        {"", "/media/usb", "/media/usb"},
        // The root has no components: the path keeps all of them, with one separator in front.
        {"/home/me/", "/", "/home/me/"},
        {"home/me", "/", "/home/me"},
        {"", "/", "/"},
        // Doubled separators in the path are no components, and no "//" appears at the joint.
        {"//media//old//data", "/media/usb", "/media/usb/data"},
        {"/a/b/c", "/mnt/", "/mnt/b/c"},
        // A path that is not absolute loses its first components all the same.
        {"data/photos/2024", "/mnt", "/mnt/photos/2024"},
        {"/写真/旅行/京都/", "/media/ユーザー", "/media/ユーザー/京都/"},
#endif
    };
    for (const auto& move : cases) {
        EXPECT_EQ(pathOnDrive(move.path, move.drive), move.moved)
            << '"' << move.path << "\" on \"" << move.drive << '"';
    }
}

// Real file systems once each, sorted after the root, which is there even when no real file
// system is listed; a table that cannot be read is an error.
TEST(MountedDrives, RealFileSystemsOnceEachSortedAfterTheRoot) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has drive letters, not a mount table";
#else
    TempFolder temp;
    const auto labels = [&](const std::string& table) {
        writeFile(temp / "mounts", table);
        std::string found;
        const auto drives = platform::drivesInMountTable(temp / "mounts");
        for (const platform::Drive& drive : drives.value()) {
            found += drive.designation + " = " + drive.label + "\n";
        }
        return found;
    };
    EXPECT_EQ(labels("proc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\n"
                     "/dev/sdb1 /media/Usb vfat rw 0 0\ntmpfs /run tmpfs rw 0 0\n"
                     "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n/dev/sda2 / ext4 rw 0 0\n"
                     "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
                     "overlay /var/lib/docker/x/merged overlay rw 0 0\n"
                     "/dev/sda1 /boot/efi vfat rw 0 0\nserver:/export /mnt/nas nfs4 rw 0 0\n"
                     "/dev/sdc1 /media/my\\040disk exfat rw 0 0\n/dev/sdb1 /media/Usb vfat rw 0 0\n"
                     "/dev/sdd1 /media/alpha ext4 rw 0 0\n"),
              "/ = / (ext4)\n/boot/efi = /boot/efi (vfat)\n/media/alpha = /media/alpha (ext4)\n"
              "/media/my disk = /media/my disk (exfat)\n/media/Usb = /media/Usb (vfat)\n"
              "/mnt/nas = /mnt/nas (nfs4)\n");
    EXPECT_EQ(labels("overlay / overlay rw 0 0\nproc /proc proc rw 0 0\n"), "/ = /\n");
    EXPECT_FALSE(platform::drivesInMountTable(temp / "missing"));
    EXPECT_EQ(platform::mountedDrives().front().designation, "/");
#endif
}

}  // namespace
}  // namespace sorvik::test
