#include "lists/list_append.h"

#include <gtest/gtest.h>

#include "lists/list_file.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

using lists::appendPairToList;
using Step = lists::ListEditFailure::Step;

constexpr std::string_view kTwoPairs = "/a\r\n/b\r\n/c\r\n/d\r\n";

TEST(ListAppend, AddsTheLinesAtTheEndAndLeavesNoWorkCopy) {
    TempFolder temp;
    const std::string list = temp / "daily.lst";
    writeFile(list, kTwoPairs);
    ASSERT_FALSE(appendPairToList(list, {"/e", "/f"}));
    ASSERT_FALSE(appendPairToList(list, {"", ""}));
    EXPECT_EQ(readFile(list), std::string(kTwoPairs) + "/e\r\n/f\r\n\r\n\r\n");
    EXPECT_EQ(namesIn(temp.path()), "daily.lst");
}

TEST(ListAppend, AMissingListIsEmptyAndAStaleWorkCopyIsReplaced) {
    TempFolder temp;
    const std::string list = temp / "new.lst";
    writeFile(lists::workCopyPath(list), "/left/over\r\n/by/a/crash\r\n");
    ASSERT_FALSE(appendPairToList(list, {"/src", "/bk"}));
    EXPECT_EQ(readFile(list), "/src\r\n/bk\r\n");
    EXPECT_EQ(namesIn(temp.path()), "new.lst");
}

// A last line without its partner is completed before the new pair, so the pairs stay in step.
TEST(ListAppend, AnUnpairedLastLineKeepsTheNewPairInStep) {
    TempFolder temp;
    const std::string list = temp / "odd.lst";
    writeFile(list, "/a\r\n/b\r\n/c\r\n");
    ASSERT_FALSE(appendPairToList(list, {"/e", "/f"}));
    const auto pairs = lists::readListFile(list);
    ASSERT_TRUE(pairs);
    ASSERT_EQ(pairs->size(), 3u);
    EXPECT_EQ(pairs->back().source, "/e");
    EXPECT_EQ(pairs->back().backup, "/f");
}

TEST(ListAppend, AWorkCopyThatCannotBeWrittenLeavesTheListAlone) {
    TempFolder temp;
    const std::string list = temp / "daily.lst";
    writeFile(list, kTwoPairs);
    // A folder under the work copy's name cannot be replaced by a file, not even by root.
    writeFile(temp / "daily.lst-/keep", "x");
    const auto failure = appendPairToList(list, {"/e", "/f"});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->step, Step::writeWorkCopy);
    EXPECT_EQ(failure->path, lists::workCopyPath(list));
    EXPECT_EQ(readFile(list), kTwoPairs);
    EXPECT_EQ(readFile(temp / "daily.lst-/keep"), "x");
}

TEST(ListAppend, AListThatDoesNotDecodeIsNeitherCopiedNorRewritten) {
    TempFolder temp;
    const std::string list = temp / "daily.lst";
    const std::string notText = "/a\r\n\x82\r\n";  // a lead byte cut off by the line end
    writeFile(list, notText);
    const auto failure = appendPairToList(list, {"/e", "/f"});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->step, Step::readList);
    EXPECT_EQ(failure->path, list);
    EXPECT_EQ(readFile(list), notText);
    EXPECT_EQ(namesIn(temp.path()), "daily.lst");
}

// A disk that fills up after the work copy: the list is still whole, and the work copy stays.
TEST(ListAppend, AListThatCannotBeReplacedStaysWholeBesideItsWorkCopy) {
    TempFolder temp;
    const std::string list = temp / "daily.lst";
    writeFile(list, kTwoPairs);
    const auto report = inChild([&] {
        limitFileSize(kTwoPairs.size());
        const auto failure = appendPairToList(list, {"/e", "/f"});
        if (!failure) {
            return std::string("added");
        }
        return std::string(failure->step == Step::writeList ? "list" : "other step") + " " +
               (failure->path == list ? "at the list" : failure->path);
    });
    if (!report) {
        return;
    }
    EXPECT_EQ(*report, "list at the list");
    EXPECT_EQ(readFile(list), kTwoPairs);
    EXPECT_EQ(readFile(lists::workCopyPath(list)), kTwoPairs);
    EXPECT_EQ(namesIn(temp.path()), "daily.lst daily.lst-");
}

}  // namespace
}  // namespace sorvik::test
