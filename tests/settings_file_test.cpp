// The settings and excluded-extension files: their bytes, the field reader, and how a damaged or
// hand-edited file is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/extension_file.h"
#include "lists/field_reader.h"
#include "lists/settings_file.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

using lists::Settings;
using Strings = std::vector<std::string>;

TEST(FieldReader, SplitsALineAsTheFilesAreRead) {
    const struct {
        const char* line;
        Strings fields;
    } cases[] = {
        {"bak", {"bak"}},
        {"", {""}},
        {"a,b", {"a", "b"}},
        {"a,", {"a", ""}},
        {"   tmp", {"tmp"}},
        {"tmp  ", {"tmp  "}},
        {" 1 ", {"1 "}},
        {"\"a,b\"", {"a,b"}},
        {"  \"x y\" junk,z", {"x y", "z"}},
        {"\"open", {"open"}},
        {"C:\\p,q\\r", {"C:\\p", "q\\r"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lists::readFields(c.line), c.fields) << '"' << c.line << '"';
    }
}

// Seven CR LF lines in code page 932 that read back as they were, a list path with commas and
// quotes included; a first run writes False, then 1 1 0 1 0.
TEST(SettingsFile, WrittenAsSevenCrLfLinesInCodePage932) {
    TempFolder temp;
    const std::string path = temp / "sorvik01.ini";
    const Settings settings{"/home/u/データ, \"b\",c.lst", true, false, true, true, false, true};
    ASSERT_FALSE(lists::writeSettingsFile(path, settings));
    EXPECT_EQ(readFile(path),
              "/home/u/\x83\x66\x81\x5B\x83\x5E, \"b\",c.lst\r\nTrue\r\n 0 \r\n 1 \r\n 1 \r\n 0 "
              "\r\n 1 \r\n");
    EXPECT_EQ(*lists::readSettingsFile(path), settings);
    EXPECT_EQ(lists::settingsLines(Settings{"/p/Daily.lst"}),
              (Strings{"/p/Daily.lst", "False", " 1 ", " 1 ", " 0 ", " 1 ", " 0 "}));
}

TEST(SettingsFile, ItemsThatCannotBeReadKeepTheirInitialValues) {
    const struct {
        const char* contents;
        Settings expected;
    } cases[] = {
        // Cut short: what is there counts, the rest keeps its initial value.
        {"", {"", false, true, true, false, true, false}},
        {"/l.lst\r\n", {"/l.lst", false, true, true, false, true, false}},
        {"/l.lst\r\ntrue\r\n 0 \r\n", {"/l.lst", true, false, true, false, true, false}},
        // Words and numbers for the placeholder mode.
        {"/l\r\nFALSE\r\n", {"/l", false, true, true, false, true, false}},
        {"/l\r\n-1\r\n", {"/l", true, true, true, false, true, false}},
        {"/l\r\n 0 \r\n", {"/l", false, true, true, false, true, false}},
        {"/l\r\n2.5\r\n", {"/l", true, true, true, false, true, false}},
        {"/l\r\nyes\r\n", {"/l", false, true, true, false, true, false}},
        // Check boxes take 0 or 1 only; anything else keeps the initial value.
        {"/l\r\nTrue\r\n0x\r\n2\r\n1\r\n0\r\n1\r\n", {"/l", true, true, true, true, false, true}},
        {"/l\r\nTrue\r\n\r\n 0\r\n+1 \r\n", {"/l", true, true, false, true, true, false}},
        // Fields run on across lines, so a comma shifts the items after it.
        {"/l\r\nFalse, 0 \r\n 0 \r\n", {"/l", false, false, false, false, true, false}},
        // Lone LF line ends, as left by an editor.
        {"/l\nTrue\n 0 \n 0 \n 1 \n 0 \n 1 \n", {"/l", true, false, false, true, false, true}},
    };
    TempFolder temp;
    const std::string path = temp / "sorvik01.ini";
    for (const auto& c : cases) {
        writeFile(path, c.contents);
        const auto read = lists::readSettingsFile(path);
        ASSERT_TRUE(read) << c.contents;
        EXPECT_EQ(*read, c.expected) << '"' << c.contents << '"';
    }
}

// Entries come back in order, an empty list is an empty file, a comma splits a line and blank
// lines give no entry.
TEST(ExtensionFile, EntriesComeBackInOrder) {
    TempFolder temp;
    const std::string path = temp / "sorvik02.ini";
    ASSERT_FALSE(lists::writeExtensionFile(path, {"tmp", "bak", "BAK", "bak "}));
    EXPECT_EQ(readFile(path), "tmp\r\nbak\r\nBAK\r\nbak \r\n");
    EXPECT_EQ(*lists::readExtensionFile(path), (Strings{"tmp", "bak", "BAK", "bak "}));
    ASSERT_FALSE(lists::writeExtensionFile(path, {}));
    EXPECT_EQ(readFile(path), "");
    writeFile(path, "a,b\r\n\r\n  c\r\n\r\n");
    EXPECT_EQ(*lists::readExtensionFile(path), (Strings{"a", "b", "c"}));
}

}  // namespace
}  // namespace sorvik::test
