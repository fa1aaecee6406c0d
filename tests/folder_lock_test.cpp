#include "platform/folder_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "tests/support/child_process.h"
#include "tests/support/engine_run.h"
#include "tests/support/temp_folder.h"

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

// A forked child that takes the lock and holds it until told to end. It ends with _exit(), never
// running the lock's destructor, so what releases its lock is the end of the process.
class ChildHoldingLock {
  public:
    explicit ChildHoldingLock(const std::string& folder) {
        int ready[2];
        int release[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) {
            return;
        }
        std::fflush(nullptr);
        pid_ = ::fork();
        if (pid_ < 0) {
            for (const int fd : {ready[0], ready[1], release[0], release[1]}) {
                ::close(fd);
            }
            return;
        }
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            ::alarm(60);
            const auto lock = FolderLock::tryAcquire(folder);
            const char said = lock ? 'y' : 'n';
            if (::write(ready[1], &said, 1) == 1) {
                char byte;
                while (::read(release[0], &byte, 1) < 0 && errno == EINTR) {
                }
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        ready_ = ready[0];
        release_ = release[1];
    }
    ChildHoldingLock(const ChildHoldingLock&) = delete;
    ChildHoldingLock& operator=(const ChildHoldingLock&) = delete;
    ~ChildHoldingLock() { end(); }

    // Waits for the child's attempt; true when it holds the lock.
    bool holds() {
        char said = 'n';
        while (::read(ready_, &said, 1) < 0 && errno == EINTR) {
        }
        return said == 'y';
    }
    // Tells the child to end and waits until it has.
    void end() {
        if (ready_ >= 0) {
            ::close(ready_);
            ready_ = -1;
        }
        if (release_ >= 0) {
            ::close(release_);
            release_ = -1;
        }
        if (pid_ > 0) {
            while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
            }
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
    int ready_ = -1;
    int release_ = -1;
};

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

TEST(FolderLock, ALockHeldByAnotherProcessIsSeenUntilThatProcessEnds) {
    TempFolder temp;
    const std::string folder = temp.path().string();
    ChildHoldingLock child(folder);
    ASSERT_TRUE(child.holds());
    EXPECT_EQ(stateOf(folder), "busy");
    child.end();
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
