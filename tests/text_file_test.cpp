#include "platform/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

using platform::readTextLines;
using platform::writeTextLines;
using Lines = std::vector<std::string>;

constexpr std::string_view kMark = "\xEF\xBB\xBF";

TEST(TextFileWrite, CodePage932WithCrLfAfterEveryLineAndNoMark) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    ASSERT_FALSE(writeTextLines(path, {"日本語", "C:\\a", "", "表"}));
    // 表 is 0x95 0x5C: a trail byte that looks like a backslash must stay a trail byte.
    EXPECT_EQ(readFile(path), "\x93\xFA\x96\x7B\x8C\xEA\r\nC:\\a\r\n\r\n\x95\x5C\r\n");
    EXPECT_EQ(*readTextLines(path), (Lines{"日本語", "C:\\a", "", "表"}));
}

TEST(TextFileWrite, ALineCodePage932CannotHoldMakesTheWholeFileUtf8WithTheMark) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    // The emoji and capital sharp s have no place in code page 932; the yen sign and the wave
    // dash have one only one way (they would read back as "\" and "～").
    for (const std::string odd : {"😀", "ẞ", "C:\\a¥b", "〜"}) {
        const Lines lines{"日本語", odd};
        ASSERT_FALSE(writeTextLines(path, lines)) << odd;
        EXPECT_EQ(readFile(path), std::string(kMark) + "日本語\r\n" + odd + "\r\n") << odd;
        EXPECT_EQ(*readTextLines(path), lines) << odd;
    }
}

TEST(TextFileWrite, NameBytesThatAreNotUtf8ComeBackAsTheyWere) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    const Lines lines{"/src/\xFF\xFE-name", "日本"};
    ASSERT_FALSE(writeTextLines(path, lines));
    EXPECT_EQ(*readTextLines(path), lines);
}

TEST(TextFileWrite, ReplacesTheFileWholeKeepingItsPermissionBits) {
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

TEST(TextFileRead, TheMarkMeansUtf8OtherwiseCodePage932AndCrLfEndsLinesWhereUsed) {
    TempFolder temp;
    const std::string path = temp / "in.txt";
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {std::string(kMark) + "日本語\r\n", {"日本語"}},
        {"\x93\xFA\x96\x7B\x8C\xEA\r\n\xB1\xB2", {"日本語", "ｱｲ"}},
        // Where CR LF ends lines, a lone LF or CR belongs to the name; elsewhere each ends one.
        {"a\r\nb\nc\rd", {"a", "b\nc\rd"}},
        {"a\r\r\n\nb\r\n", {"a\r", "\nb"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},
        {"last line without end", {"last line without end"}},
        {"\r\n", {""}},
        {"", {}},
        {std::string(kMark), {}},
    };
    for (const auto& c : cases) {
        writeFile(path, c.bytes);
        const auto lines = readTextLines(path);
        ASSERT_TRUE(lines) << c.bytes;
        EXPECT_EQ(*lines, c.lines) << c.bytes;
    }
}

TEST(TextFileRead, BytesThatAreNotCodePage932AreRefused) {
    TempFolder temp;
    const std::string path = temp / "in.txt";
    // A lead byte with a trail byte out of range, a byte no character starts with, and a lead
    // byte cut off by the end of the file.
    for (const std::string bytes : {"ab\x81\x20\r\n", "\xA0\r\n", "ok\r\n\x81"}) {
        writeFile(path, bytes);
        const auto lines = readTextLines(path);
        ASSERT_FALSE(lines) << bytes;
        EXPECT_EQ(lines.error(), std::errc::illegal_byte_sequence) << bytes;
    }
    const auto missing = readTextLines(temp / "none.txt");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), std::errc::no_such_file_or_directory);
}

// A FIFO put where a text file is expected must not hang the program waiting for a writer.
TEST(TextFileRead, AFifoOrAFolderIsRefusedAtOnce) {
    TempFolder temp;
    const std::string fifo = temp / "list.lst";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto fromFifo = readTextLines(fifo);
    ASSERT_FALSE(fromFifo);
    EXPECT_EQ(fromFifo.error(), std::errc::invalid_argument);
    const auto fromFolder = readTextLines(temp.path().string());
    ASSERT_FALSE(fromFolder);
    EXPECT_EQ(fromFolder.error(), std::errc::invalid_argument);
}

}  // namespace
}  // namespace sorvik::test
