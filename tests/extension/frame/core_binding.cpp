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
std::function<Int16(const ZR::UniString&, IO::Location&)> libraryLookup;

void Report(const char* text, UInt8, Int32) {
    reports.emplace_back(text);
}

ZRErrCode ServiceRecord(InterpreterServiceRecord* record) {
    record->fixedStringFetcher = fixed;
    record->messageStringFetcher = message;
    return NoError;
}

Int16 LibraryLookup(const ZR::UniString& name, IO::Location& location) {
    return libraryLookup ? libraryLookup(name, location) : Int16(1);
}

}  // namespace

void BindCore() {
    static const bool bound = [] {
        DataOmbraPlugin::RecordModuleInstance(ModuleInstanceOfAddress(&programAnchor));
        HostEnvironment environment{};
        environment.report = Report;
        environment.serviceRecord = ServiceRecord;
        environment.libraryLookup = LibraryLookup;
        DataOmbraPlugin::BindHostEnvironment(&environment);
        return true;
    }();
    (void)bound;
    SetCoreFetchers(FetchFixedString, FetchMessageString);
    libraryLookup = nullptr;
    reports.clear();
}

void SetCoreLibraryLookup(std::function<Int16(const ZR::UniString&, IO::Location&)> lookup) {
    libraryLookup = std::move(lookup);
}

void SetCoreFetchers(StringFetcherProc fixedFetcher, StringFetcherProc messageFetcher) {
    fixed = fixedFetcher;
    message = messageFetcher;
}

std::vector<std::string> TakeCoreReports() {
    return std::exchange(reports, {});
}

}  // namespace FrameTest
