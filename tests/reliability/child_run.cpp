#include "tests/reliability/child_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace Reliability {
namespace {

constexpr int PrepareFailed = 3;
constexpr int Killed = 77;

// The child's whole life: it never returns, and reports each returned step by one byte on
// `progress` (a plain system call, outside the file system under test).
[[noreturn]] void RunChild(ScenarioRunner& runner, const Scenario& scenario, std::size_t call,
                           const KillHooks& hooks, int progress) {
    if (!runner.RunPrepared(scenario)) _exit(PrepareFailed);
    if (hooks.start) hooks.start();
    Faults::Reset();
    Faults::SetCallback([&hooks, call](const Faults::CallInfo& info) {
        if (info.number == call) {
            if (hooks.atKill) hooks.atKill();
            _exit(Killed);
        }
        if (hooks.observe) hooks.observe(info);
    });
    for (const Step& step : scenario.steps) {
        runner.Run(step);
        const char byte = 1;
        if (::write(progress, &byte, 1) != 1) _exit(PrepareFailed);
    }
    _exit(0);
}

std::size_t CountProgress(int progress) {
    std::size_t count = 0;
    char buffer[64];
    for (;;) {
        const ssize_t got = ::read(progress, buffer, sizeof buffer);
        if (got > 0) {
            count += std::size_t(got);
        } else if (got == 0 || errno != EINTR) {
            return count;
        }
    }
}

}  // namespace

ChildOutcome RunUntilCall(ScenarioRunner& runner, const Scenario& scenario, std::size_t call,
                          const KillHooks& hooks) {
    ChildOutcome outcome;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return outcome;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        RunChild(runner, scenario, call, hooks, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    if (child > 0) outcome.returned = CountProgress(pipeEnds[0]);
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return outcome;
    outcome.ran = WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == Killed;
    outcome.killed = WEXITSTATUS(status) == Killed;
    return outcome;
}

}  // namespace Reliability
