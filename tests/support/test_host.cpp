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

    static Int16 LibraryLookup(const ZR::UniString& name, IO::Location& location) {
        if (!liveHost->libraryLookup) return LibraryFileNotFound;
        return liveHost->libraryLookup(name, location);
    }

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
    Load();
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

void TestHost::Unload() {
    loader.Unload();
}

bool TestHost::Reload() {
    Unload();
    return Load();
}

std::vector<std::string> TestHost::TakeReports() {
    std::vector<std::string> texts;
    for (ReportCall& call : reports) texts.push_back(std::move(call.text));
    reports.clear();
    return texts;
}

std::vector<ReportCall> TestHost::TakeReportCalls() {
    return std::exchange(reports, {});
}

Int16 TestHost::Init() {
    return Entries().initExtension();
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
    result.values = FromValueArrays(records, strings, Int32(records.GetSize()));
    return result;
}

Int16 TestHost::Output(UInt32 channel, const std::string& key, const std::string& fieldId,
                       const std::vector<Value>& values) {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    ToValueArrays(values, records, strings);
    return Entries().outputChannel(channel, FromUtf8(key), FromUtf8(fieldId), &records, &strings);
}

Int16 TestHost::Close(UInt32 channel) {
    return Entries().closeChannel(channel);
}

Int16 TestHost::ReleaseAll() {
    return Entries().releaseChannels();
}

void ToValueArrays(const std::vector<Value>& values, ZR::Array<OmbraValueRecord>& records,
                   ZR::Array<ZR::UniString>& strings) {
    EncodeValues(values, records, strings);
}

// Decoded one by one, so that a record with a missing text shows where it stands.
std::vector<Value> FromValueArrays(const ZR::Array<OmbraValueRecord>& records,
                                   const ZR::Array<ZR::UniString>& strings, Int32 count) {
    std::vector<Value> values;
    for (Int32 i = 0; i < count && USize(i) < records.GetSize(); ++i) {
        Value value;
        if (DecodeValue(records[USize(i)], strings, value) != NoError) {
            value = "<string index " + std::to_string(records[USize(i)].value.stringIndex) +
                    " missing>";
        }
        values.push_back(std::move(value));
    }
    return values;
}

}  // namespace OmbraTest
