// The lock every Sorvik process takes on a folder around a run.
#include "platform/folder_lock.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

using platform::FolderLock;

// Tries to take the lock and lets it go at once: "free", "busy" or why it failed.
std::string stateOf(const std::string& folder) {
    const auto lock = FolderLock::tryAcquire(folder);
    return lock                                                        ? "free"
           : lock.error() == std::errc::resource_unavailable_try_again ? "busy"
                                                                       : lock.error().message();
}

// A second acquire fails while the first is held, however the folder is named, and no file
// appears in it; a folder that cannot be opened is an error.
TEST(FolderLock, IsExclusiveWhileHeld) {
    TempFolder temp;
    const std::string folder = temp.path().string();
    std::filesystem::create_directory_symlink(folder, temp / "alias");
    writeFile(temp / "file", "");
    {
        const auto lock = FolderLock::tryAcquire(folder);
        ASSERT_TRUE(lock) << lock.error().message();
        EXPECT_EQ(stateOf(folder) + " " + stateOf(temp / "alias"), "busy busy");
        EXPECT_EQ(namesIn(folder), "alias file");
    }
    EXPECT_EQ(stateOf(folder), "free");
    EXPECT_EQ(stateOf(temp / "missing"), "No such file or directory");
    EXPECT_EQ(stateOf(temp / "file"), "Not a directory");
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
