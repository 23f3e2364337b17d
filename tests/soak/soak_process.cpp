#include "tests/soak/soak_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace Soak {
namespace {

struct Child {
    pid_t pid = -1;
    int output = -1;  // the read end of its standard output
};

bool WriteScript(const std::string& path, const std::string& script) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << script;
    return bool(file.flush());
}

// In the child: standard input from /dev/null, standard output into the pipe, standard error
// into the folder's log file; then ombra.
[[noreturn]] void BecomeOmbra(const Launch& launch, const std::string& scriptPath, int pipeEnd) {
    const int devNull = ::open("/dev/null", O_RDONLY);
    const std::string logPath = launch.folder + "/ombra.log";
    const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (devNull < 0 || log < 0 || ::dup2(devNull, 0) < 0 || ::dup2(pipeEnd, 1) < 0 ||
        ::dup2(log, 2) < 0)
        ::_exit(127);
    ::execl(launch.ombra.c_str(), launch.ombra.c_str(), "--base", launch.folder.c_str(),
            scriptPath.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
}

bool Start(const Launch& launch, const std::string& script, Child& child, std::string& error) {
    const std::string scriptPath = launch.folder + "/script.omb";
    int ends[2];
    if (!WriteScript(scriptPath, script) || ::pipe2(ends, O_CLOEXEC) != 0) {
        error = "cannot write the script or make a pipe";
        return false;
    }
    child.pid = ::fork();
    if (child.pid == 0) BecomeOmbra(launch, scriptPath, ends[1]);
    ::close(ends[1]);
    child.output = ends[0];
    if (child.pid > 0) return true;
    ::close(ends[0]);
    error = "fork failed";
    return false;
}

// The exit status, or -1 for a process that a signal ended.
int Wait(const Child& child) {
    int status = 0;
    while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Appends what the child wrote next to `pending`; false at the end of its output.
bool ReadSome(int fd, std::string& pending) {
    char buffer[4096];
    ssize_t got;
    do {
        got = ::read(fd, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return false;
    pending.append(buffer, std::size_t(got));
    return true;
}

// The marks among the complete lines of `pending`; the incomplete last line stays.
void TakeMarks(std::string& pending, int& lastMark) {
    std::size_t start = 0;
    for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
        lastMark = std::atoi(pending.c_str() + start);
    pending.erase(0, start);
}

}  // namespace

WritingRun RunAndKill(const Launch& launch, const std::string& script, const KillPoint& point) {
    WritingRun run;
    Child child;
    if (!Start(launch, script, child, run.error)) {
        run.failed = true;
        return run;
    }
    std::string pending;
    bool open = true;
    while (open && run.lastMark < point.afterMark) {
        open = ReadSome(child.output, pending);
        TakeMarks(pending, run.lastMark);
    }
    if (open) {
        std::this_thread::sleep_for(std::chrono::microseconds(point.delayMicros));
        run.killed = ::kill(child.pid, SIGKILL) == 0;
    }
    while (ReadSome(child.output, pending)) TakeMarks(pending, run.lastMark);
    ::close(child.output);
    const int status = Wait(child);
    // A process that ended by itself must have run its script without an error.
    if (status != -1 && status != 0) {
        run.failed = true;
        run.error = "ombra exited with status " + std::to_string(status);
    }
    run.killed = run.killed && status == -1;
    return run;
}

bool RunToEnd(const Launch& launch, const std::string& script, std::string& output,
              std::string& error) {
    Child child;
    if (!Start(launch, script, child, error)) return false;
    while (ReadSome(child.output, output)) {
    }
    ::close(child.output);
    const int status = Wait(child);
    if (status == 0) return true;
    error = "the reading script ended with status " + std::to_string(status);
    return false;
}

}  // namespace Soak
