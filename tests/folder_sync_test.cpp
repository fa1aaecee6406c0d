// Which files a run copies, skips or creates empty without changing the source; copying one
// file between two open folders, and what a folder listing shows.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>
// windows.h makes CopyFile a macro for CopyFileW; the CopyFile cases keep their name.
#undef CopyFile

#include <cstring>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <optional>

#include "platform/file_copy.h"
#include "platform/folder.h"
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
        const char* backupName = "report.BAK";
        unsigned sourceAttributes = 0, backupAttributes = 0;
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
#ifdef _WIN32
        // Names that differ in case only name one file. Hidden and system files are not the
        // user's to back up, and a backup file hidden so counts as absent.
        {"case: the backup by another case", time, {"abc", kOld}, {{"x", kNew}}, "x", "REPORT.bak"},
        {"case: replaced by another case", time, {"a", kNew}, {{"xyz", kOld}}, "a", "REPORT.bak"},
        {"hidden source: left alone", none, {"src", kOld}, {}, {}, "report.BAK", kHidden},
        {"system source: left alone",
         none,
         {"src", kOld},
         {{"bk", kOld}},
         "bk",
         "report.BAK",
         kSystem},
        {"hidden backup: absent",
         size,
         {"a", kOld},
         {{"xyz", kNew}},
         "a",
         "report.BAK",
         0,
         kHidden},
        {"system backup: absent",
         time,
         {"abc", kOld},
         {{"x", kNew}},
         "abc",
         "report.BAK",
         0,
         kSystem},
