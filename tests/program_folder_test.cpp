// The program folder: where it is, and the lock every Sorvik process takes on a folder around a
// run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/folder_lock.h"
#include "platform/program_folder.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, IsFoundCreatedOrRefused) {
#ifdef _WIN32
    GTEST_SKIP() << "the rows are the XDG and HOME rules, which hold on POSIX systems only";
#else
    const struct {
        const char* xdgDataHome;  // nullptr: unset
        const char* home;
        const char* inTheWay;  // a file there, or a link that leads nowhere when it ends in '>'
        const char* expected;  // the folder, or the error
    } rows[] = {
        {"@/data/deeper", "@/home", "", "@/data/deeper/Sorvik"},
        {nullptr, "@/home", "", "@/home/.local/share/Sorvik"},
        {"", "@/home", "", "@/home/.local/share/Sorvik"},
        {"relative/data", "@/home", "", "@/home/.local/share/Sorvik"},
        {"./data", "@/home/", "", "@/home/.local/share/Sorvik"},
        {nullptr, "@/home//", "", "@/home/.local/share/Sorvik"},
        {"@/data", "@/home", "data/Sorvik", "Not a directory"},
        {"@/data", "@/home", "data", "Not a directory"},
        {"@/data", "@/home", "data/Sorvik>", "Not a directory"},
        {nullptr, "@/home", "home/.local", "Not a directory"},
        {nullptr, "@/home", "home/.local/share>", "Not a directory"},
    };
    for (const auto& row : rows) {
        TempFolder temp;
        const auto inTemp = [&](std::string text) {
            return text.starts_with('@') ? text.replace(0, 1, temp.text()) : text;
        };
        fs::create_directory(temp / "home");
        std::string inTheWay = row.inTheWay;
        if (inTheWay.ends_with('>')) {
            inTheWay.pop_back();
            fs::create_directories(fs::path(temp / inTheWay).parent_path());
            fs::create_symlink("nowhere", temp / inTheWay);
        } else if (!inTheWay.empty()) {
            writeFile(temp / inTheWay, "in the way");
        }
        const auto before = snapshotTree(temp.text());
        // In a child, which may change its environment and its working folder (where a relative
        // value would be taken from) without restoring them.
        const auto report = inChild([&] {
            row.xdgDataHome ? ::setenv("XDG_DATA_HOME", inTemp(row.xdgDataHome).c_str(), 1)
                            : ::unsetenv("XDG_DATA_HOME");
            ::setenv("HOME", inTemp(row.home).c_str(), 1);
            fs::current_path(temp / "home");
            const auto folder = platform::programFolder();
            return folder ? *folder : folder.error().message();
        });
        ASSERT_TRUE(report);
        EXPECT_EQ(*report, inTemp(row.expected)) << row.xdgDataHome << " " << row.home;
        if (!report->starts_with('/')) {
            EXPECT_EQ(snapshotTree(temp.text()), before) << row.inTheWay;
            continue;
        }
        EXPECT_TRUE(fs::is_directory(*report));
        // Folders it makes are the user's alone; nothing else is touched.
        for (fs::path made = *report; made != temp.path() / "home" && made != temp.path();
             made = made.parent_path()) {
            struct stat st {};
            ASSERT_EQ(::stat(made.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 077, 0u) << made;
        }
        EXPECT_EQ(namesIn(temp.text()),
                  row.xdgDataHome && row.xdgDataHome[0] == '@' ? "data home" : "home");
    }
#endif
}

using platform::FolderLock;

// Tries to take the lock and lets it go at once: "free", "busy", "missing", "no folder" or why
// it failed.
std::string stateOf(const std::string& folder) {
    const auto lock = FolderLock::tryAcquire(folder);
    return lock                                                        ? "free"
           : lock.error() == std::errc::resource_unavailable_try_again ? "busy"
           : lock.error() == std::errc::no_such_file_or_directory      ? "missing"
           : lock.error() == std::errc::not_a_directory                ? "no folder"
                                                                       : lock.error().message();
}

// A second acquire fails while the first is held, however the folder is named, and no file
// appears in it; a folder that cannot be opened is an error.
TEST(FolderLock, IsExclusiveWhileHeld) {
    TempFolder temp;
    const std::string folder = temp / "held";
    std::filesystem::create_directory(folder);
    // The same folder by another name: a link, or on Windows another case and a trailing
    // separator (links take a privilege there).
    const std::string alias = kOnWindows ? temp / "HELD\\" : temp / "alias";
    if (!kOnWindows) {
        std::filesystem::create_directory_symlink(folder, alias);
    }
    writeFile(temp / "file", "");
    {
        const auto lock = FolderLock::tryAcquire(folder);
        ASSERT_TRUE(lock) << lock.error().message();
        EXPECT_EQ(stateOf(folder) + " " + stateOf(alias), "busy busy");
        EXPECT_EQ(namesIn(folder), "");
    }
    EXPECT_EQ(stateOf(folder), "free");
    EXPECT_EQ(stateOf(temp / "missing"), "missing");
    EXPECT_EQ(stateOf(temp / "file"), "no folder");
}

// A moved-from lock leaves the lock alone; a lock moved onto another gives that one up, and the
// last owner releases it once.
TEST(FolderLock, AMovedLockIsReleasedOnceByItsLastOwner) {
    TempFolder temp;
    const std::string folder = temp / "a";
    const std::string other = temp / "b";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(other);
    std::optional<FolderLock> kept;
    {
        auto first = FolderLock::tryAcquire(folder);
        ASSERT_TRUE(first) << first.error().message();
        kept.emplace(std::move(first).value());
    }
    EXPECT_EQ(stateOf(folder), "busy");
    auto second = FolderLock::tryAcquire(other);
    ASSERT_TRUE(second) << second.error().message();
    *second = std::move(*kept);
    EXPECT_EQ(stateOf(other), "free");
    kept.reset();
    EXPECT_EQ(stateOf(folder), "busy");
    { const auto ending = std::move(second); }
    EXPECT_EQ(stateOf(folder), "free");
}

}  // namespace
}  // namespace sorvik::test
