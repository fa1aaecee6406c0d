#include "tests/support/harness.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace sorvik::test {
namespace {

constexpr int kSkipStatus = 77;

[[noreturn]] void skipBecause(const char* call) {
    throw ChildSkip(std::string(call) + ": " + std::strerror(errno));
}

}  // namespace

std::optional<std::string> inChild(const std::function<std::string()>& body,
                                   unsigned secondsAllowed) {
    int fds[2];
    std::fflush(nullptr);
    const pid_t pid = ::pipe(fds) == 0 ? ::fork() : -1;
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(secondsAllowed);
        int status = 0;
        std::string report;
        try {
            report = body();
        } catch (const ChildSkip& skip) {
            status = kSkipStatus;
            report = skip.what();
        } catch (const std::exception& error) {
            status = 1;
            report = std::string("exception: ") + error.what();
        }
        for (std::size_t done = 0; done < report.size();) {
            const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
            if (n < 0 && errno != EINTR) {
                break;
            }
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        ::_exit(status);
    }
    if (pid < 0) {
        ADD_FAILURE() << "pipe or fork: " << std::strerror(errno);
        return std::nullopt;
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno != EINTR) {
            break;
        }
        report.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return report;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipStatus) {
        [&] { GTEST_SKIP() << report; }();
        return std::nullopt;
    }
    ADD_FAILURE() << report
                  << (WIFSIGNALED(status)
                          ? "\nchild killed by signal " + std::to_string(WTERMSIG(status))
                          : std::string());
    return std::nullopt;
}

void limitFileSize(std::size_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        skipBecause("setrlimit");
    }
}

void becomeNobody() {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        skipBecause("giving up root");
    }
}

void enterPrivateMountNamespace() {
    // MS_PRIVATE keeps a mount from travelling back to the parent's namespace.
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)) {
        skipBecause("a mount namespace of its own");
    }
}

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            result.output.append(buffer, n);
        }
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result;
}

std::string cliCommand(const std::vector<std::string>& arguments) {
    std::string command = "'" SORVIK_CLI_PATH "'";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    return command;
}

std::map<std::string, std::string> snapshotTree(const std::filesystem::path& root,
                                                const std::filesystem::path& skipped) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        if (!skipped.empty() && it->path() == skipped) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        std::string& facts = entries[it->path().lexically_relative(root).string()];
        facts = std::to_string(st.st_mode);
        if (S_ISREG(st.st_mode)) {
            facts += " " + std::to_string(st.st_ino) + " " +
                     std::to_string(modifiedTimeNs(it->path())) + " " + readFile(it->path());
        } else if (S_ISLNK(st.st_mode)) {
            facts += " -> " + fs::read_symlink(it->path()).string();
        }
    }
    return entries;
}

std::string namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : " ") + name;
    }
    return joined;
}

RunRecord runBackup(const std::string& source, const std::string& backup,
                    const engine::RunOptions& options) {
    RecordingHost host;
    host.source = source;
    host.backup = backup;
    host.runOptions = options;
    engine::BackupEngine engine(host);
    engine.inBatch = true;
    engine.singleRun();
    return {engine.stats(), engine.errors().text(), host.captions, host.messages};
}

}  // namespace sorvik::test
