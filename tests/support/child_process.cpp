#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

extern char** environ;

namespace OmbraTest {
namespace {

std::vector<std::string> ChildEnvironment(const ChildRun& run) {
    auto replaced = [&run](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        for (const std::string& set : run.setEnvironment)
            if (set.starts_with(name)) return true;
        return false;
    };
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!replaced(*entry)) entries.push_back(*entry);
    }
    entries.insert(entries.end(), run.setEnvironment.begin(), run.setEnvironment.end());
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// Makes the child's ends, forks, and in the child sets them up and calls `enter` (which must not
// return); in the parent feeds standard input, drains both outputs and waits.
template <typename Enter>
ChildResult Run(const ChildRun& run, Enter enter) {
    ChildResult result;
    int inPipe[2] = {-1, -1}, outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    int controller = -1, terminal = -1;
    bool made = pipe2(outPipe, O_CLOEXEC) == 0 && pipe2(errPipe, O_CLOEXEC) == 0;
    if (made && run.terminal) {
        // What is typed ahead waits in the terminal's line buffer until the child reads it.
        made = openpty(&controller, &terminal, nullptr, nullptr, nullptr) == 0 &&
               write(controller, run.input.data(), run.input.size()) == ssize_t(run.input.size());
    } else if (made) {
        made = pipe2(inPipe, O_CLOEXEC) == 0;
    }
    // Output this program has buffered is written now, or the child would write it again when
    // something in it flushes its copy of the buffers (valgrind's exit does).
    std::fflush(nullptr);
    const pid_t child = made ? fork() : -1;
    if (child == 0) {
        const int in = run.terminal ? terminal : inPipe[0];
        if (dup2(in, 0) < 0 || dup2(outPipe[1], 1) < 0 || dup2(errPipe[1], 2) < 0) _exit(126);
        if (!run.folder.empty() && chdir(run.folder.c_str()) != 0) _exit(126);
        enter();
    }
    CloseIfOpen(inPipe[0]);
    CloseIfOpen(outPipe[1]);
    CloseIfOpen(errPipe[1]);
    CloseIfOpen(terminal);
    if (child < 0) {
        for (int* fd : {&inPipe[1], &outPipe[0], &errPipe[0], &controller}) CloseIfOpen(*fd);
        return result;
    }
    result.started = true;

    // A child that stops reading its input must not end this program with SIGPIPE.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    std::size_t written = 0;
    if (inPipe[1] >= 0 && run.input.empty()) CloseIfOpen(inPipe[1]);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(run.timeoutMilliseconds);
    bool killed = false;
    while (outPipe[0] >= 0 || errPipe[0] >= 0) {
        pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inPipe[1], POLLOUT, 0}};
        int wait = -1;
        // Once killed, what it wrote before it died is still read.
        if (run.timeoutMilliseconds > 0 && !killed) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            wait = int(std::max<long long>(0, left.count()));
            if (wait == 0) {
                kill(child, SIGKILL);
                killed = true;
                wait = -1;
            }
        }
        if (poll(fds, 3, wait) < 0 && errno != EINTR) break;
        std::string* sinks[2] = {&result.out, &result.err};
        int* sources[2] = {&outPipe[0], &errPipe[0]};
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(*sources[i], buffer, sizeof buffer);
            if (got > 0) sinks[i]->append(buffer, std::size_t(got));
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
                CloseIfOpen(*sources[i]);
        }
        if (fds[2].revents != 0) {
            const ssize_t put =
                write(inPipe[1], run.input.data() + written, run.input.size() - written);
            if (put > 0) written += std::size_t(put);
            if ((put < 0 && errno != EINTR && errno != EAGAIN) || written == run.input.size()) {
                CloseIfOpen(inPipe[1]);
            }
        }
    }
    for (int* fd : {&inPipe[1], &outPipe[0], &errPipe[0]}) CloseIfOpen(*fd);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    CloseIfOpen(controller);
    sigaction(SIGPIPE, &previous, nullptr);
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

}  // namespace

ChildResult RunProgram(const ChildRun& run) {
    if (run.arguments.empty()) return {};
    std::vector<std::string> argvTexts = run.arguments;
    std::vector<std::string> envTexts = ChildEnvironment(run);
    std::vector<char*> argv = Pointers(argvTexts);
    std::vector<char*> envp = Pointers(envTexts);
    return Run(run, [&] {
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    });
}

ChildResult RunFunction(const ChildRun& run, const std::function<int()>& body) {
    return Run(run, [&] { _exit(body()); });
}

}  // namespace OmbraTest
