// The module code linked into a test program (not the loaded module), bound to a recording host
// environment with the program's own copy of the module's resources, so that its operations can
// be called directly. The loaded module's stand-in is TestHost (test_host.h).
#pragma once

#include <string>
#include <vector>

#include "host/environment.h"

namespace OmbraTest {

// Binds (the interpreter's fetchers, no library: every lookup finds nothing) and runs
// InitExtension once per process; afterwards clears the recorded reports. True when
// InitExtension succeeded.
bool BindCore();

// Returns and clears the texts the core sent to its report service.
std::vector<std::string> TakeCoreReports();

// String `index` of message list `list` of the module's resources, as stored; aborts the test
// program when there is none.
std::string ModuleMessage(Int16 list, Int16 index);

// The report the module makes for message `index` of list `list` about the file `fileName`:
// the message without its four-character prefix, `argument` in place of its "%s" if it has one,
// set in the message frame. Composed here from the resources, independently of the module's own
// code.
std::string ModuleReport(Int16 list, Int16 index, const std::string& fileName,
                         const std::string& argument = "");

}  // namespace OmbraTest