#endif
    };
    // With other files beside it, a folder's files are looked up ahead, both sides at once.
    for (const int neighbours : {0, 8}) {
        for (const Row& row : rows) {
            TempFolder temp;
            put(temp / "src/report.BAK", row.source);
            addAttributes(temp / "src/report.BAK", row.sourceAttributes);
            for (int i = 0; i < neighbours; ++i) {
                put(temp / ("src/n" + std::to_string(i)), {"n", kOld});
                put(temp / ("bk/n" + std::to_string(i)), {"n", kOld});
            }
            fs::create_directories(temp / "bk");
            if (row.backup) {
                put(temp / ("bk/" + std::string(row.backupName)), *row.backup);
                addAttributes(temp / ("bk/" + std::string(row.backupName)), row.backupAttributes);
            }
            const auto sourceBefore = snapshotTree(temp / "src");
            const RunRecord run = runBackup(temp / "src", temp / "bk",
                                            {(row.rules & ext) != 0,
                                             (row.rules & size) != 0,
                                             (row.rules & time) != 0,
                                             (row.rules & empty) != 0,
                                             {"txt", "bak"}});
            EXPECT_EQ(run.entries, "") << row.what << " beside " << neighbours;
            EXPECT_TRUE(run.messages.empty()) << row.what;
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
    SKIP_ON_WINDOWS("its sources are links, FIFOs and /proc files, which Windows does not have");
    TempFolder temp;
    writeFile(temp / "src/.dotfile", "dot");
    writeFile(temp / "target.txt", "target bytes");
    fs::create_symlink(temp / "target.txt", temp / "src/link.txt");
    makeFifo(temp / "src/fifo");
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
    makeFifo(temp / "bk/.dotfile");
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

using platform::CopyStep;
using platform::EntryKind;
using platform::Folder;
using Names = std::vector<std::string>;

Folder openFolder(const std::string& path) {
    auto folder = Folder::open(path);
    if (!folder) {
        throw std::system_error(folder.error(), path);
    }
    return std::move(folder).value();
}

mode_t permissionBits(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

struct TwoFolders {
    TempFolder temp;
    std::string from = temp / "from";
    std::string to = temp / "to";
    TwoFolders() {
        std::filesystem::create_directory(from);
        std::filesystem::create_directory(to);
    }
    platform::CopyResult copy(const std::string& source, const std::string& target) const {
        return platform::copyFile(openFolder(from), source, openFolder(to), target);
    }
};

TEST(CopyFile, KeepsTheBytesTheNanosecondTimeAndThePermissionBits) {
    TwoFolders t;
    std::string bytes;
    for (int i = 0; i < 300'000; ++i) {
        bytes += static_cast<char>(i * 7 % 251);  // zeros and high bytes included
    }
    writeFile(t.from + "/a.bin", bytes);
    if (!kOnWindows) {
        ASSERT_EQ(::chmod((t.from + "/a.bin").c_str(), 0751), 0);
    }
    setModifiedTime(t.from + "/a.bin", 1'600'000'000, 123'456'789);
    const auto result = t.copy("a.bin", "b.bin");
    ASSERT_FALSE(result.failed()) << result.error.message();
    EXPECT_EQ(result.bytesCopied, bytes.size());
    EXPECT_EQ(readFile(t.to + "/b.bin"), bytes);
    // Windows keeps times in steps of 100 ns, and files there have no POSIX permission bits.
    EXPECT_EQ(modifiedTimeNs(t.to + "/b.bin"),
              kOnWindows ? 1'600'000'000'123'456'700LL : 1'600'000'000'123'456'789LL);
    if (!kOnWindows) {
        EXPECT_EQ(permissionBits(t.to + "/b.bin"), 0751u);
    }
    EXPECT_EQ(namesIn(t.to), "b.bin");
}

// A sparse disk image must not fill the backup disk: only its data is copied, its holes stay.
TEST(CopyFile, KeepsTheHolesOfASparseFile) {
#ifdef _WIN32
    GTEST_SKIP()
        << "Windows keeps holes only in files marked sparse, and has no st_blocks to count";
#else
    TwoFolders t;
    const std::string source = t.from + "/disk.img";
    writeFile(source, "");
    std::filesystem::resize_file(source, 16 << 20);
    {
        std::fstream file(source, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(1 << 20);
        file << "data in the middle";
    }
    const auto blocks = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_blocks : -1;
    };
    if (blocks(source) * 512 >= (16 << 20)) {
        GTEST_SKIP() << "this file system keeps no holes";
    }
    const auto result = t.copy("disk.img", "disk.img");
    ASSERT_FALSE(result.failed()) << result.error.message();
    EXPECT_EQ(readFile(t.to + "/disk.img"), readFile(source));
    EXPECT_LE(blocks(t.to + "/disk.img"), blocks(source) + 64);
#endif
}

TEST(CopyFile, PutsANewFileUnderTheTargetNameInsteadOfWritingIntoTheOldOne) {
    TwoFolders t;
    writeFile(t.from + "/a", "new");
    writeFile(t.to + "/a", std::string(10'000, 'o'));
    // A second name of the old backup (a hard link, as snapshot tools make) keeps the old bytes.
    std::filesystem::create_hard_link(t.to + "/a", t.temp / "snapshot");
    ASSERT_FALSE(t.copy("a", "a").failed());
    EXPECT_EQ(readFile(t.to + "/a"), "new");
    EXPECT_EQ(readFile(t.temp / "snapshot"), std::string(10'000, 'o'));
    EXPECT_EQ(namesIn(t.to), "a");

    ASSERT_FALSE(platform::createEmptyFile(openFolder(t.to), "a").failed());
    EXPECT_EQ(readFile(t.to + "/a"), "");
    EXPECT_EQ(namesIn(t.to), "a");
}

TEST(CopyFile, AFifoOrAMissingSourceFailsAtOnceAndLeavesTheTargetAlone) {
    SKIP_ON_WINDOWS("Windows has no FIFOs");
    TwoFolders t;
    makeFifo(t.from + "/pipe");
    writeFile(t.to + "/pipe", "old");
    // Opening a FIFO for reading would wait for a writer for ever: the child is killed if so.
    const auto report = inChild(
        [&] {
            const auto fifo = t.copy("pipe", "pipe");
            const auto missing = t.copy("none", "pipe");
            return std::to_string(static_cast<int>(fifo.step)) + " " +
                   std::to_string(static_cast<int>(missing.step)) + " " +
                   std::to_string(missing.error.value());
        },
        20);
    const std::string readSource = std::to_string(static_cast<int>(CopyStep::readSource));
    EXPECT_EQ(report, readSource + " " + readSource + " " + std::to_string(ENOENT));
    EXPECT_EQ(readFile(t.to + "/pipe"), "old");
    EXPECT_EQ(namesIn(t.to), "pipe");
}

// One folder holding every kind of entry a listing has to sort out: ordinary files come in
// case-blind order with everything else left out, subfolders leave out links, only names of
// exactly the temporaries' form are leftovers, and file facts tell the kind.
TEST(FolderListing, SortsOutEveryKindOfEntry) {
    SKIP_ON_WINDOWS("its entries are links, FIFOs and sockets, and Wine shows dot files as hidden");
    TempFolder temp;
    const std::string path = temp / "f";
    const char* temporary = ".sorvik-0123456789abcdef.tmp";
    for (const char* name :
         {"c", "B", "a", ".dot", temporary, ".sorvik-Ab12Cd", ".sorvik-0123456789ABCDEF.tmp",
          ".sorvik-0123456789abcde.tmp", "x.sorvik-0123456789abcdef.tmp"}) {
        writeFile(path + "/" + name, name);
    }
    std::filesystem::create_directory(path + "/sub");
    std::filesystem::create_symlink("a", path + "/link-to-a");
    std::filesystem::create_symlink("sub", path + "/link-to-sub");
    std::filesystem::create_symlink("nowhere", path + "/dangling");
    makeFifo(path + "/fifo");
    makeSocket(path + "/socket");
    setModifiedTime(path + "/a", 1'500'000'000, 999'999'999);
    const Folder folder = openFolder(path);
    EXPECT_EQ(
        *folder.ordinaryFiles(),
        (Names{".dot", ".sorvik-0123456789abcde.tmp", ".sorvik-0123456789ABCDEF.tmp",
               ".sorvik-Ab12Cd", "a", "B", "c", "link-to-a", "x.sorvik-0123456789abcdef.tmp"}));
    EXPECT_EQ(*folder.subfolders(), Names{"sub"});
    EXPECT_EQ(*folder.leftoverTemporaries(), Names{temporary});
    struct stat st {};
    ASSERT_EQ(::stat((path + "/sub").c_str(), &st), 0);
    EXPECT_EQ(folder.identityOf("sub")->inode, st.st_ino);
    std::vector<EntryKind> kinds;
    for (const char* name : {"missing", "a/below-a-file", "sub", "dangling", "fifo", "link-to-a"}) {
        const auto info = folder.fileInfo(name);
        ASSERT_TRUE(info) << name << ": " << info.error().message();
        kinds.push_back(info->kind);
    }
    EXPECT_EQ(kinds, (std::vector{EntryKind::missing, EntryKind::missing, EntryKind::folder,
                                  EntryKind::missing, EntryKind::other, EntryKind::ordinaryFile}));
    EXPECT_EQ(folder.fileInfo("link-to-a")->size, 1u);
    EXPECT_EQ(folder.fileInfo("link-to-a")->modifiedNs, 1'500'000'000'999'999'999LL);
}

#ifdef _WIN32
// Windows' attributes decide what a listing keeps: hidden and system files are no ordinary files
// to back up, and one standing in a backup folder counts as missing, so the run writes it again.
// Hidden folders are walked; the protected ones (hidden and system at once) are not. A killed
// run's temporary goes whatever its attributes (Wine shows every dot name as hidden).
TEST(FolderListing, FollowsTheHiddenAndSystemAttributesOnWindows) {
    TempFolder temp;
    const std::string path = temp / "f";
    const struct Row {
        const char* name;
        bool folder;
        DWORD attributes;
        bool listed;
        EntryKind info;
    } rows[] = {
        {"plain", false, FILE_ATTRIBUTE_NORMAL, true, EntryKind::ordinaryFile},
        {"archived", false, FILE_ATTRIBUTE_ARCHIVE, true, EntryKind::ordinaryFile},
        {"hidden", false, FILE_ATTRIBUTE_HIDDEN, false, EntryKind::missing},
        {"system", false, FILE_ATTRIBUTE_SYSTEM, false, EntryKind::missing},
        {"sub", true, FILE_ATTRIBUTE_NORMAL, true, EntryKind::folder},
        {"hidden-sub", true, FILE_ATTRIBUTE_HIDDEN, true, EntryKind::folder},
        {"system-sub", true, FILE_ATTRIBUTE_SYSTEM, true, EntryKind::folder},
        {"protected-sub", true, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false,
         EntryKind::folder},
    };
    const char* temporary = ".sorvik-0123456789abcdef.tmp";
    writeFile(path + "\\" + temporary, "half-written");
    for (const Row& row : rows) {
        const std::string entry = path + "\\" + row.name;
        if (row.folder) {
            std::filesystem::create_directory(entry);
        } else {
            writeFile(entry, row.name);
        }
        ASSERT_TRUE(::SetFileAttributesW(std::filesystem::path(entry).c_str(), row.attributes))
            << row.name;
    }
    ASSERT_TRUE(::SetFileAttributesW(std::filesystem::path(path + "\\" + temporary).c_str(),
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const Folder folder = openFolder(path);
    const Names files = *folder.ordinaryFiles();
    Names subfolders = *folder.subfolders();
    for (const Row& row : rows) {
        const Names& listing = row.folder ? subfolders : files;
        EXPECT_EQ(std::count(listing.begin(), listing.end(), row.name), row.listed ? 1 : 0)
            << row.name;
        EXPECT_EQ(folder.fileInfo(row.name)->kind, row.info) << row.name;
    }
    EXPECT_EQ(*folder.leftoverTemporaries(), Names{temporary});
}

// Makes `junction` a junction (a mount point reparse point) to the folder `target`, as
// "mklink /J" does; false where the system cannot.
bool makeJunction(const std::string& junction, const std::string& target) {
    const std::wstring print = std::filesystem::path(target).wstring();
    const std::wstring substitute = L"\\??\\" + print;
    const std::size_t pathBytes = (substitute.size() + print.size() + 2) * sizeof(wchar_t);
    struct Header {
        DWORD tag;
        WORD dataLength;
        WORD reserved;
        WORD substituteOffset;
        WORD substituteLength;
        WORD printOffset;
        WORD printLength;
    } header{IO_REPARSE_TAG_MOUNT_POINT,
             static_cast<WORD>(4 * sizeof(WORD) + pathBytes),
             0,
             0,
             static_cast<WORD>(substitute.size() * sizeof(wchar_t)),
             static_cast<WORD>((substitute.size() + 1) * sizeof(wchar_t)),
             static_cast<WORD>(print.size() * sizeof(wchar_t))};
    std::vector<unsigned char> buffer(sizeof header + pathBytes, 0);
    std::memcpy(buffer.data(), &header, sizeof header);
    std::memcpy(buffer.data() + sizeof header, substitute.data(), header.substituteLength);
    std::memcpy(buffer.data() + sizeof header + header.printOffset, print.data(),
                header.printLength);
    const std::filesystem::path at(junction);
    if (!::CreateDirectoryW(at.c_str(), nullptr)) {
        return false;
    }
    const HANDLE handle =
        ::CreateFileW(at.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    const bool made =
        handle != INVALID_HANDLE_VALUE &&
        ::DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                          static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    const DWORD attributes = ::GetFileAttributesW(at.c_str());
    return made && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A junction below a top folder is not walked, listed or opened through, as a link is not on
// Linux; a top folder may be one, since the user chose it.
TEST(FolderListing, NeverGoesThroughAJunctionBelowTheTopOnWindows) {
    TempFolder temp;
    writeFile(temp / "elsewhere\\inside", "not to be reached");
    std::filesystem::create_directory(temp / "f");
    if (!makeJunction(temp / "f\\junction", temp / "elsewhere")) {
        GTEST_SKIP() << "this system cannot make a junction (Wine 8 cannot)";
    }
    const Folder folder = openFolder(temp / "f");
    EXPECT_EQ(*folder.subfolders(), Names{});
    EXPECT_EQ(*folder.ordinaryFiles(), Names{});
    for (const char* below : {"junction", "junction\\inside"}) {
        const auto opened = folder.openBelow(below);
        ASSERT_FALSE(opened) << below;
        EXPECT_EQ(opened.error(), std::errc::too_many_symbolic_link_levels) << below;
    }
    EXPECT_EQ(*folder.kindOf("junction"), EntryKind::link);
    EXPECT_EQ(folder.fileInfo("junction")->kind, EntryKind::other);
    EXPECT_EQ(*openFolder(temp / "f\\junction").ordinaryFiles(), Names{"inside"});
}
#endif

}  // namespace
}  // namespace sorvik::test

#ifdef _WIN32
namespace sorvik::test {
namespace {

// What NTFS keeps beside the bytes: the read-only attribute and a modification time in 100 ns
// steps (FILETIME ticks), read and set through Win32 itself.
struct WindowsFacts {
    DWORD attributes;
    long long ticks;
    bool operator==(const WindowsFacts&) const = default;
};

WindowsFacts windowsFactsOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(fs::path(path).c_str(), GetFileExInfoStandard, &data)) {
        return {0, -1};
    }
    return {data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                data.ftLastWriteTime.dwLowDateTime};
}

void setWindowsFacts(const std::string& path, const WindowsFacts& facts) {
    const HANDLE file = ::CreateFileW(fs::path(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    const FILETIME time{static_cast<DWORD>(facts.ticks), static_cast<DWORD>(facts.ticks >> 32)};
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &time));
    ::CloseHandle(file);
    EXPECT_TRUE(::SetFileAttributesW(
        fs::path(path).c_str(), facts.attributes == 0 ? FILE_ATTRIBUTE_NORMAL : facts.attributes));
}

// Read-only files cannot be deleted: the temporary folder could not go at the end.
void clearAttributesBelow(const std::string& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

bool underWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// 1,600,000,000 s after 1970 and 123,456,7 × 100 ns, in FILETIME ticks from 1601.
constexpr long long kTicks = (1'600'000'000LL + 11'644'473'600LL) * 10'000'000 + 1'234'567;

// The copy takes the source's time to the 100 ns and its read-only attribute (not its hidden
// one), and replaces a hidden old backup, whose attribute goes with it.
TEST(CopyFile, KeepsTheWindowsTimeAndReadOnlyAttribute) {
    const struct {
        const char* what;
        DWORD source;
        std::optional<DWORD> oldBackup;
        DWORD copy;
    } rows[] = {
        {"plain source", 0, {}, 0},
        {"read-only source", FILE_ATTRIBUTE_READONLY, {}, FILE_ATTRIBUTE_READONLY},
        {"hidden source", FILE_ATTRIBUTE_HIDDEN, {}, 0},
        {"hidden old backup", 0, FILE_ATTRIBUTE_HIDDEN, 0},
        {"hidden old backup, read-only source", FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN,
         FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& row : rows) {
        TwoFolders t;
        writeFile(t.from + "/a", "new");
        setWindowsFacts(t.from + "/a", {row.source, kTicks});
        if (row.oldBackup) {
            writeFile(t.to + "/a", "old backup");
            setWindowsFacts(t.to + "/a", {*row.oldBackup, kTicks - 10'000'000});
        }
        const auto result = t.copy("a", "a");
        EXPECT_FALSE(result.failed()) << row.what << ": " << result.error.message();
        EXPECT_EQ(readFile(t.to + "/a"), "new") << row.what;
        EXPECT_EQ(windowsFactsOf(t.to + "/a"), (WindowsFacts{row.copy, kTicks})) << row.what;
        EXPECT_EQ(windowsFactsOf(t.from + "/a"), (WindowsFacts{row.source, kTicks})) << row.what;
        EXPECT_EQ(namesIn(t.to), "a") << row.what;
        clearAttributesBelow(t.temp.path().string());
    }
}

// Windows refuses a rename onto a read-only file, and a backup of a read-only source is one:
// a copy must still replace it, and a failed replacement must leave it as it was, read-only.
TEST(CopyFile, ReplacesAReadOnlyOldBackup) {
    TwoFolders t;
    writeFile(t.from + "/a", "new");
    writeFile(t.to + "/a", "old backup");
    setWindowsFacts(t.to + "/a", {FILE_ATTRIBUTE_READONLY, kTicks});
    {
        // Held open by someone else, the old backup cannot be replaced.
        const HANDLE held = ::CreateFileW(fs::path(t.to + "/a").c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(t.copy("a", "a").step, CopyStep::replace);
        ::CloseHandle(held);
    }
    EXPECT_EQ(readFile(t.to + "/a"), "old backup");
    EXPECT_EQ(windowsFactsOf(t.to + "/a"), (WindowsFacts{FILE_ATTRIBUTE_READONLY, kTicks}));
    EXPECT_EQ(namesIn(t.to), "a");
    if (underWine()) {
        clearAttributesBelow(t.temp.path().string());
        GTEST_SKIP() << "Wine renames onto a read-only file as POSIX does, so the refusal the "
                        "rest of this case is about never happens there";
    }
    const auto result = t.copy("a", "a");
    EXPECT_FALSE(result.failed()) << result.error.message();
    EXPECT_EQ(readFile(t.to + "/a"), "new");
    EXPECT_EQ(windowsFactsOf(t.to + "/a").attributes, 0u);
    EXPECT_EQ(namesIn(t.to), "a");
    clearAttributesBelow(t.temp.path().string());
}
}  // namespace
}  // namespace sorvik::test
#endif
