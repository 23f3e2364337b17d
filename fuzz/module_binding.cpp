#include "fuzz/module_binding.h"

#include "fuzz/fuzz_check.h"
#include "tests/support/core_binding.h"

namespace OmbraFuzz {

void BindModuleCode() {
    FUZZ_CHECK(OmbraTest::BindCore());
}

std::vector<std::string> TakeReports() {
    return OmbraTest::TakeCoreReports();
}

}  // namespace OmbraFuzz
