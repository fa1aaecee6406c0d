#include "lists/list_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/harness.h"

namespace sorvik::lists {
// Lets a failing comparison show the entries instead of their bytes.
void PrintTo(const PathPair& pair, std::ostream* out) {
    *out << '{' << testing::PrintToString(pair.source) << ", "
         << testing::PrintToString(pair.backup) << '}';
}
}  // namespace sorvik::lists

namespace sorvik::test {
namespace {

using lists::PathPair;
using lists::readListFile;
using lists::writeListFile;
using Pairs = std::vector<PathPair>;

constexpr std::string_view kMark = "\xEF\xBB\xBF";

std::string describe(std::error_code error) {
    if (!error) {
        return "ok";
    }
    return error == std::errc::permission_denied ? "permission denied" : error.message();
}

TEST(ListFileWrite, TwoLinesPerPairSourceFirstEachEndedByCrLf) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    ASSERT_FALSE(writeListFile(
        path, {{"C:\\Data\\Photos\\", "E:\\Backup\\Photos\\"}, {"C:\\Work", "E:\\Backup\\Work"}}));
    EXPECT_EQ(readFile(path),
              "C:\\Data\\Photos\\\r\nE:\\Backup\\Photos\\\r\nC:\\Work\r\nE:\\Backup\\Work\r\n");
    EXPECT_EQ(namesIn(temp.path()), "list.lst");
}

TEST(ListFileWrite, AnEmptyListIsAnEmptyFileThatExists) {
    TempFolder temp;
    const std::string fresh = temp / "fresh.lst";
    const std::string replaced = temp / "replaced.lst";
    writeFile(replaced, "/a\r\n/b\r\n");
    ASSERT_FALSE(writeListFile(fresh, {}));
    ASSERT_FALSE(writeListFile(replaced, {}));
    EXPECT_EQ(readFile(fresh), "");
    EXPECT_EQ(readFile(replaced), "");
    EXPECT_EQ(namesIn(temp.path()), "fresh.lst replaced.lst");
}

TEST(ListFileWrite, IntoAFolderThatDoesNotExistFailsAndCreatesNothing) {
    TempFolder temp;
    const std::error_code error = writeListFile(temp / "none/list.lst", {{"/a", "/b"}});
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(namesIn(temp.path()), "");
}

TEST(ListFileWrite, AWriteCutShortByAFileSizeLimitLeavesTheOldListWhole) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    const std::string old = "/old/source\r\n/old/backup\r\n";
    writeFile(path, old);
    Pairs many;
    for (int i = 0; i < 2000; ++i) {
        many.push_back({"/source/" + std::string(90, 's'), "/backup/" + std::to_string(i)});
    }
    const auto report = inChild([&] {
        limitFileSize(16 * 1024);
        const std::error_code error = writeListFile(path, many);
        return std::string(error ? "failed" : "written") + "\n" + readFile(path) +
               namesIn(temp.path());
    });
    if (report) {
        EXPECT_EQ(*report, "failed\n" + old + "list.lst");
    }
}

TEST(ListFileRoundTrip, EveryEntryComesBackAsItWasInItsPlace) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    const Pairs cases[] = {
        {},
        {{"C:\\Data\\Photos\\", "E:\\Backup\\Photos\\"}, {"C:\\Work", "E:\\Backup\\Work"}},
        {{"/same", "/copy"}, {"/same", "/copy"}, {"/other", "/copy"}},
        {{"", "/only/backup"}, {"/only/source", ""}, {"", ""}, {"/a", "/b"}},
        {{"", ""}},
        {{"/with/separator/", "/without/separator"}, {"C:\\", "D:"}, {"/", "//"}},
        {{"  spaces kept  ", "\ttab"}, {"C:\\Users\\ユーザー\\文書", "E:\\バックアップ\\文書\\"}},
        {{"/ｶﾀｶﾅ/表", "/😀/한국"}, {"/写真", "/x"}},
        // Names may hold a lone LF or CR (and the list keeps a NUL, which a run refuses).
        {{"/line\nfeed", "/carriage\r"}, {"\n", "\r"}, {std::string("/nul\0x", 7), "/b"}},
    };
    for (const Pairs& pairs : cases) {
        ASSERT_FALSE(writeListFile(path, pairs));
        const auto read = readListFile(path);
        ASSERT_TRUE(read) << read.error().message();
        EXPECT_EQ(*read, pairs) << testing::PrintToString(pairs);
    }
    // CR LF inside an entry would read back as two lines and shift every pair after it.
    writeFile(path, "old");
    EXPECT_EQ(writeListFile(path, {{"/a\r\nb", "/c"}}), std::errc::invalid_argument);
    EXPECT_EQ(readFile(path), "old");
}

