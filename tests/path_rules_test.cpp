#include "engine/path_rules.h"

#include <gtest/gtest.h>

#include <chrono>

namespace sorvik::engine {
namespace {

TEST(WithTrailingSeparator, AppendsTheSeparatorOnlyWhenMissing) {
    struct Case {
        std::string in, out;
    } cases[] = {{"/a", "/a/"}, {"/a/", "/a/"}, {"", "/"}, {"/a\\", "/a\\/"}};
    for (auto& c : cases) {
        EXPECT_EQ(withTrailingSeparator(c.in), c.out) << c.in;
    }
}

TEST(DestinationFolder, LandsInsideTheBackupFolderWithOneSeparator) {
    struct Case {
        std::string source, backup, entry, expected;
    } cases[] = {
        {"/src", "/bk", "/src/a/b", "/bk/a/b"},
        {"/src/", "/bk/", "/src/a", "/bk/a"},
        {"/src/", "/bk", "/src/a", "/bk/a"},
        {"/src", "/bk/", "/src/a", "/bk/a"},
        {"/src/", "/bk", "/src/", "/bk"},  // entry 0 maps to the backup text unchanged
        {"/src", "/bk/", "/src", "/bk/"},
        {"/データ/元", "/bk", "/データ/元/写真/旅行", "/bk/写真/旅行"},
        {"/", "/bk", "/tmp", "/bk/tmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(destinationFolder(c.backup, c.entry, c.source.size()), c.expected)
            << c.source << " + " << c.backup << " : " << c.entry;
    }
}

TEST(IsSameOrNewer, ComparesAtTheCoarserGranularity) {
    using std::chrono::nanoseconds;
    constexpr std::int64_t s = 1'000'000'000;
    constexpr nanoseconds fine{1};
    constexpr nanoseconds fat{2 * s};
    struct Case {
        std::int64_t backup, source;
        nanoseconds granularity;
        bool expected;
    } cases[] = {
        {5 * s, 5 * s, fine, true},
        {5 * s + 1, 5 * s, fine, true},
        {5 * s - 1, 5 * s, fine, false},
        {10 * s, 11 * s + s / 2, fat, true},  // 1.5 s older, same two-second step
        {10 * s - 1, 10 * s, fat, false},     // 1 ns older, previous step
        {13 * s, 12 * s, fat, true},
        {-1, 0, fine, false},
        {-s, -s - s / 2, fat, true},  // both in the step [-2 s, 0)
        {-s / 2, s / 2, fat, false},  // steps round down, not towards zero
        {-2 * s - 1, -2 * s, fat, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isSameOrNewer(c.backup, c.source, c.granularity), c.expected)
            << c.backup << " vs " << c.source << " at " << c.granularity.count();
    }
}

TEST(HasExcludedExtension, TestsTheTextAfterTheLastDotIgnoringCase) {
    struct Case {
        std::string name;
        std::vector<std::string> excluded;
        bool expected;
    } cases[] = {
        {"report.BAK", {"bak"}, true},
        {"report.bak", {"BaK"}, true},
        {"report.bak", {".bak"}, false},
        {"bak", {"bak"}, false},
        {"README", {""}, false},
        {"archive.tar.gz", {"tar"}, false},
        {"archive.tar.gz", {"gz"}, true},
        {".profile", {"profile"}, true},
        {"report.", {""}, true},
        {"report.txt", {""}, false},
        {"report.txt", {"doc", "txt"}, true},
        {"report.txt", {}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hasExcludedExtension(c.name, c.excluded), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace sorvik::engine
