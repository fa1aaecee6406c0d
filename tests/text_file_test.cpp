// The program's text files: code page 932 with CR LF after every line, or UTF-8 with its mark
// where code page 932 cannot hold a line; every line comes back as it was written.
#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

using platform::readTextLines;
using platform::writeTextLines;
using Lines = std::vector<std::string>;

TEST(TextFile, WritesCodePage932OrElseUtf8WithTheMark) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    const struct {
        Lines lines;
        std::string bytes;  // empty: only the way back is checked
    } cases[] = {
        // 表 is 0x95 0x5C: a trail byte that looks like a backslash must stay a trail byte.
        {{"日本語", "C:\\a", "", "表"}, "\x93\xFA\x96\x7B\x8C\xEA\r\nC:\\a\r\n\r\n\x95\x5C\r\n"},
        // The emoji and capital sharp s have no place in code page 932; the yen sign and the
        // wave dash have one only one way (they would read back as "\" and "～").
        {{"日本語", "😀"}, "\xEF\xBB\xBF日本語\r\n😀\r\n"},
        {{"日本語", "ẞ"}, "\xEF\xBB\xBF日本語\r\nẞ\r\n"},
        {{"日本語", "C:\\a¥b"}, "\xEF\xBB\xBF日本語\r\nC:\\a¥b\r\n"},
        {{"日本語", "〜"}, "\xEF\xBB\xBF日本語\r\n〜\r\n"},
        {{"/src/\xFF\xFE-name", "日本"}, ""},  // name bytes that are not UTF-8
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(writeTextLines(path, c.lines)) << c.bytes;
        if (!c.bytes.empty()) {
            EXPECT_EQ(readFile(path), c.bytes);
        }
        EXPECT_EQ(*readTextLines(path), c.lines) << c.bytes;
    }
}

TEST(TextFile, ReplacesTheFileWholeKeepingItsPermissionBits) {
    TempFolder temp;
    const std::string path = temp / "sorvik01.ini";
    writeFile(path, std::string(5000, 'x'));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_FALSE(writeTextLines(path, {"new"}));
    EXPECT_EQ(readFile(path), "new\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(temp.path()), "sorvik01.ini");
}

// The mark means UTF-8, otherwise code page 932; where CR LF ends lines, a lone LF or CR belongs
// to the name, elsewhere each ends one.
TEST(TextFile, ReadsLinesAsTheyWereMeant) {
    TempFolder temp;
    const std::string path = temp / "in.txt";
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"\xEF\xBB\xBF日本語\r\n", {"日本語"}},
        {"\x93\xFA\x96\x7B\x8C\xEA\r\n\xB1\xB2", {"日本語", "ｱｲ"}},
        {"a\r\nb\nc\rd", {"a", "b\nc\rd"}},
        {"a\r\r\n\nb\r\n", {"a\r", "\nb"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},
        {"last line without end", {"last line without end"}},
        {"\r\n", {""}},
        {"", {}},
        {"\xEF\xBB\xBF", {}},
    };
    for (const auto& c : cases) {
        writeFile(path, c.bytes);
        const auto lines = readTextLines(path);
        ASSERT_TRUE(lines) << c.bytes;
        EXPECT_EQ(*lines, c.lines) << c.bytes;
    }
}

// Bytes that are not code page 932 (a lead byte with a trail byte out of range, a byte no
// character starts with, a lead byte cut off by the end) are refused, and so are a FIFO, which
// must not hang the program waiting for a writer, and a folder.
TEST(TextFile, RefusesWhatIsNotATextFile) {
    TempFolder temp;
    ASSERT_EQ(::mkfifo((temp / "fifo").c_str(), 0600), 0);
    const struct {
        std::string name, bytes;
        std::errc error;
    } cases[] = {
        {"a", "ab\x81\x20\r\n", std::errc::illegal_byte_sequence},
        {"b", "\xA0\r\n", std::errc::illegal_byte_sequence},
        {"c", "ok\r\n\x81", std::errc::illegal_byte_sequence},
        {"none", "", std::errc::no_such_file_or_directory},
        {"fifo", "", std::errc::invalid_argument},
        {"", "", std::errc::invalid_argument},
    };
    for (const auto& c : cases) {
        if (!c.bytes.empty()) {
            writeFile(temp / c.name, c.bytes);
        }
        const auto lines = readTextLines((temp.path() / c.name).string());
        ASSERT_FALSE(lines) << c.name;
        EXPECT_EQ(lines.error(), c.error) << c.name;
    }
}

}  // namespace
}  // namespace sorvik::test