TEST(ListFileRead, AnOddLastLineIsDroppedWhenBlankAndOtherwiseGetsAnEmptyBackup) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    const struct {
        std::string bytes;
        Pairs pairs;
    } cases[] = {
        {"a\r\nb\r\n\r\n", {{"a", "b"}}},
        {"a\r\nb\r\nc\r\n", {{"a", "b"}, {"c", ""}}},
        {"a\r\n", {{"a", ""}}},
        {"a", {{"a", ""}}},
        {"a\r\nb", {{"a", "b"}}},
        {"a\nb\n", {{"a", "b"}}},
        {"a\rb\r", {{"a", "b"}}},
        {"a\r\n\r\n", {{"a", ""}}},
        {"\r\n", {}},
        {"\r\n\r\nc\r\n", {{"", ""}, {"c", ""}}},
        {"\x8E\xCA\x90\x5E\r\n", {{"写真", ""}}},
        {std::string(kMark) + "😀\r\n", {{"😀", ""}}},
    };
    for (const auto& c : cases) {
        writeFile(path, c.bytes);
        const auto read = readListFile(path);
        ASSERT_TRUE(read) << testing::PrintToString(c.bytes);
        EXPECT_EQ(*read, c.pairs) << testing::PrintToString(c.bytes);
    }
}

TEST(ListFileRead, WithoutAnOrdinaryFileAtThePathTheListIsEmptyAndNothingIsCreated) {
    TempFolder temp;
    writeFile(temp / "empty.lst", "");
    writeFile(temp / "real.lst", "/a\r\n/b\r\n");
    std::filesystem::create_directory(temp / "folder.lst");
    std::filesystem::create_symlink("nowhere", temp / "dangling.lst");
    std::filesystem::create_symlink("real.lst", temp / "link.lst");
    ASSERT_EQ(::mkfifo((temp / "fifo.lst").c_str(), 0644), 0);
    makeSocket(temp / "socket.lst");
    const std::string before = namesIn(temp.path());
    // In a child, so a FIFO opened by mistake fails the test instead of hanging it.
    const auto report = inChild(
        [&] {
            std::string found;
            for (const char* name : {"missing.lst", "empty.lst", "folder.lst", "dangling.lst",
                                     "fifo.lst", "socket.lst", "link.lst"}) {
                const auto pairs = readListFile(temp / name);
                found += std::string(name) + ": " +
                         (pairs ? std::to_string(pairs->size()) : pairs.error().message()) + "\n";
            }
            return found + namesIn(temp.path());
        },
        30);
    if (report) {
        EXPECT_EQ(*report,
                  "missing.lst: 0\nempty.lst: 0\nfolder.lst: 0\ndangling.lst: 0\nfifo.lst: 0\n"
                  "socket.lst: 0\nlink.lst: 1\n" +
                      before);
    }
    EXPECT_EQ(*readListFile(temp / "link.lst"), (Pairs{{"/a", "/b"}}));
}

TEST(ListFileRead, BytesThatAreNotCodePage932AreAnErrorAndTheFileIsLeftAlone) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    for (const std::string bytes : {"/a\r\n/b\x81\x20\r\n", "\xA0\r\n/b\r\n", "/a\r\n\x81"}) {
        writeFile(path, bytes);
        const auto read = readListFile(path);
        ASSERT_FALSE(read) << testing::PrintToString(bytes);
        EXPECT_EQ(read.error(), std::errc::illegal_byte_sequence);
        EXPECT_EQ(readFile(path), bytes);
    }
    EXPECT_EQ(namesIn(temp.path()), "list.lst");
}

TEST(ListFileRead, AFileThatCannotBeReadIsAnError) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    writeFile(path, "/a\r\n/b\r\n");
    ASSERT_EQ(::chmod(temp.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const auto report = inChild([&] {
        becomeNobody();
        if (::access(path.c_str(), R_OK) == 0) {
            throw ChildSkip("this process still reads a file of mode 000");
        }
        const auto read = readListFile(path);
        return read ? "read " + std::to_string(read->size()) + " pairs" : describe(read.error());
    });
    if (report) {
        EXPECT_EQ(*report, "permission denied");
    }
}

}  // namespace
}  // namespace sorvik::test
