#include "tests/extension/frame/core_binding.h"

#include <utility>
#include "extension/frame/host_services.h"
#include "platform/base/module_instance.h"

#include "platform/interpreter/string_fetchers.h"

namespace FrameTest {

namespace {

constexpr char programAnchor = 0;
std::vector<std::string> reports;
StringFetcherProc fixed = FetchFixedString;
StringFetcherProc message = FetchMessageString;

void Report(const char* text, UInt8, Int32) {
    reports.emplace_back(text);
}

GSErrCode ServiceRecord(InterpreterServiceRecord* record) {
    record->fixedStringFetcher = fixed;
    record->messageStringFetcher = message;
    return NoError;
}

}  // namespace

void BindCore() {
    static const bool bound = [] {
        DataOmbraPlugin::RecordModuleInstance(ModuleInstanceOfAddress(&programAnchor));
        HostEnvironment environment{};
        environment.report = Report;
        environment.serviceRecord = ServiceRecord;
        DataOmbraPlugin::BindHostEnvironment(&environment);
        return true;
    }();
    (void)bound;
    SetCoreFetchers(FetchFixedString, FetchMessageString);
    reports.clear();
}

void SetCoreFetchers(StringFetcherProc fixedFetcher, StringFetcherProc messageFetcher) {
    fixed = fixedFetcher;
    message = messageFetcher;
}

std::vector<std::string> TakeCoreReports() {
    return std::exchange(reports, {});
}

}  // namespace FrameTest
