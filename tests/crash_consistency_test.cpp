// A run killed at any writing call leaves each backup file old or new, never half, and the next
// run finishes the job and clears what the killed one left.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <sstream>

#include "platform/temporary_name.h"
#include "tests/support/harness.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;

// The calls by which a run changes the backup, under every name an architecture may give them.
const std::set<std::string> kWritingCalls = {
    "open",   "openat",    "creat",     "write",    "pwrite64",  "copy_file_range", "sendfile",
    "fchmod", "utimensat", "rename",    "renameat", "renameat2", "unlink",          "unlinkat",
    "mkdir",  "mkdirat",   "ftruncate", "fsync",    "fdatasync", "syncfs"};

using Files = std::map<std::string, std::string>;  // bytes by relative path

// Bytes that differ from position to position, so a copy cut short or shifted never matches.
std::string pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + seed * 7919 + i / 4093) % 251);
    }
    return bytes;
}

// Folders, files from empty to over 1 MiB, and a backup with older versions of some, a file of its
// own and a killed run's temporaries. "docs" has enough files for the run to look them up on its
// second thread. The bytes are made once, as every kill point needs them.
const Files kNew{{"big.bin", pattern(5 << 18, 1)},
                 {"docs/report.txt", "new report\n"},
                 {"docs/photo.bin", pattern(1 << 18, 2)},
                 {"docs/notes.txt", "notes\n"},
                 {"docs/empty", ""},
                 {"docs/list.csv", "a,b\n"},
                 {"media/deep/clip.bin", pattern(9 << 17, 3)}};
const Files kOld{{"big.bin", pattern(1 << 18, 9)},
                 {"docs/report.txt", "the old report, longer than the new one\n"},
                 {"docs/photo.bin", pattern(3 << 17, 8)},
                 {"docs/notes.txt", "old notes\n"},
                 {"docs/only-in-backup.txt", "kept\n"}};

struct Scene {
    TempFolder temp;
    std::string source = temp / "src";
    std::string backup = temp / "bk";
    std::map<std::string, std::string> sourceBefore, backupBefore;  // snapshotTree before the run

    Scene() {
        for (const auto& [name, bytes] : kNew) {
            writeFile(source + "/" + name, bytes);
        }
        fs::create_directories(source + "/media/nothing");
        for (const auto& [name, bytes] : kOld) {
            writeFile(backup + "/" + name, bytes);
            setModifiedTime(backup + "/" + name, 1'600'000'000);
        }
        writeFile(backup + "/" + platform::newTemporaryName(), "left by a killed run");
        writeFile(backup + "/docs/" + platform::newTemporaryName(), "left by a killed run");
        sourceBefore = snapshotTree(source);
        backupBefore = snapshotTree(backup);
    }
    std::string run(unsigned jobs = 1) const {
        return cliCommand(
            {"run", source, backup, "--time-rule", "--quiet", "--jobs", std::to_string(jobs)});
    }
};

Files filesIn(const std::string& folder) {
    const fs::path root = pathOf(folder);
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() &&
            !platform::isTemporaryName(textOf(entry.path().filename()))) {
            files[textOf(entry.path().lexically_relative(root).generic_u8string())] =
                readFile(textOf(entry.path()));
        }
    }
    return files;
}

// strace counts `when=` per thread, so a call's kill points go up to its count in the busiest one.
std::map<std::string, int> writingCallsPerThread(const Scene& scene, unsigned jobs) {
    const std::string trace = scene.temp / "trace";
    runCommand("strace -f -o '" + trace + "' " + scene.run(jobs) + " >/dev/null 2>&1");
    std::map<std::pair<std::string, std::string>, int> perThread;  // (call, thread) -> count
    std::map<std::string, int> most;
    std::istringstream lines(readFile(trace));
    for (std::string thread, head; lines >> thread >> head;) {
        lines.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        if (const auto call = head.substr(0, head.find('(')); kWritingCalls.contains(call)) {
            most[call] = std::max(most[call], ++perThread[{call, thread}]);
        }
    }
    return most;
}

// Which occurrences to kill at: all, or `wanted` of them spread from the first to the last.
std::vector<int> occurrences(int count, int wanted) {
    wanted = wanted <= 0 ? count : std::min(wanted, count);
    std::set<int> picked;
    for (int k = 0; k < wanted; ++k) {
        picked.insert(wanted == 1 ? 1 : 1 + k * (count - 1) / (wanted - 1));
    }
    return {picked.begin(), picked.end()};
}

