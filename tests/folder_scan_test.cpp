#include "engine/folder_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/path_lookup.h"
#include "tests/support/harness.h"

namespace sorvik::engine {
namespace {

namespace fs = std::filesystem;
using test::RecordingHost;
using test::TempFolder;
using Entries = std::vector<std::string>;

Entries scan(const std::string& path, std::optional<platform::FileIdentity> excluded = {}) {
    RecordingHost host;
    FolderScan scanner(host);
    scanner.scan(path, excluded);
    EXPECT_TRUE(host.messages.empty()) << path;
    EXPECT_EQ(host.captions, Entries{std::string(text::kScanning)}) << path;
    return scanner.folders();
}

// Entry 0 is the text as given and stands first; every other entry is the source without its
// trailing separators, one separator and the names, each after its parent. Files do not count.
TEST(FolderScan, EntryZeroIsTheTextAsGivenAndOthersFollowTheirParents) {
    TempFolder temp;
    const std::string src = temp / "src";
    test::writeFile(temp / "lone/file.txt", "");
    EXPECT_EQ(scan(temp / "lone"), Entries{temp / "lone"});
    fs::create_directories(src + "/A/x");
    fs::create_directories(src + "/b");
    fs::create_directories(src + "/-c");  // "-" sorts before the separator
    fs::create_directory_symlink("src", temp / "SRC");
    for (const auto& [given, base] : std::vector<std::pair<std::string, std::string>>{
             {src, src}, {src + "/", src}, {src + "//", src}, {temp / "SRC", temp / "SRC"}}) {
        EXPECT_EQ(scan(given),
                  (Entries{given, base + "/-c", base + "/A", base + "/A/x", base + "/b"}));
    }
}

TEST(FolderScan, RootSourceGivesSlashNameEntries) {
    TempFolder temp;
    fs::create_directories(temp / "tmp/deep");
    fs::create_directories(temp / "Usr");
    // Scanning the real root would walk the whole machine: the child sees only this small tree.
    const auto report = test::inChild([&] {
        if (::chroot(temp.path().c_str()) != 0 || ::chdir("/") != 0) {
            throw test::ChildSkip(std::string("chroot: ") + std::strerror(errno));
        }
        std::string joined;
        for (const std::string& entry : scan("/")) {
            joined += entry + "|";
        }
        return joined;
    });
    if (report) {
        EXPECT_EQ(*report, "/|/tmp|/tmp/deep|/Usr|");
    }
}

TEST(FolderScan, LeavesOutFolderLinksAndTheExcludedFolder) {
    TempFolder temp;
    fs::create_directories(temp / "src/A/x");
    fs::create_directories(temp / "src/bk/A/x");
    fs::create_directories(temp / "outside/o");
    fs::create_directory_symlink(temp / "src", temp / "src/A/up");
    fs::create_directory_symlink(temp / "outside", temp / "src/out");
    const auto backup = platform::identityOf(temp / "src/bk");
    ASSERT_TRUE(backup);
    EXPECT_EQ(scan(temp / "src", *backup),
              (Entries{temp / "src", temp / "src/A", temp / "src/A/x"}));
}

}  // namespace
}  // namespace sorvik::engine
