#include "tests/support/harness.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#else
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#endif

#include <algorithm>

namespace sorvik::test {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

std::wstring wide(std::string_view utf8) {
    std::wstring text(utf8.size(), L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                             text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

}  // namespace

// The test program and sorvik-cli are both built into the build tree; the build gives the
// program's path relative to the test program's folder, which holds wherever the tree is seen
// from (under Wine a Linux path would be Z:\…).
std::string cliPath() {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return textOf((fs::path(self).parent_path() / pathOf(SORVIK_CLI_PATH)).lexically_normal());
}

namespace {

// One argument as the C runtime splits a command line: in quotes, backslashes doubled where a
// quote follows them. cmd.exe, which runs the command, takes every quote for the start or the end
// of a quoted part, so what follows an argument holding one would be its to read: no test
// passes one.
std::string quoted(const std::string& argument) {
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
        } else {
            text.append(c == '"' ? backslashes + 1 : 0, '\\');
            backslashes = 0;
        }
        text.push_back(c);
    }
    return text.append(backslashes, '\\') + "\"";
}

// The file index tells a file replaced by another apart from one written in place; the
// attributes show a file hidden or made read-only.
std::string identityOf(const fs::path& path) {
    const HANDLE file = ::CreateFileW(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = file != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
    return known ? std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow) +
                       " attributes " + std::to_string(info.dwFileAttributes)
                 : "unknown";
}

}  // namespace

std::optional<std::string> inChild(const std::function<std::string()>&, unsigned) {
    [] {
        GTEST_SKIP() << "needs a child process that shares the test's memory (fork), which "
                        "Windows does not have";
    }();
    return std::nullopt;
}

void limitFileSize(std::size_t) {
    throw ChildSkip("Windows has no file size limit for a process");
}

void becomeNobody() {
    throw ChildSkip("no user to become on Windows");
}

void enterPrivateMountNamespace() {
    throw ChildSkip("Windows has no mount namespaces");
}

unsigned ansiCodePage() {
    return ::GetACP();
}

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    std::fflush(nullptr);
    if (FILE* pipe = ::_wpopen(wide(command).c_str(), L"rb")) {
        char buffer[512];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            result.output.append(buffer, n);
        }
        result.status = ::_pclose(pipe);
    }
    return result;
}

std::string cliCommand(const std::vector<std::string>& arguments) {
    std::string command = quoted(cliPath());
    for (const std::string& argument : arguments) {
        command += " " + quoted(argument);
    }
    return command;
}

#else

namespace {

constexpr int kSkipStatus = 77;

[[noreturn]] void skipBecause(const char* call) {
    throw ChildSkip(std::string(call) + ": " + std::strerror(errno));
}

std::string identityOf(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? std::to_string(st.st_ino) : "unknown";
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

unsigned ansiCodePage() {
    return 0;
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

std::string cliPath() {
    return SORVIK_CLI_PATH;
}

std::string cliCommand(const std::vector<std::string>& arguments) {
    std::string command = "'" + cliPath() + "'";
    for (const std::string& argument : arguments) {
        command += " '" + argument + "'";
    }
    return command;
}

#endif

std::map<std::string, std::string> snapshotTree(const std::string& root,
                                                const std::string& skipped) {
    const fs::path top = pathOf(root);
    const fs::path left = pathOf(skipped);
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator();
         ++it) {
        if (!skipped.empty() && it->path() == left) {
            it.disable_recursion_pending();
            continue;
        }
        const fs::file_status status = fs::symlink_status(it->path());
        std::string& facts = entries[textOf(it->path().lexically_relative(top).generic_u8string())];
        facts = std::to_string(static_cast<int>(status.type())) + " " +
                std::to_string(static_cast<int>(status.permissions()));
        if (fs::is_regular_file(status)) {
            const std::string path = textOf(it->path());
            facts += " " + identityOf(it->path()) + " " + std::to_string(modifiedTimeNs(path)) +
                     " " + readFile(path);
        } else if (fs::is_symlink(status)) {
            facts += " -> " + textOf(fs::read_symlink(it->path()));
        }
    }
    return entries;
}

std::string namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(pathOf(folder))) {
        names.push_back(textOf(item.path().filename()));
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
