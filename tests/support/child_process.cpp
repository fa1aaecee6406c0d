#include "tests/support/child_process.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sorvik::test {
namespace {

constexpr int kSkipStatus = 77;

std::string failedCall(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

ChildOutcome runInChild(const std::function<std::string()>& body, unsigned secondsAllowed) {
    int fds[2];
    std::fflush(nullptr);
    const pid_t pid = ::pipe(fds) == 0 ? ::fork() : -1;
    if (pid < 0) {
        return {ChildOutcome::End::failed, failedCall("pipe or fork")};
    }
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
    ::close(fds[1]);
    ChildOutcome outcome;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno != EINTR) {
            break;
        }
        outcome.report.append(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        outcome.end = ChildOutcome::End::finished;
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipStatus) {
        outcome.end = ChildOutcome::End::skipped;
    } else if (WIFSIGNALED(status)) {
        outcome.report += "\nchild killed by signal " + std::to_string(WTERMSIG(status)) +
                          (WTERMSIG(status) == SIGALRM ? " (it hung)" : "");
    }
    return outcome;
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

void enterPrivateMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0) {
        throw ChildSkip("no mount namespace of its own here (" + failedCall("unshare") + ")");
    }
    // Without this a mount could still travel back to the parent's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        throw ChildSkip("cannot make the mounts private (" + failedCall("mount") + ")");
    }
}

}  // namespace sorvik::test
