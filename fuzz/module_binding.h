// The module code linked into a fuzz target, bound to the recording host environment of the test
// helpers (reports are collected, not shown) with the keyword and mode tables loaded.
#pragma once

#include <string>
#include <vector>

namespace OmbraFuzz {

// Binds once per process; every call clears the recorded reports.
void BindModuleCode();

// Returns and clears the texts the module sent to its report service.
std::vector<std::string> TakeReports();

}  // namespace OmbraFuzz
