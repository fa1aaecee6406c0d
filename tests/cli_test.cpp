// sorvik-cli as a user or a scheduler starts it. Each row runs the program in a fresh temporary
// folder ("@" in a row stands for its path) holding the row's files ("path=bytes", "path/" for a
// folder, "path>target" for a link, joined by "|") and checks the exit status, what the program
// printed (its messages on standard error, then the summary on standard output) and every file and
// folder that changed.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>

#ifndef _WIN32
#include <sys/mount.h>
#endif

#include "platform/code_page.h"
#include "platform/folder_lock.h"
#include "platform/separator.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct Row {
    const char* what;
    std::string files;
    std::string arguments;     // split at spaces
    std::string expected;      // exit status, output, "--", what changed: "path/" a new folder,
                               // "path=bytes" a new or changed file, one a line
    std::string shell = {};    // put before the command: assignments, ulimit, redirections
    std::string locked = {};   // a folder another run holds locked meanwhile
    bool onSmallDisk = false;  // a 64 KiB tmpfs at @/disk
};

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, end = 0; end != std::string::npos && !text.empty();
         start = end + 1) {
        end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
    }
    return parts;
}

// Folders as "path/", files as "path=bytes": decoded when they are code page 932, so an error log
// reads as its entries, and by their size when large.
std::map<std::string, std::string> contents(const std::string& folder) {
#ifdef _WIN32
    // With the long-path prefix, a row's paths over 260 characters are reached as Sorvik does.
    const fs::path root = pathOf("\\\\?\\" + systemPath(folder));
#else
    const fs::path root = pathOf(folder);
#endif
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string path = textOf(entry.path()).substr(textOf(root).size());
        path.erase(0, path.find_first_not_of(platform::kSeparator));
        std::replace(path.begin(), path.end(), platform::kSeparator, '/');
        if (entry.is_directory() && !entry.is_symlink()) {
            found[path + "/"] = "";
        } else if (entry.is_regular_file()) {
            const std::string bytes = readFile(textOf(entry.path()));
            const auto decoded = platform::fromCodePage932(bytes);
            found[path] = "=" + (bytes.size() > 4096 ? std::to_string(bytes.size()) + " bytes"
                                 : decoded           ? *decoded
                                                     : bytes);
        }
    }
    return found;
}

// What a row needs that Windows does not have, or nothing.
std::string missingOnWindows(const Row& row) {
    return row.onSmallDisk                            ? "a small tmpfs of its own"
           : !row.shell.empty()                       ? "a POSIX shell for \"" + row.shell + "\""
           : row.files.find('>') != std::string::npos ? "a link, which takes a privilege"
                                                      : "";
}