void expectConsistentAfterKill(const Scene& scene) {
    const Files now = filesIn(scene.backup);
    for (const auto& [name, bytes] : now) {
        const bool old = kOld.contains(name) && kOld.at(name) == bytes;
        const bool copied = kNew.contains(name) && kNew.at(name) == bytes;
        EXPECT_TRUE(old || copied)
            << name << " is neither its old nor its source bytes (" << bytes.size() << " bytes)";
    }
    const auto backupNow = snapshotTree(scene.backup);
    for (const auto& [name, bytes] : kOld) {
        EXPECT_TRUE(now.contains(name)) << name << " went missing";
        if (!kNew.contains(name)) {
            EXPECT_EQ(backupNow.at(name), scene.backupBefore.at(name)) << name << " was touched";
        }
    }
    EXPECT_EQ(snapshotTree(scene.source), scene.sourceBefore) << "the source changed";

    const CommandResult next = runCommand(scene.run() + " 2>&1");
    ASSERT_EQ(next.status, 0) << next.output;
    for (const auto& [name, bytes] : kNew) {
        EXPECT_TRUE(fs::exists(scene.backup + "/" + name) &&
                    readFile(scene.backup + "/" + name) == bytes)
            << name << " is not the source's after the next run";
    }
    EXPECT_TRUE(fs::is_directory(scene.backup + "/media/nothing"));
    for (const auto& entry : fs::recursive_directory_iterator(scene.backup)) {
        EXPECT_FALSE(platform::isTemporaryName(textOf(entry.path().filename())))
            << "left after the next run: " << entry.path();
    }
}

// Kills the run at occurrence `when` of `call`; 1 when it was killed there and left the backup
// consistent.
int killAndCheck(const std::string& call, int when, unsigned jobs) {
    const Scene scene;
    const std::string inject = call + ":signal=KILL:when=" + std::to_string(when);
    const CommandResult killed =
        runCommand("strace -f -o /dev/null -e trace=" + call + " -e inject=" + inject + " " +
                   scene.run(jobs) + " >/dev/null 2>&1; echo $?");
    // 128 + SIGKILL: the shell saw the run end by the kill, not finish on its own.
    EXPECT_EQ(killed.output, "137\n") << "the run ended before the kill";
    expectConsistentAfterKill(scene);
    return killed.output == "137\n" ? 1 : 0;
}

TEST(CrashConsistency, AKilledRunLeavesWholeFilesAndTheNextRunFinishesIt) {
    SKIP_ON_WINDOWS(
        "the run is killed at each writing call by strace's fault injection, which "
        "is Linux's");
    if (runCommand("command -v strace").status != 0) {
        GTEST_SKIP() << "strace is not installed (scripts/install-dependencies.sh installs it)";
    }
    const CommandResult probe =
        runCommand("strace -f -o /dev/null -e inject=fchmod:error=EPERM true 2>&1");
    if (probe.status != 0) {
        GTEST_SKIP() << "strace cannot trace or inject faults here (ptrace refused?): "
                     << probe.output;
    }
    // SORVIK_CRASH_POINTS=all kills at every occurrence of every call, a number at that many each.
    const char* points = std::getenv("SORVIK_CRASH_POINTS");
    const int perCall = !points ? 5 : std::string(points) == "all" ? 0 : std::atoi(points);

    int killPoints = 0;
    for (const unsigned jobs : {1u, 4u}) {
        const auto counts = writingCallsPerThread(Scene(), jobs);
        // Exactly one flush of the backup's file system, so "[Complete]" means the data is on
        // the disk.
        EXPECT_EQ(counts.contains("syncfs") ? counts.at("syncfs") : 0, 1);
        for (const auto& [call, count] : counts) {
            // strace counts each thread's calls apart, and which worker copies which file changes
            // from run to run: with workers, only a call's first occurrence, in whichever thread
            // makes it first, is a kill point every run reaches.
            for (const int when : jobs == 1 ? occurrences(count, perCall) : std::vector<int>{1}) {
                SCOPED_TRACE("killed at " + call + " #" + std::to_string(when) + " of " +
                             std::to_string(count) + " with " + std::to_string(jobs) + " jobs");
                killPoints += killAndCheck(call, when, jobs);
            }
        }
    }
    if (!points) {
        EXPECT_GE(killPoints, 30) << "the run makes fewer writing calls than the scene should give";
    }
    RecordProperty("kill_points", killPoints);
}

}  // namespace
}  // namespace sorvik::test
