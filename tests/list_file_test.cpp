// The backup list files: their bytes, how a damaged or odd file reads, the folder of lists, list
// names, and adding a pair through a work copy.
#include "lists/list_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ostream>

#include "lists/list_append.h"
#include "lists/list_folder.h"
#include "lists/list_name.h"
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

using lists::appendPairToList;
using lists::readListFile;
using lists::writeListFile;
using Pairs = std::vector<lists::PathPair>;
using Step = lists::ListEditFailure::Step;
using Names = std::vector<std::string>;

// Two lines per pair, source first, each ended by CR LF; every entry comes back as it was, in its
// place; an empty list is an empty file.
TEST(ListFile, EveryEntryComesBackAsItWasInItsPlace) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    ASSERT_FALSE(writeListFile(path, {{"C:\\Data\\", "E:\\Bk\\"}, {"C:\\Work", "E:\\Work"}}));
    EXPECT_EQ(readFile(path), "C:\\Data\\\r\nE:\\Bk\\\r\nC:\\Work\r\nE:\\Work\r\n");
    ASSERT_FALSE(writeListFile(temp / "empty.lst", {}));
    EXPECT_EQ(readFile(temp / "empty.lst"), "");
    const Pairs cases[] = {
        {{"/same", "/copy"}, {"/same", "/copy"}, {"/other", "/copy"}},
        {{"", "/only/backup"}, {"/only/source", ""}, {"", ""}, {"/a", "/b"}},
        {{"", ""}},
        {{"/with/separator/", "/without/separator"}, {"C:\\", "D:"}, {"/", "//"}},
        {{"  spaces kept  ", "\ttab"}, {"C:\\Users\\ユーザー\\文書", "E:\\バックアップ\\文書\\"}},
        {{"/ｶﾀｶﾅ/表", "/😀/한국"}, {"/写真", "/x"}},
        // Names may hold a lone LF or CR (and the list keeps a NUL, which a run refuses).
        {{"/line\nfeed", "/carriage\r"}, {"\n", "\r"}, {std::string("/nul\0x", 7), "/b"}},
        {},
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
    EXPECT_EQ(writeListFile(temp / "none/list.lst", {{"/a", "/b"}}),
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(namesIn(temp.text()), "empty.lst list.lst");
}

TEST(ListFile, AWriteCutShortByAFileSizeLimitLeavesTheOldListWhole) {
    TempFolder temp;
    const std::string path = temp / "list.lst";
    writeFile(path, "/old/source\r\n/old/backup\r\n");
    const Pairs many(2000, {"/source/" + std::string(90, 's'), "/backup"});
    const auto report = inChild([&] {
        limitFileSize(16 * 1024);
        const std::string written = writeListFile(path, many) ? "failed\n" : "written\n";
        return written + readFile(path) + namesIn(temp.text());
    });
    if (report) {
        EXPECT_EQ(*report, "failed\n/old/source\r\n/old/backup\r\nlist.lst");
    }
}

// An odd last line is dropped when blank and otherwise gets an empty backup; bytes that are not
// code page 932 are an error and leave the file alone.
TEST(ListFile, ReadsOddAndDamagedFiles) {
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
        {"\xEF\xBB\xBF😀\r\n", {{"😀", ""}}},
    };
    for (const auto& c : cases) {
        writeFile(path, c.bytes);
        const auto read = readListFile(path);
        ASSERT_TRUE(read) << testing::PrintToString(c.bytes);
        EXPECT_EQ(*read, c.pairs) << testing::PrintToString(c.bytes);
    }
    writeFile(path, "/a\r\n/b\x81\x20\r\n");
    EXPECT_EQ(readListFile(path).error(), std::errc::illegal_byte_sequence);
    EXPECT_EQ(readFile(path), "/a\r\n/b\x81\x20\r\n");
}

// Without an ordinary file at the path the list is empty and nothing is created; a file that
// cannot be read is an error.
TEST(ListFile, ReadsNothingButOrdinaryFiles) {
    SKIP_ON_WINDOWS("needs FIFOs, sockets, POSIX permission bits and a user without them");
    TempFolder temp;
    writeFile(temp / "empty.lst", "");
    writeFile(temp / "real.lst", "/a\r\n/b\r\n");
    writeFile(temp / "locked.lst", "/a\r\n/b\r\n");
    std::filesystem::create_directory(temp / "folder.lst");
    std::filesystem::create_symlink("nowhere", temp / "dangling.lst");
    std::filesystem::create_symlink("real.lst", temp / "link.lst");
    makeFifo(temp / "fifo.lst");
    makeSocket(temp / "socket.lst");
    ASSERT_EQ(::chmod(temp.text().c_str(), 0755), 0);
    ASSERT_EQ(::chmod((temp / "locked.lst").c_str(), 0), 0);
    const std::string before = namesIn(temp.text());
    // In a child, so a FIFO opened by mistake fails the test instead of hanging it.
    const auto report = inChild(
        [&] {
            becomeNobody();
            std::string found;
            for (const char* name : {"missing.lst", "empty.lst", "folder.lst", "dangling.lst",
                                     "fifo.lst", "socket.lst", "link.lst", "locked.lst"}) {
                const auto pairs = readListFile(temp / name);
                found += std::string(name) + ": " +
                         (pairs ? std::to_string(pairs->size()) : pairs.error().message()) + "\n";
            }
            return found + namesIn(temp.text());
        },
        30);
    if (report) {
        EXPECT_EQ(*report,
                  std::string("missing.lst: 0\nempty.lst: 0\nfolder.lst: 0\ndangling.lst: 0\n"
                              "fifo.lst: 0\nsocket.lst: 0\nlink.lst: 1\nlocked.lst: ") +
                      std::strerror(EACCES) + "\n" + before);
    }
}