// Runs the row and describes what happened as the row's expectations read. Paths in the row are
// written with "/"; on Windows they are given to the program with "\", and what it shows is
// read back with "/".
std::string describeRow(const Row& row) {
    const TempFolder temp;
    const std::string at = temp.text();
    const auto inTemp = [&](const std::string& text) {
        return kOnWindows ? systemPath(replaced(text, "@", at)) : replaced(text, "@", at);
    };
#ifndef _WIN32
    if (row.onSmallDisk) {
        enterPrivateMountNamespace();
        fs::create_directory(at + "/disk");
        if (::mount("tmpfs", (at + "/disk").c_str(), "tmpfs", 0, "size=64k") != 0) {
            throw ChildSkip("cannot mount a small tmpfs");
        }
    }
#endif
    for (const std::string& file : split(inTemp(row.files), '|')) {
        const std::size_t is = file.find('='), link = file.find('>');
        if (is != std::string::npos) {
            writeFile(at + "/" + file.substr(0, is), file.substr(is + 1));
        } else if (link != std::string::npos) {
            fs::create_directory_symlink(pathOf(file.substr(link + 1)),
                                         pathOf(at + "/" + file.substr(0, link)));
        } else {
            fs::create_directories(pathOf(at + "/" + file));
        }
    }
    const auto before = contents(at);
    std::optional<platform::Result<platform::FolderLock>> lock;
    if (!row.locked.empty() &&
        !lock.emplace(platform::FolderLock::tryAcquire(inTemp(row.locked)))) {
        throw std::runtime_error("cannot take the lock");
    }
    const std::vector<std::string> arguments = split(inTemp(row.arguments), ' ');
#ifdef _WIN32
    CommandResult run = runCommand("cd /d \"" + at + "\" && " + cliCommand(arguments) + " 2>&1");
    run.output = replaced(run.output, "\r\n", "\n");
#else
    // The program itself must keep a closed pipe or a size limit from killing it.
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    const CommandResult run = runCommand("cd '" + at + "' && exec 2>&1 && " + inTemp(row.shell) +
                                         " " + cliCommand(arguments));
#endif
    std::string report =
        std::to_string(run.status) + "\n" +
        replaced(std::regex_replace(run.output, std::regex(", [0-9.]+ s\n"), ", T s\n"),
                 cli::usageText(), "<usage>\n") +
        "--\n";
    const auto after = contents(at);
    for (const auto& [path, shown] : after) {
        if (!before.contains(path) || before.at(path) != shown) {
            report += path + shown + "\n";
        }
    }
    for (const auto& [path, shown] : before) {
        report += after.contains(path) ? "" : "gone: " + path + "\n";
    }
    report = replaced(report, at, "@");
    return kOnWindows ? replaced(report, "\\", "/") : report;
}

// A row runs in a child on Linux, where a small disk needs a mount namespace of its own; on
// Windows, which has no fork, the rows that need nothing Windows lacks run in the test itself.
void expectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        if (const std::string missing = missingOnWindows(row); kOnWindows && !missing.empty()) {
            std::cout << "[ SKIPPED  ] row \"" << row.what << "\" needs " << missing << "\n";
            continue;
        }
#ifdef _WIN32
        EXPECT_EQ(describeRow(row), row.expected) << row.what;
#else
        if (const auto report = inChild([&] { return describeRow(row); })) {
            EXPECT_EQ(*report, row.expected) << row.what;
        }
#endif
    }
}

const std::string loggedTo = std::string(text::kErrorsOccurred) + "\n@/log.txt\n";
const std::string folderError(text::kFolderError), copyError(text::kCopyError),
    deleteError(text::kDeleteError), notFound(text::kSourceNotFound),
    unreadable(text::kFileUnreadable), busy(text::kAnotherRunInProgress);

// Settings as the window saves them: the current list, "True" or "False" for the placeholder
// mode, then the check boxes always on top, extension rule, size rule, time rule, automatic run.
const std::string settings =
    "prog/sorvik01.ini=@/prog/Default.lst\r\nFalse\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 "
    "\r\n|prog/Default.lst=";

// A run that runs out of room: big.bin is to replace a small old backup, fresh.bin is new and
// the small ones fit (a read of one byte is a whole file too). The old backup comes through byte
// for byte and no temporary stays.
Row fullDisk(const char* what, const std::string& backup) {
    return {what,
            "src/big.bin=" + std::string(256 << 10, 'n') +
                "|src/fresh.bin=" + std::string(256 << 10, 'f') +
                "|src/small.txt=fits|src/tiny.txt=1|" + backup + "/big.bin=old backup",
            "run @/src @/" + backup + " --log @/log.txt --quiet",
            "1\n" + deleteError + ": @/" + backup + "/big.bin\n" + copyError + ": @/src/big.bin\n" +
                copyError + ": @/src/fresh.bin\n" + loggedTo + "--\n" + backup +
                "/small.txt=fits\n" + backup +
                "/tiny.txt=1\nlog.txt=" + errorEntry(deleteError, "@/" + backup + "/big.bin") +
                errorEntry(copyError, "@/src/big.bin") + errorEntry(copyError, "@/src/fresh.bin") +
                "\r\n\n"};
}

const std::string tree =
    "src/a.txt=a|src/sub/deeper/f.txt=f|src/linked/h.txt=h|src/linked/deeper/i.txt=i";
