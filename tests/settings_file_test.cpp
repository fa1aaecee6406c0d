// The settings and excluded-extension files: their bytes, the field reader, and how a damaged or
// hand-edited file is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/extension_file.h"
#include "lists/field_reader.h"
#include "lists/settings_file.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {
namespace {

using lists::Settings;
using Strings = std::vector<std::string>;

struct FieldCase {
    const char* line;
    Strings fields;
};

TEST(FieldReader, SplitsALineAsTheFilesAreRead) {
    const FieldCase cases[] = {
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
    for (const FieldCase& c : cases) {
        EXPECT_EQ(lists::readFields(c.line), c.fields) << '"' << c.line << '"';
    }
}

TEST(SettingsFile, WrittenAsSevenCrLfLinesInCodePage932) {
    TempFolder temp;
    const std::string path = temp / "sorvik01.ini";
    Settings settings;
    settings.listPath = "/home/u/データ.lst";
    settings.placeholder = true;
    settings.alwaysOnTop = false;
    settings.onlyWhenLarger = true;
    settings.onlyWhenNewer = false;
    settings.automaticRun = true;
    ASSERT_FALSE(lists::writeSettingsFile(path, settings));
    EXPECT_EQ(
        readFile(path),
        "/home/u/\x83\x66\x81\x5B\x83\x5E.lst\r\nTrue\r\n 0 \r\n 1 \r\n 1 \r\n 0 \r\n 1 \r\n");
    const auto back = lists::readSettingsFile(path);
    ASSERT_TRUE(back) << back.error().message();
    EXPECT_EQ(*back, settings);
}

TEST(SettingsFile, TheFirstRunValuesAreFalseThenOneOneZeroOneZero) {
    EXPECT_EQ(lists::settingsLines(Settings{"/p/Daily.lst"}),
              (Strings{"/p/Daily.lst", "False", " 1 ", " 1 ", " 0 ", " 1 ", " 0 "}));
}

TEST(SettingsFile, AListPathWithCommasAndQuotesSurvives) {
    TempFolder temp;
    const std::string path = temp / "sorvik01.ini";
    const Settings settings{" /a, \"b\",c.lst", false, true, false, false, false, false};
    ASSERT_FALSE(lists::writeSettingsFile(path, settings));
    const auto back = lists::readSettingsFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, settings);
}

struct DamagedCase {
    const char* contents;
    Settings expected;
};

TEST(SettingsFile, ItemsThatCannotBeReadKeepTheirInitialValues) {
    const DamagedCase cases[] = {
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
    for (const DamagedCase& c : cases) {
        TempFolder temp;
        const std::string path = temp / "sorvik01.ini";
        writeFile(path, c.contents);
        const auto read = lists::readSettingsFile(path);
        ASSERT_TRUE(read) << c.contents;
        EXPECT_EQ(*read, c.expected) << '"' << c.contents << '"';
    }
}

TEST(SettingsFile, BytesThatAreNotTextAreAnError) {
    TempFolder temp;
    writeFile(temp / "sorvik01.ini", "\x81\r\n");
    EXPECT_EQ(lists::readSettingsFile(temp / "sorvik01.ini").error(),
              std::errc::illegal_byte_sequence);
}

TEST(ExtensionFile, EntriesComeBackInOrderAndAnEmptyListIsAnEmptyFile) {
    TempFolder temp;
    const std::string path = temp / "sorvik02.ini";
    ASSERT_FALSE(lists::writeExtensionFile(path, {"tmp", "bak", "BAK", "bak "}));
    EXPECT_EQ(readFile(path), "tmp\r\nbak\r\nBAK\r\nbak \r\n");
    EXPECT_EQ(*lists::readExtensionFile(path), (Strings{"tmp", "bak", "BAK", "bak "}));

    ASSERT_FALSE(lists::writeExtensionFile(path, {}));
    EXPECT_EQ(readFile(path), "");
    EXPECT_EQ(*lists::readExtensionFile(path), Strings{});
}

TEST(ExtensionFile, ACommaSplitsALineAndBlankLinesGiveNoEntry) {
    TempFolder temp;
    const std::string path = temp / "sorvik02.ini";
    writeFile(path, "a,b\r\n\r\n  c\r\n\r\n");
    EXPECT_EQ(*lists::readExtensionFile(path), (Strings{"a", "b", "c"}));
}

}  // namespace
}  // namespace sorvik::test
