#include "tests/support/core_binding.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "extension/entry/init.h"
#include "extension/frame/host_services.h"
#include "platform/base/module_instance.h"
#include "platform/extension_host/string_fetchers.h"

namespace OmbraTest {

namespace {

constexpr char programAnchor = 0;
constexpr Int16 FrameList = 5;
std::vector<std::string> reports;

void Report(const char* text, UInt8, Int32) {
    reports.emplace_back(text);
}

ZRErrCode ServiceRecord(InterpreterServiceRecord* record) {
    record->fixedStringFetcher = FetchFixedString;
    record->messageStringFetcher = FetchMessageString;
    return NoError;
}

Int16 LibraryLookup(const ZR::UniString&, IO::Location&) {
    return 1;  // not found
}

// `format` with its first "%s" replaced by `value`.
std::string Substitute(std::string format, const std::string& value) {
    const std::size_t at = format.find("%s");
    if (at != std::string::npos) format.replace(at, 2, value);
    return format;
}

// Binds once per process; true when InitExtension succeeded.
bool EnsureBound() {
    static const bool bound = [] {
        DataOmbraPlugin::RecordModuleInstance(ModuleInstanceOfAddress(&programAnchor));
        HostEnvironment environment{};
        environment.report = Report;
        environment.serviceRecord = ServiceRecord;
        environment.libraryLookup = LibraryLookup;
        return DataOmbraPlugin::BindHostEnvironment(&environment) == NoError &&
               DataOmbraPlugin::InitExtension() == NoError;
    }();
    return bound;
}

}  // namespace

bool BindCore() {
    const bool bound = EnsureBound();
    reports.clear();
    return bound;
}

std::vector<std::string> TakeCoreReports() {
    return std::exchange(reports, {});
}

std::string ModuleMessage(Int16 list, Int16 index) {
    EnsureBound();
    char buffer[FetchBufferSize] = {};
    FetchMessageString(buffer, list, index, DataOmbraPlugin::GetResourceModule());
    if (buffer[0] == '\0') {
        // An expectation built from a missing message would match a module that reports nothing.
        std::fprintf(stderr,
                     "ModuleMessage: the module's resources hold no message %d of list %d\n", index,
                     list);
        std::abort();
    }
    return buffer;
}

std::string ModuleReport(Int16 list, Int16 index, const std::string& fileName,
                         const std::string& argument) {
    std::string text = ModuleMessage(list, index);
    text.erase(0, 4);
    text = Substitute(text, argument);
    return Substitute(Substitute(ModuleMessage(FrameList, 1), text), fileName);
}

}  // namespace OmbraTest