std::string folderErrors(const std::string& backup, const std::vector<std::string>& folders) {
    std::string lines;
    for (const std::string& folder : folders) {
        lines += folderError + ": " + backup + folder + "\n";
    }
    return lines;
}
std::string entries(const std::string& backup, const std::vector<std::string>& folders) {
    std::string logged;
    for (const std::string& folder : folders) {
        logged += errorEntry(folderError, backup + folder);
    }
    return logged;
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    while (times-- > 0) {
        all += text;
    }
    return all;
}

std::string why(std::errc error) {
    return std::make_error_code(error).message();
}

TEST(CommandLine, RunsAndBatches) {
    const std::string notThere = why(std::errc::no_such_file_or_directory) + "\n--\n";
    const std::string notText = why(std::errc::illegal_byte_sequence) + "\n--\n";
    Row sizeLimit = fullDisk("a file size limit leaves the old backup whole", "bk");
    sizeLimit.shell = "ulimit -f 128 &&";
    expectRows({
        {"a clean run; --exclude switches the extension rule on", "src/a.bak=x|src/sub/b.txt=b",
         "run @/src @/bk --exclude BAK",
         "0\ncopied 1 files (1 B), created 0 empty, skipped 1, errors 0, 2 folders, T s\n--\n"
         "bk/\nbk/sub/\nbk/sub/b.txt=b\n"},
        // Over 260 characters, the longest path Windows takes without its long-path prefix.
        {"a source folder with a long path", repeated("長い名前のフォルダ/", 30) + "a.txt=a",
         "run @/" + repeated("長い名前のフォルダ/", 30) + " @/bk --quiet",
         "0\n--\nbk/\nbk/a.txt=a\n"},
        {"relative folders are the working folder's; --quiet prints nothing",
         "src/a.bak=x|src/sub/b.txt=b", "run src bk --quiet",
         "0\n--\nbk/\nbk/a.bak=x\nbk/sub/\nbk/sub/b.txt=b\n"},
        // Errors go to standard error and to the log, in failure order and code page 932: every
        // folder that cannot be made has its own entry, and a file, a link or a folder in the way
        // is never written through, nor are the folders below it.
        {"folders that cannot be made", tree, "run @/src @/missing/bk --log @/log.txt --quiet",
         "1\n" +
             folderErrors("@/missing/bk",
                          {"", "/linked", "/linked/deeper", "/sub", "/sub/deeper"}) +
             loggedTo + "--\nlog.txt=" +
             entries("@/missing/bk", {"", "/linked", "/linked/deeper", "/sub", "/sub/deeper"}) +
             "\r\n\n"},
        {"folders in the way", tree + "|bk/sub=blocker|outside/|bk/linked>@/outside",
         "run @/src @/bk --log @/log.txt --quiet",
         "1\n" + folderErrors("@/bk", {"/linked", "/linked/deeper", "/sub", "/sub/deeper"}) +
             loggedTo + "--\nbk/a.txt=a\nlog.txt=" +
             entries("@/bk", {"/linked", "/linked/deeper", "/sub", "/sub/deeper"}) + "\r\n\n"},
        // In code page 932 the second byte of 表 and ソ is "\": a name passed through the ANSI code
        // page on Windows would fall apart there.
        {"a copy error and a folder error in code page 932",
         "元/a.txt=a|元/資料.txt=x|元/日本語=n|元/表/ソ.txt=s|元/sub/b.txt=b|先/資料.txt/|先/sub=x",
         "run @/元 @/先 --log @/log.txt --quiet",
         "1\n" + copyError + ": @/元/資料.txt\n" + folderError + ": @/先/sub\n" + loggedTo +
             "--\nlog.txt=" + errorEntry(copyError, "@/元/資料.txt") +
             errorEntry(folderError, "@/先/sub") +
             "\r\n\n先/a.txt=a\n先/日本語=n\n先/表/\n先/表/ソ.txt=s\n"},
        {"a missing source", "", "run @/none @/bk", "1\n" + notFound + ": @/none\n--\n"},
        {"an overlapping pair", "src/a.txt=a", "run @/src @/src/",
         "1\n" + std::string(text::kPairOverlaps) + "\n@/src\n@/src/\n--\n"},
        {"another run holds the backup folder", "src/a.txt=a|bk/", "run @/src @/bk --quiet",
         "1\n" + busy + "\n@/bk\n--\n", "", "@/bk"},
        {"a standard error without a reader loses lines, not the run",
         "src/a/f.txt=f|src/b/g.txt=g|bk/a=a file where a folder must go",
         "run @/src @/bk --log @/log.txt --quiet",
         "1\n--\nbk/b/\nbk/b/g.txt=g\nlog.txt=" + errorEntry(folderError, "@/bk/a") + "\r\n\n",
         "mkfifo .p && exec 3<>.p 2>.p 3<&- &&"},
        sizeLimit,
        {"no command", "", "", "2\nsorvik-cli: no command given\n\n<usage>\n--\n"},
        {"an unknown option", "", "run /a /b --bogus",
         "2\nsorvik-cli: unknown option --bogus\n\n<usage>\n--\n"},
        {"help", "", "--help", "0\n<usage>\n--\n"},
        {"version", "", "--version", "0\nsorvik-cli " SORVIK_VERSION "\n--\n"},
        {"a batch runs every pair of the current list with the saved options",
         "one/a.txt=aaa|one/old.bak=x|two/sub/b.txt=bb|data/Sorvik/sorvik02.ini=bak\r\n|"
         "data/Sorvik/sorvik01.ini=@/data/Sorvik/Default.lst\r\nTrue\r\n 0 \r\n 1 \r\n 0 \r\n"
         " 0 \r\n 0 \r\n|data/Sorvik/Default.lst=@/one\r\n@/bk-one\r\n@/two\r\n@/bk-two\r\n",
         "batch",
         "0\ncopied 0 files (0 B), created 2 empty, skipped 1, errors 0, 3 folders, T s\n--\n"
         "bk-one/\nbk-one/a.txt=\nbk-two/\nbk-two/sub/\nbk-two/sub/b.txt=\n",
         "XDG_DATA_HOME=@/data"},
        {"the errors of every pair go to the folder's log in pair order",
         "zz-src/sub/f.txt=f|zz-bk/sub=x|aa-src/sub/f.txt=f|aa-bk/sub=x|" + settings +
             "@/zz-src\r\n@/zz-bk\r\n@/aa-src\r\n@/aa-bk\r\n",
         "batch --folder @/prog --quiet",
         "1\n" + folderError + ": @/zz-bk/sub\n" + folderError + ": @/aa-bk/sub\n" +
             std::string(text::kErrorsOccurred) + "\n@/prog/ErrorLog.txt\n--\nprog/ErrorLog.txt=" +
             errorEntry(folderError, "@/zz-bk/sub") + errorEntry(folderError, "@/aa-bk/sub") +
             "\r\n\n"},
        {"another run holds the program folder", "src/f.txt=f|" + settings + "@/src\r\n@/bk\r\n",
         "batch --folder @/prog", "1\n" + busy + "\n--\n", "", "@/prog"},
        {"a batch whose one problem is a missing source, after a pair with folders",
         "src/f.txt=f|" + settings + "@/src\r\n@/bk\r\n@/gone\r\n@/bk-gone\r\n",
         "batch --folder prog --quiet", "1\n" + notFound + ": @/gone\n--\nbk/\nbk/f.txt=f\n"},
        {"a batch whose one problem is an overlapping pair",
         "src/f.txt=f|" + settings + "@/src\r\n@/src\r\n@/src\r\n@/bk\r\n",
         "batch --folder prog --quiet",
         "1\n" + std::string(text::kPairOverlaps) + "\n@/src\n@/src\n--\nbk/\nbk/f.txt=f\n"},
        {"a list named on the command line, both paths relative",
         "src/f.txt=f|" + settings + "@/src\r\n@/bk-current\r\n|other.lst=@/src\r\n@/bk-other\r\n",
         "batch --folder prog --list other.lst --quiet", "0\n--\nbk-other/\nbk-other/f.txt=f\n"},
        // A list entry the system cannot take as it is never reaches it: one holding a NUL would
        // be cut there and fill another folder. Each message fits on a console.
        {"pairs that cannot run are told and the next pair still runs",
         "src/f.txt=f|src/sub/g.txt=g|" + settings + "/" + std::string(10'000'000, 'x') +
             "\r\n@/bk-long\r\n@/src\r\n@/bk-nul\0evil\r\n@/src\0x\r\n@/bk-nul\r\n@/src\r\n@/bk\r\n"s,
         "batch --folder prog --quiet",
         "1\n" + notFound + ": /" + std::string(499, 'x') + "…" + std::string(500, 'x') + "\n" +
             std::string(text::kBadBackupFolder) + "\n@/bk-nul?evil\n" + notFound +
             ": @/src?x\n--\nbk/\nbk/f.txt=f\nbk/sub/\nbk/sub/g.txt=g\n"},
        // A console line shows a long name's start and end, each cut at a whole character.
        {"long names on the console",
         settings + "\xEF\xBB\xBF/" + std::string(999, 'x') + "\r\n@/a\r\n/" + repeated("あ", 700) +
             "\r\n@/b\r\n",
         "batch --folder prog --quiet",
         "1\n" + notFound + ": /" + std::string(999, 'x') + "\n" + notFound + ": /" +
             repeated("あ", 166) + "…" + repeated("あ", 166) + "\n--\n"},
        {"a batch option it does not know", "", "batch --bogus",
         "2\nsorvik-cli: unknown option --bogus\n\n<usage>\n--\n"},
        // A batch that cannot read what it needs names the file and the reason and runs nothing:
        // a scheduled batch that silently backs up nothing is the worst way for a backup to fail.
        {"no settings, so no current list", "prog/", "batch --folder prog",
         "2\n" + unreadable + "\n@/prog/sorvik01.ini\n" + notThere},
        {"a list on the command line that is not there", "prog/",
         "batch --folder prog --list none.lst", "2\n" + unreadable + "\n@/none.lst\n" + notThere},
        {"settings naming a list that is not there", "prog/sorvik01.ini=@/gone.lst\r\n",
         "batch --folder prog", "2\n" + unreadable + "\n@/gone.lst\n" + notThere},
        {"settings naming a relative list", "prog/sorvik01.ini=Default.lst\r\n",
         "batch --folder prog",
         "2\n" + unreadable + "\nDefault.lst\n" + why(std::errc::invalid_argument) + "\n--\n"},
        {"settings naming no list", "prog/sorvik01.ini=\r\n", "batch --folder prog",
         "2\n" + unreadable + "\n@/prog/sorvik01.ini\n" + why(std::errc::invalid_argument) +
             "\n--\n"},
        {"settings that are not text", "prog/sorvik01.ini=\x81", "batch --folder prog --list x",
         "2\n" + unreadable + "\n@/prog/sorvik01.ini\n" + notText},
        {"excluded extensions that are not text", "prog/sorvik02.ini=\x81",
         "batch --folder prog --list x", "2\n" + unreadable + "\n@/prog/sorvik02.ini\n" + notText},
        {"a list that is not text", "prog/|bad.lst=\x81", "batch --folder prog --list bad.lst",
         "2\n" + unreadable + "\n@/bad.lst\n" + notText},
        {"no such program folder", "", "batch --folder nowhere",
         "2\n" + unreadable + "\n@/nowhere\n" + notThere},
    });
}

