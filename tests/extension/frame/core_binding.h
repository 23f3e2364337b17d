// Binds the frame code linked into this test program (not the loaded module) to a recording host
// environment, with the program's own copy of the module's resources registered.
#pragma once

#include <string>
#include <vector>

#include "host/environment.h"

namespace FrameTest {

// Binds once per process; afterwards resets the fetchers to the interpreter's and clears the
// recorded reports.
void BindCore();

// What the service record provider hands out (set before the call under test).
void SetCoreFetchers(StringFetcherProc fixedFetcher, StringFetcherProc messageFetcher);

// Returns and clears the texts the core sent to its report service.
std::vector<std::string> TakeCoreReports();

}  // namespace FrameTest
