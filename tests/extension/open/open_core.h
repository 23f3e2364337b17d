// Binds the module code linked into this test program (not the loaded module) to a recording host
// environment, with the program's own copy of the module's resources registered, so that the
// opening operations can be called directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/environment.h"

namespace OpenTest {

// Binds once per process and loads the keyword tables; afterwards restores the interpreter's
// fetchers, forgets the library lookup and clears the recorded reports.
void BindCore();

// What the service record provider hands out (set before the call under test).
void SetCoreFetchers(StringFetcherProc fixedFetcher, StringFetcherProc messageFetcher);

// Environment slot 3 of the bound environment; not found (1) while empty.
void SetCoreLibraryLookup(std::function<Int16(const ZR::UniString&, IO::Location&)> lookup);

// Returns and clears the texts the core sent to its report service.
std::vector<std::string> TakeCoreReports();

// The message string fetcher of the interpreter, for calls that take one.
StringFetcherProc CoreMessageFetcher();

// UTF-8 text to and from the base library's strings and locations.
ZR::UniString U(const std::string& text);
std::string Utf8(const ZR::UniString& text);
std::string PathOf(const IO::Location& location);

}  // namespace OpenTest
