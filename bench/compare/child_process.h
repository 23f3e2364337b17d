// Running another program and waiting for it: the script host under test, and this program
// started afresh where a measurement needs a process of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Compare {

struct ProgramRun {
    int exitStatus = -1;        // -1 when the program did not exit normally
    std::string output;         // what it wrote to standard output
    double nanoseconds = 0;     // from the start to the end of the wait
    double cpuNanoseconds = 0;  // its CPU time, user and system, all its threads
};

// Runs `arguments` (the program first: a path, or a name looked up in PATH) with standard input
// from /dev/null and standard error inherited. Nothing when it cannot be started.
std::optional<ProgramRun> RunProgram(const std::vector<std::string>& arguments);

// The path of the running program.
std::string OwnProgramPath();

}  // namespace Compare
