#include "fuzz/module_binding.h"

#include "extension/frame/host_services.h"
#include "fuzz/fuzz_check.h"
#include "tests/extension/frame/core_binding.h"

namespace OmbraFuzz {

void BindModuleCode() {
    FrameTest::BindCore();
    static const bool initialised = DataOmbraPlugin::InitExtension() == NoError;
    FUZZ_CHECK(initialised);
}

std::vector<std::string> TakeReports() {
    return FrameTest::TakeCoreReports();
}

}  // namespace OmbraFuzz
