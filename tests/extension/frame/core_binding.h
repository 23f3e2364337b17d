// Binds the frame code linked into this test program (not the loaded module) to a recording host
// environment, with the program's own copy of the module's resources registered.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/environment.h"

namespace FrameTest {

// Binds once per process; afterwards resets the fetchers to the interpreter's, forgets the
// library lookup and clears the recorded reports.
void BindCore();

// What the service record provider hands out (set before the call under test).
void SetCoreFetchers(StringFetcherProc fixedFetcher, StringFetcherProc messageFetcher);

// Environment slot 3 of the bound environment; not found (1) while empty.
void SetCoreLibraryLookup(std::function<Int16(const ZR::UniString&, IO::Location&)> lookup);

// Returns and clears the texts the core sent to its report service.
std::vector<std::string> TakeCoreReports();

}  // namespace FrameTest