TEST(CommandLine, AFullSmallDiskLeavesTheOldBackupWhole) {
    SKIP_ON_WINDOWS("the small disk is a tmpfs mounted in a mount namespace of its own");
    Row smallDisk = fullDisk("a full disk", "disk/bk");
    smallDisk.onSmallDisk = true;
    expectRows({smallDisk});
}

// How the arguments are read, rows of arguments and the command they give.
std::string describe(const cli::Command& command) {
    if (const auto* run = std::get_if<cli::RunCommand>(&command)) {
        const auto& o = run->options;
        std::string text = "run " + run->source + " " + run->backup;
        text += std::string(o.sizeRule ? " size" : "") + (o.timeRule ? " time" : "") +
                (o.placeholder ? " placeholder" : "") + (o.extensionRule ? " exclude" : "");
        for (const std::string& extension : o.excludedExtensions) {
            text += " ." + extension;
        }
        return text + (run->logPath.empty() ? "" : " log " + run->logPath) +
               (run->jobs == 0 ? "" : " jobs " + std::to_string(run->jobs)) +
               (run->quiet ? " quiet" : "");
    }
    if (const auto* batch = std::get_if<cli::BatchCommand>(&command)) {
        return "batch [" + batch->folder + "] [" + batch->list + "]" +
               (batch->jobs == 0 ? "" : " jobs " + std::to_string(batch->jobs)) +
               (batch->quiet ? " quiet" : "");
    }
    if (const auto* error = std::get_if<cli::UsageError>(&command)) {
        return "usage: " + error->reason;
    }
    return std::holds_alternative<cli::VersionCommand>(command) ? "version" : "help";
}

