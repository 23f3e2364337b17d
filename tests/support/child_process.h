// Runs a child process, a program or a function of this one, and collects what it wrote on
// standard output and standard error and how it ended. Standard input is the given bytes, on a
// pipe or, for a child that must see a terminal, typed ahead on a pseudo-terminal.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace OmbraTest {

struct ChildRun {
    std::vector<std::string> arguments;  // for RunProgram: the program's path, then its arguments
    std::string input;                   // the bytes on standard input
    bool terminal = false;               // standard input is a terminal with `input` typed ahead
    std::string folder;                  // the current folder of the child; empty: ours
    std::vector<std::string> setEnvironment;  // entries "NAME=value" replacing or adding to ours
    int timeoutMilliseconds = 0;              // killed (SIGKILL) after this long; 0: no limit
};

struct ChildResult {
    bool started = false;  // false when the child could not be made (nothing else is set)
    int exitStatus = -1;   // the status it exited with, or -1 when a signal ended it
    int signal = 0;        // the signal that ended it, or 0
    std::string out, err;

    // The exit status, or 128 + the signal, as a shell reports it.
    int Status() const { return signal != 0 ? 128 + signal : exitStatus; }
};

// Executes arguments[0] (a path) with the rest as its arguments.
ChildResult RunProgram(const ChildRun& run);

// Forks and runs `body` in the child, which exits with the value it returns. `run.arguments`
// and `run.setEnvironment` are not used: the child shares this program's state, its environment
// included, as fork leaves it.
ChildResult RunFunction(const ChildRun& run, const std::function<int()>& body);

}  // namespace OmbraTest
