// Binds the module code linked into this test program (not the loaded module) to a recording host
// environment, with the program's own copy of the module's resources registered, so that the
// opening operations can be called directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/environment.h"
#include "tests/support/core_binding.h"

namespace OpenTest {

// The in-process binding of tests/support.
using OmbraTest::BindCore;
using OmbraTest::SetCoreFetchers;
using OmbraTest::SetCoreLibraryLookup;
using OmbraTest::TakeCoreReports;

// The message string fetcher of the interpreter, for calls that take one.
StringFetcherProc CoreMessageFetcher();

// UTF-8 text to and from the base library's strings and locations.
ZR::UniString U(const std::string& text);
std::string Utf8(const ZR::UniString& text);
std::string PathOf(const IO::Location& location);

}  // namespace OpenTest