TEST(CommandLine, ReadsTheArguments) {
    const struct {
        std::vector<std::string> arguments;
        const char* command;
    } rows[] = {
        {{"run", "--size-rule", "/s", "--time-rule", "/b", "--placeholder", "--quiet", "--exclude",
          "bak", "--exclude=tmp", "--log=/l.txt"},
         "run /s /b size time placeholder exclude .bak .tmp log /l.txt quiet"},
        {{"run", "--", "--s", "/b"}, "run --s /b"},
        {{"run", "/s", "/b", "--log", "/l"}, "run /s /b log /l"},
        {{"run", "/s", "/b", "--jobs", "1"}, "run /s /b jobs 1"},
        {{"run", "/s", "/b", "--jobs=256"}, "run /s /b jobs 256"},
        {{"batch", "--jobs", "07"}, "batch [] [] jobs 7"},
        {{"--help"}, "help"},
        {{"-h"}, "help"},
        {{"help"}, "help"},
        {{"--version"}, "version"},
        {{"batch", "--quiet", "--folder", "f", "--list=l.lst"}, "batch [f] [l.lst] quiet"},
        {{"batch", "--folder=f", "--list", "l"}, "batch [f] [l]"},
        {{}, "usage: no command given"},
        {{"copy", "/s", "/b"}, "usage: unknown command copy"},
        {{"run", "/s"}, "usage: run needs a source folder and a backup folder"},
        {{"run", "/s", "/b", "/c"}, "usage: run needs a source folder and a backup folder"},
        {{"run", "/s", "/b", "--log="}, "usage: --log needs a file"},
        {{"run", "/s", "/b", "--log"}, "usage: --log needs a file"},
        {{"run", "/s", "/b", "--exclude"}, "usage: --exclude needs an extension"},
        {{"run", "/s", "/b", "--excluded=x"}, "usage: unknown option --excluded=x"},
        {{"batch", "--folder"}, "usage: --folder needs a folder"},
        {{"run", "/s", "/b", "--jobs", "0"}, "usage: --jobs needs a number from 1 to 256"},
        {{"run", "/s", "/b", "--jobs=257"}, "usage: --jobs needs a number from 1 to 256"},
        {{"run", "/s", "/b", "--jobs", "-2"}, "usage: --jobs needs a number from 1 to 256"},
        {{"batch", "--jobs"}, "usage: --jobs needs a number from 1 to 256"},
        {{"batch", "--list="}, "usage: --list needs a file"},
        {{"batch", "/stray"}, "usage: batch takes no folders of its own: /stray"},
        {{"batch", "--size-rule"}, "usage: unknown option --size-rule"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(describe(cli::parseCommandLine(row.arguments)), row.command)
            << testing::PrintToString(row.arguments);
    }
}

}  // namespace
}  // namespace sorvik::test
