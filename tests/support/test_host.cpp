#include "tests/support/test_host.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/extension_host/string_fetchers.h"

namespace OmbraTest {

namespace {

// The host whose services the environment table reaches; one at a time.
TestHost* liveHost = nullptr;

constexpr Int16 LibraryFileNotFound = 1;

ZR::UniString FromUtf8(const std::string& text) {
    return ZR::UniString(text.data(), USize(text.size()), CC_UTF8);
}

}  // namespace

// The functions in the environment table; they forward to the live host.
struct TestHostServices {
    static void Report(const char* text, UInt8 flag, Int32 reserved) {
        liveHost->reports.push_back({text, flag, reserved});
    }

    static Int16 LibraryLookup(const ZR::UniString&, IO::Location&) { return LibraryFileNotFound; }

    static ZRErrCode ServiceRecord(InterpreterServiceRecord* record) {
        record->fixedStringFetcher = liveHost->fixedFetcher;
        record->messageStringFetcher = liveHost->messageFetcher;
        return NoError;
    }

    // The module calls no other slot; a call is a fault worth stopping for.
    static void Unused() {
        std::fprintf(stderr, "TestHost: the module called an environment slot it must not call\n");
        std::abort();
    }

    static HostEnvironment MakeEnvironment() {
        HostEnvironment environment{};
        environment.report = Report;
        environment.slot1 = environment.slot2 = environment.slot4 = Unused;
        environment.libraryLookup = LibraryLookup;
        environment.serviceRecord = ServiceRecord;
        for (UnusedServiceProc& slot : environment.slots6to14) slot = Unused;
        return environment;
    }
};

TestHost::TestHost()
    : fixedFetcher(FetchFixedString),
      messageFetcher(FetchMessageString),
      environment(TestHostServices::MakeEnvironment()) {
    if (liveHost != nullptr) {
        std::fprintf(stderr, "TestHost: only one host may be alive at a time\n");
        std::abort();
    }
    liveHost = this;
    if (!Load()) {
        std::fprintf(stderr, "TestHost: cannot load the module: %s\n", LoadError().c_str());
        std::abort();
    }
}

TestHost::~TestHost() {
    Unload();
    if (fileInfoHandle != nullptr) BMKillHandle(&fileInfoHandle);
    liveHost = nullptr;
}

const char* TestHost::ModulePath() {
    return OMBRA_DATA_MODULE_PATH;
}

bool TestHost::Load() {
    if (!loader.Load(ModulePath())) return false;
    (void)loader.Bind(environment);  // a failing InitExtension shows in InitStatus()
    return true;
}

std::vector<std::string> TestHost::TakeReports() {
    std::vector<std::string> texts;
    for (ReportCall& call : TakeReportCalls()) texts.push_back(std::move(call.text));
    return texts;
}

std::vector<ReportCall> TestHost::TakeReportCalls() {
    return std::exchange(reports, {});
}

Int16 TestHost::Open(UInt32 channel, const std::string& name, const std::string& parameters) {
    return Entries().openChannel(channel, FromUtf8(name), FromUtf8(parameters), &fileInfoHandle);
}

InputResult TestHost::Input(UInt32 channel, const std::string& key, const std::string& fieldId,
                            Int32 count) {
    InputResult result;
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    result.status = Entries().inputChannel(channel, FromUtf8(key), FromUtf8(fieldId), count,
                                           &result.valuesRead, &records, &strings);
    // Decoded one by one, so that a record with a missing text shows where it stands.
    for (USize i = 0; i < records.GetSize(); ++i) {
        Value& value = result.values.emplace_back();
        if (DecodeValue(records[i], strings, value) != NoError)
            value = "<string index " + std::to_string(records[i].value.stringIndex) + " missing>";
    }
    return result;
}

Int16 TestHost::Output(UInt32 channel, const std::string& key, const std::string& fieldId,
                       const std::vector<Value>& values) {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    EncodeValues(values, records, strings);
    return Entries().outputChannel(channel, FromUtf8(key), FromUtf8(fieldId), &records, &strings);
}

}  // namespace OmbraTest
