#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/drive_path.h"
#include "platform/mounted_drives.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {
namespace {

using platform::pathOnDrive;

struct DriveMove {
    const char* path;
    const char* drive;
    const char* moved;
};

// The mount point takes the place of as many leading components as it has itself.
TEST(PathOnDrive, ReplacesAsManyLeadingComponentsAsTheMountPointHas) {
    const DriveMove cases[] = {
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
    };
    for (const DriveMove& move : cases) {
        EXPECT_EQ(pathOnDrive(move.path, move.drive), move.moved)
            << '"' << move.path << "\" on \"" << move.drive << '"';
    }
}

std::vector<std::string> designations(const std::vector<platform::Drive>& drives) {
    std::vector<std::string> names;
    for (const platform::Drive& drive : drives) {
        names.push_back(drive.designation);
    }
    return names;
}

TEST(MountedDrives, RealFileSystemsOnceEachSortedAfterTheRoot) {
    TempFolder temp;
    const std::string table = temp / "mounts";
    writeFile(table,
              "proc /proc proc rw 0 0\n"
              "sysfs /sys sysfs rw 0 0\n"
              "/dev/sdb1 /media/Usb vfat rw 0 0\n"
              "tmpfs /run tmpfs rw 0 0\n"
              "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
              "/dev/sda2 / ext4 rw 0 0\n"
              "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
              "overlay /var/lib/docker/x/merged overlay rw 0 0\n"
              "/dev/sda1 /boot/efi vfat rw 0 0\n"
              "server:/export /mnt/nas nfs4 rw 0 0\n"
              "/dev/sdc1 /media/my\\040disk exfat rw 0 0\n"
              "/dev/sdb1 /media/Usb vfat rw 0 0\n"
              "/dev/sdd1 /media/alpha ext4 rw 0 0\n");
    const auto drives = platform::drivesInMountTable(table);
    ASSERT_TRUE(drives) << drives.error().message();
    EXPECT_EQ(designations(*drives),
              (std::vector<std::string>{"/", "/boot/efi", "/media/alpha", "/media/my disk",
                                        "/media/Usb", "/mnt/nas"}));
    EXPECT_EQ(drives->front().label, "/ (ext4)");
    EXPECT_EQ(drives->at(3).label, "/media/my disk (exfat)");
}

TEST(MountedDrives, TheRootIsThereWhenNoRealFileSystemIsListed) {
    TempFolder temp;
    const std::string table = temp / "mounts";
    writeFile(table, "overlay / overlay rw 0 0\nproc /proc proc rw 0 0\n");
    const auto drives = platform::drivesInMountTable(table);
    ASSERT_TRUE(drives);
    EXPECT_EQ(designations(*drives), std::vector<std::string>{"/"});
    EXPECT_FALSE(platform::drivesInMountTable(temp / "missing"));
    EXPECT_EQ(designations(platform::mountedDrives()).front(), "/");
}

}  // namespace
}  // namespace sorvik::test
