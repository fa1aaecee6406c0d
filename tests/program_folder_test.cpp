#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "tests/support/harness.h"

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

}  // namespace
}  // namespace sorvik::test
