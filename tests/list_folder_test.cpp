#include "lists/list_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_folder.h"

namespace sorvik::test {
namespace {

using lists::listFileNames;
using Names = std::vector<std::string>;

TEST(ListFolder, OrdinaryFilesEndingInLstInAnyCaseOrderedWithoutRegardToCase) {
    TempFolder temp;
    for (const char* name : {"b.lst", "A.lst", "c.LST", "写真.lst", "d.Lst"}) {
        writeFile(temp / name, "/a\r\n/b\r\n");
    }
    std::filesystem::create_symlink("b.lst", temp / "link.lst");
    const auto names = listFileNames(temp.path());
    ASSERT_TRUE(names) << names.error().message();
    EXPECT_EQ(*names, (Names{"A.lst", "b.lst", "c.LST", "d.Lst", "link.lst", "写真.lst"}));
}

TEST(ListFolder, LeavesOutEverythingThatIsNotAListFile) {
    TempFolder temp;
    writeFile(temp / "keep.lst", "");
    for (const char* name : {"x.lst.bak", "lst", "xlst", "notes.txt", ".sorvik-a1B2c3"}) {
        writeFile(temp / name, "");
    }
    std::filesystem::create_directory(temp / "y.lst");
    std::filesystem::create_symlink("y.lst", temp / "folder-link.lst");
    std::filesystem::create_symlink("nowhere", temp / "dangling.lst");
    ASSERT_EQ(::mkfifo((temp / "f.lst").c_str(), 0644), 0);
    makeSocket(temp / "s.lst");
    const auto names = listFileNames(temp.path());
    ASSERT_TRUE(names) << names.error().message();
    EXPECT_EQ(*names, Names{"keep.lst"});
}

TEST(ListFolder, AnEmptyFolderHasNoListsAndAPathThatIsNoFolderIsAnError) {
    TempFolder temp;
    const auto empty = listFileNames(temp.path());
    ASSERT_TRUE(empty) << empty.error().message();
    EXPECT_EQ(*empty, Names{});

    writeFile(temp / "file.lst", "");
    const struct {
        std::string path;
        std::errc error;
    } cases[] = {
        {temp / "missing", std::errc::no_such_file_or_directory},
        {temp / "file.lst", std::errc::not_a_directory},
    };
    for (const auto& c : cases) {
        const auto names = listFileNames(c.path);
        ASSERT_FALSE(names) << c.path;
        EXPECT_EQ(names.error(), c.error) << c.path;
    }
}

}  // namespace
}  // namespace sorvik::test
