#include "engine/path_rules.h"

#include <gtest/gtest.h>

namespace sorvik::engine {
namespace {

TEST(DirP, AppendsTheSeparatorOnlyWhenMissing) {
    struct Case {
        std::string in, out;
    } cases[] = {{"/a", "/a/"}, {"/a/", "/a/"}, {"", "/"}, {"/a\\", "/a\\/"}};
    for (auto& c : cases) {
        std::string path = c.in;
        EXPECT_EQ(DirP(path), c.out) << c.in;
        EXPECT_EQ(path, c.out) << "changed in place: " << c.in;
    }
}

}  // namespace
}  // namespace sorvik::engine