TEST(ListFolder, OrdinaryFilesEndingInLstInAnyCaseOrderedWithoutRegardToCase) {
    TempFolder temp;
    for (const char* name : {"b.lst", "A.lst", "c.LST", "写真.lst", "d.Lst", "x.lst.bak", "lst",
                             "xlst", "notes.txt", ".sorvik-a1B2c3"}) {
        writeFile(temp / name, "");
    }
    std::filesystem::create_directory(temp / "y.lst");
    // Windows has neither FIFOs nor sockets, and making a link takes a privilege there.
    if (!kOnWindows) {
        std::filesystem::create_symlink("b.lst", temp / "link.lst");
        std::filesystem::create_symlink("y.lst", temp / "folder-link.lst");
        std::filesystem::create_symlink("nowhere", temp / "dangling.lst");
        makeFifo(temp / "f.lst");
        makeSocket(temp / "s.lst");
    }
    const auto names = lists::listFileNames(temp.text());
    ASSERT_TRUE(names) << names.error().message();
    const Names expected = kOnWindows
                               ? Names{"A.lst", "b.lst", "c.LST", "d.Lst", "写真.lst"}
                               : Names{"A.lst", "b.lst", "c.LST", "d.Lst", "link.lst", "写真.lst"};
    EXPECT_EQ(*names, expected);
    EXPECT_EQ(*lists::listFileNames(temp / "y.lst"), Names{});
    EXPECT_EQ(lists::listFileNames(temp / "missing").error(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(lists::listFileNames(temp / "b.lst").error(), std::errc::not_a_directory);
}

// An empty name gives ".lst", "x.lst" gives "x.lst.lst" and ".." gives "...lst", all inside the
// folder; 246 bytes make a file name of 250.
TEST(ListName, OnlyNamesThatStayAPlainFileNameInTheFolderAreProper) {
    std::string proper;
    for (const std::string name :
         {"", "Daily", "週次 バックアップ", "x.lst", "..", "   ", "a/b", "../up", "a\\b",
          "c:", "what?", "*", "\"q\"", "<>", "a|b", "tab\there", "line\nbreak"}) {
        proper += lists::isProperListName(name) ? "1" : "0";
    }
    EXPECT_EQ(proper, "11111000000000000");
    EXPECT_TRUE(lists::isProperListName(std::string(246, 'a')));
    EXPECT_FALSE(lists::isProperListName(std::string(247, 'a')));
    EXPECT_EQ(lists::listFileName("x.lst"), "x.lst.lst");
}

// The pair goes at the end through a work copy that is gone afterwards; a missing list is empty,
// a stale work copy is replaced, and an unpaired last line is completed first.
TEST(ListAppend, AddsThePairAtTheEndThroughAWorkCopy) {
    TempFolder temp;
    const std::string list = temp / "daily.lst";
    writeFile(list, "/a\r\n/b\r\n/c\r\n");
    ASSERT_FALSE(appendPairToList(list, {"/e", "/f"}));
    ASSERT_FALSE(appendPairToList(list, {"", ""}));
    EXPECT_EQ(readFile(list), "/a\r\n/b\r\n/c\r\n\r\n/e\r\n/f\r\n\r\n\r\n");
    writeFile(lists::workCopyPath(temp / "new.lst"), "/left/over\r\n/by/a/crash\r\n");
    ASSERT_FALSE(appendPairToList(temp / "new.lst", {"/src", "/bk"}));
    EXPECT_EQ(readFile(temp / "new.lst"), "/src\r\n/bk\r\n");
    EXPECT_EQ(namesIn(temp.text()), "daily.lst new.lst");
}

// A list that does not decode is neither copied nor rewritten; a work copy that cannot be
// written (a folder under its name, which not even root can replace by a file) leaves the list
// alone; and a list that cannot be replaced stays whole beside its work copy.
TEST(ListAppend, AFailedStepLeavesTheListWhole) {
    TempFolder temp;
    const std::string twoPairs = "/a\r\n/b\r\n/c\r\n/d\r\n";
    const auto failure = [](const std::string& list) {
        const auto failed = appendPairToList(list, {"/e", "/f"});
        return !failed ? std::string("added")
                       : std::to_string(int(failed->step)) + " " + failed->path;
    };
    writeFile(temp / "bad.lst", "/a\r\n\x82\r\n");  // a lead byte cut off by the line end
    EXPECT_EQ(failure(temp / "bad.lst"),
              std::to_string(int(Step::readList)) + " " + temp / "bad.lst");
    EXPECT_EQ(readFile(temp / "bad.lst"), "/a\r\n\x82\r\n");
    writeFile(temp / "blocked.lst", twoPairs);
    writeFile(temp / "blocked.lst-/keep", "x");
    EXPECT_EQ(failure(temp / "blocked.lst"),
              std::to_string(int(Step::writeWorkCopy)) + " " + temp / "blocked.lst-");
    EXPECT_EQ(readFile(temp / "blocked.lst"), twoPairs);
    EXPECT_EQ(readFile(temp / "blocked.lst-/keep"), "x");
    EXPECT_EQ(namesIn(temp.text()), "bad.lst blocked.lst blocked.lst-");

    writeFile(temp / "full.lst", twoPairs);
    const auto report = inChild([&] {
        limitFileSize(twoPairs.size());
        return failure(temp / "full.lst");
    });
    if (report) {
        EXPECT_EQ(*report, std::to_string(int(Step::writeList)) + " " + temp / "full.lst");
        EXPECT_EQ(readFile(temp / "full.lst"), twoPairs);
        EXPECT_EQ(readFile(temp / "full.lst-"), twoPairs);
    }
}

}  // namespace
}  // namespace sorvik::test
