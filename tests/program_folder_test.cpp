// Where the program keeps its files: $XDG_DATA_HOME/Sorvik when that is absolute, else
// ~/.local/share/Sorvik, created with its parents for the user alone.
#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, IsFoundCreatedOrRefused) {
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
            return text.starts_with('@') ? text.replace(0, 1, temp.path().string()) : text;
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
        const auto before = snapshotTree(temp.path());
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
            EXPECT_EQ(snapshotTree(temp.path()), before) << row.inTheWay;
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
        EXPECT_EQ(namesIn(temp.path()),
                  row.xdgDataHome && row.xdgDataHome[0] == '@' ? "data home" : "home");
    }
}

}  // namespace
}  // namespace sorvik::test
