// Which typed names can name a list file in the program folder.
#include "lists/list_name.h"

#include <gtest/gtest.h>

#include <string>

namespace sorvik::test {
namespace {

struct NameCase {
    std::string name;
    bool proper;
};

TEST(ListName, OnlyNamesThatStayAPlainFileNameInTheFolderAreProper) {
    const NameCase cases[] = {
        {"", true},  // gives ".lst"
        {"Daily", true},
        {"週次 バックアップ", true},
        {"x.lst", true},  // gives "x.lst.lst"
        {"..", true},     // gives "...lst", still inside the folder
        {"   ", false},
        {"a/b", false},
        {"../up", false},
        {"a\\b", false},
        {"c:", false},
        {"what?", false},
        {"*", false},
        {"\"q\"", false},
        {"<>", false},
        {"a|b", false},
        {"tab\there", false},
        {"line\nbreak", false},
        {std::string(246, 'a'), true},  // 250 bytes with ".lst"
        {std::string(247, 'a'), false},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(lists::isProperListName(c.name), c.proper) << '"' << c.name << '"';
    }
    EXPECT_EQ(lists::listFileName("x.lst"), "x.lst.lst");
}

}  // namespace
}  // namespace sorvik::test
