#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace sorvik::test {

// Thrown inside a child to say the test cannot run on this machine; the message says why.
struct ChildSkip : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ChildOutcome {
    enum class End { finished, skipped, failed };
    End end = End::failed;
    std::string report;  // what the body returned, or why the child skipped or failed
};

// Runs `body` in a forked child and hands back what it returned. Faults that change the whole
// process (a file size limit, a mount namespace, a lost user id) stay in the child. The child ends
// with _exit(), so the test framework's and the sanitizers' exit handlers run once, in the parent.
// A child still running after `secondsAllowed` is killed by SIGALRM: a hang fails the test.
ChildOutcome runInChild(const std::function<std::string()>& body, unsigned secondsAllowed = 60);

// Runs a shell command; its exit status and what it printed on standard output.
struct CommandResult {
    int status = -1;
    std::string output;
};
CommandResult runCommand(const std::string& command);

// Gives this process mounts of its own: whatever it mounts afterwards nobody else sees, and it
// goes away with the process. Throws ChildSkip where that is not allowed.
void enterPrivateMountNamespace();

}  // namespace sorvik::test
