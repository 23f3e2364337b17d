#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "ombra/data_statements.h"
#include "ombra/host_settings.h"

namespace Ombra {

// What runs under the host, a script or an interactive session, over the data statements of the
// loaded modules; returns its exit status (see ExitStatus).
using HostedRun = std::function<int(DataStatements& data)>;

// Runs a script or session under the host, from start to end:
// 1. sets up the platform: the base folder, the object library's and the host library's folders,
//    the scripted dialog answers, and the terminal for dialogs when standard input is one;
// 2. reads the state file into the remembered-location block;
// 3. loads and binds the extension modules, reporting those it skips on `err`;
// 4. calls `run` (on a worker thread while this thread serves the message loop, or on this
//    thread with settings.mainThread);
// 5. closes the channels left open, naming `scriptName` in its errors, unloads the modules,
//    writes the state file.
// Returns the exit status: run's; 1 instead of 0 when closing a channel at the end or writing
// the state file failed; 2 when the state file cannot be read (nothing has run then).
// REQUIRES: called on the main thread, once per process.
int RunHosted(const HostSettings& settings, const std::string& scriptName, const HostedRun& run,
              std::ostream& err);

}  // namespace Ombra
