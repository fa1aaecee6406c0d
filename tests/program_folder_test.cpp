#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "tests/support/child_process.h"
#include "tests/support/engine_run.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {
namespace {

using platform::programFolder;
using Setting = std::optional<std::string>;  // nullopt: the variable is unset

// Sets XDG_DATA_HOME and HOME for one case and puts back what was there before.
class Environment {
  public:
    Environment(const Setting& xdgDataHome, const Setting& home) {
        set("XDG_DATA_HOME", xdgDataHome);
        set("HOME", home);
    }
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            apply(it->first, it->second);
        }
    }

  private:
    static void apply(const char* name, const Setting& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    void set(const char* name, const Setting& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old != nullptr ? Setting(old) : std::nullopt);
        apply(name, value);
    }

    std::vector<std::pair<const char*, Setting>> saved_;
};

// Makes `folder` the current folder for one case and goes back afterwards.
class CurrentFolder {
  public:
    explicit CurrentFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    ~CurrentFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }

  private:
    std::filesystem::path previous_;
};

mode_t permissionBits(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(ProgramFolder, IsSorvikInsideAnAbsoluteXdgDataHomeCreatedWithItsParents) {
    TempFolder temp;
    const Environment environment(temp / "data/deeper", temp / "home");
    const auto folder = programFolder();
    ASSERT_TRUE(folder) << folder.error().message();
    EXPECT_EQ(*folder, temp / "data/deeper/Sorvik");
    EXPECT_TRUE(std::filesystem::is_directory(*folder));
    // Folders it makes are the user's alone; the home folder is not touched.
    EXPECT_EQ(permissionBits(temp / "data") & 077, 0u);
    EXPECT_EQ(permissionBits(*folder) & 077, 0u);
    EXPECT_EQ(namesIn(temp.path()), "data");
}

TEST(ProgramFolder, AnExistingFolderIsUsedAsItIsAndNoSeparatorIsLeftAtTheEnd) {
    TempFolder temp;
    std::filesystem::create_directories(temp / "data/Sorvik");
    writeFile(temp / "data/Sorvik/list.lst", "/a\r\n/b\r\n");
    ASSERT_EQ(::chmod((temp / "data").c_str(), 0751), 0);
    ASSERT_EQ(::chmod((temp / "data/Sorvik").c_str(), 0755), 0);
    const Environment environment(temp / "data//", std::nullopt);
    const auto folder = programFolder();
    ASSERT_TRUE(folder) << folder.error().message();
    EXPECT_EQ(*folder, temp / "data/Sorvik");
    EXPECT_EQ(permissionBits(temp / "data"), 0751u);
    EXPECT_EQ(permissionBits(*folder), 0755u);
    EXPECT_EQ(readFile(*folder + "/list.lst"), "/a\r\n/b\r\n");
}

TEST(ProgramFolder, WithoutAnAbsoluteXdgDataHomeItIsInsideTheHomeFolder) {
    const struct {
        Setting xdgDataHome;
        std::string homeSuffix;
    } cases[] = {
        {std::nullopt, ""}, {"", ""}, {"relative/data", ""}, {"./data", "/"}, {std::nullopt, "//"},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        const std::string home = temp / "home";
        std::filesystem::create_directory(home);
        // Relative values would be taken from the current folder; make that one of ours.
        const CurrentFolder current(temp / "home");
        const Environment environment(c.xdgDataHome, home + c.homeSuffix);
        const auto folder = programFolder();
        const std::string label = c.xdgDataHome.value_or("(unset)") + " " + c.homeSuffix;
        ASSERT_TRUE(folder) << label << ": " << folder.error().message();
        EXPECT_EQ(*folder, home + "/.local/share/Sorvik") << label;
        EXPECT_TRUE(std::filesystem::is_directory(*folder)) << label;
        EXPECT_EQ(namesIn(home), ".local") << label;
    }
}

TEST(ProgramFolder, SomethingOtherThanAFolderInTheWayIsAnError) {
    const struct {
        std::string file;  // inside the temporary folder
        bool link;         // a link that leads nowhere instead of a file
        bool useXdg;
    } cases[] = {
        {"data/Sorvik", false, true},       {"data", false, true},
        {"data/Sorvik", true, true},        {"home/.local", false, false},
        {"home/.local/share", true, false},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        std::filesystem::create_directory(temp / "home");
        const std::string path = temp / c.file;
        if (c.link) {
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            std::filesystem::create_symlink("nowhere", path);
        } else {
            writeFile(path, "in the way\n");
        }
        const Environment environment(c.useXdg ? Setting(temp / "data") : std::nullopt,
                                      temp / "home");
        const auto folder = programFolder();
        ASSERT_FALSE(folder) << c.file;
        EXPECT_EQ(folder.error(), std::errc::not_a_directory) << c.file;
        if (!c.link) {
            EXPECT_EQ(readFile(path), "in the way\n") << c.file;
        }
    }
}

TEST(ProgramFolder, WithoutHomeTheUserDatabaseNamesTheHomeFolder) {
    const passwd* user = ::getpwuid(::getuid());
    if (user == nullptr || user->pw_dir == nullptr || user->pw_dir[0] != '/') {
        GTEST_SKIP() << "this user has no home folder in the user database";
    }
    const std::string home = user->pw_dir;
    // A fresh tmpfs over the real home folder, seen only by the child, so nothing is left there.
    const auto inChild = [&] {
        enterPrivateMountNamespace();
        if (::mount("sorvik-test", home.c_str(), "tmpfs", 0, "size=1m") != 0) {
            throw ChildSkip("cannot mount a tmpfs on " + home + ": " + std::strerror(errno));
        }
        std::string report;
        for (const Setting& value : {Setting(std::nullopt), Setting("")}) {
            const Environment environment(std::nullopt, value);
            const auto folder = programFolder();
            report +=
                (folder ? *folder : folder.error().message()) + " " +
                (std::filesystem::is_directory(home + "/.local/share/Sorvik") ? "made" : "absent") +
                "\n";
        }
        return report;
    };
    const std::string expected = home + "/.local/share/Sorvik made\n";
    const ChildOutcome child = runInChild(inChild);
    if (child.end == ChildOutcome::End::skipped) {
        GTEST_SKIP() << child.report;
    }
    ASSERT_EQ(child.end, ChildOutcome::End::finished) << child.report;
    EXPECT_EQ(child.report, expected + expected);
}

}  // namespace
}  // namespace sorvik::test
