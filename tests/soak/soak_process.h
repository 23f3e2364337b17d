// Runs `ombra` on a script in the soak's folder: to its end, or until the harness kills it with
// SIGKILL at a chosen moment. The marks it prints (one number a line, flushed by every PRINT)
// come through a pipe.
#pragma once

#include <string>

namespace Soak {

struct Launch {
    std::string ombra;   // the ombra executable
    std::string folder;  // the base folder; the script file is written there
};

struct KillPoint {
    int afterMark = 0;    // kill once this mark has been read (0: as soon as it runs)
    int delayMicros = 0;  // then wait this long before the kill
};

struct WritingRun {
    int lastMark = 0;     // the highest mark printed before the process ended
    bool killed = false;  // false when the script ended before the kill point
    bool failed = false;  // the process could not be run, or ended with an error of its own
    std::string error;
};

// Runs the writing script and kills it at `point`; every mark it printed before it died is read.
WritingRun RunAndKill(const Launch& launch, const std::string& script, const KillPoint& point);

// Runs the reading script to its end. False with `error` set when it could not run or failed.
bool RunToEnd(const Launch& launch, const std::string& script, std::string& output,
              std::string& error);

}  // namespace Soak
