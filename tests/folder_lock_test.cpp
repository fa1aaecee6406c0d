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
    if (lock) {
        return "free";
    }
    return lock.error() == std::errc::resource_unavailable_try_again ? "busy"
                                                                     : lock.error().message();
}

TEST(FolderLock, ASecondAcquireFailsWhileTheFirstIsHeldAndSucceedsOnceItIsGone) {
    TempFolder temp;
    const std::string folder = temp.path().string();
    std::filesystem::create_directory_symlink(folder, temp / "alias");
    {
        const auto lock = FolderLock::tryAcquire(folder);
        ASSERT_TRUE(lock) << lock.error().message();
        EXPECT_EQ(stateOf(folder), "busy");
        EXPECT_EQ(stateOf(temp / "alias"), "busy");  // the same folder, however it is named
        EXPECT_EQ(namesIn(folder), "alias");         // nothing new appears in the folder
    }
    EXPECT_EQ(stateOf(folder), "free");
}

TEST(FolderLock, AFolderThatCannotBeOpenedIsAnError) {
    TempFolder temp;
    writeFile(temp / "file", "");
    const struct {
        std::string path;
        std::errc error;
    } cases[] = {
        {temp / "missing", std::errc::no_such_file_or_directory},
        {temp / "file", std::errc::not_a_directory},
    };
    for (const auto& c : cases) {
        const auto lock = FolderLock::tryAcquire(c.path);
        ASSERT_FALSE(lock) << c.path;
        EXPECT_EQ(lock.error(), c.error) << c.path;
    }
}

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
    }  // the moved-from lock ends here and must leave the lock alone
    EXPECT_EQ(stateOf(folder), "busy");

    auto second = FolderLock::tryAcquire(other);
    ASSERT_TRUE(second) << second.error().message();
    *second = std::move(*kept);  // gives up `other`, takes over `folder`
    EXPECT_EQ(stateOf(other), "free");
    kept.reset();
    EXPECT_EQ(stateOf(folder), "busy");

    { const auto ending = std::move(second); }
    EXPECT_EQ(stateOf(folder), "free");
}

}  // namespace
}  // namespace sorvik::test
