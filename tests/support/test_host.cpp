#include "tests/support/test_host.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/base/module_instance.h"
#include "platform/interpreter/string_fetchers.h"

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

    static GSErrCode ServiceRecord(InterpreterServiceRecord* record) {
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
    loadError.clear();
    library = dlopen(ModulePath(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        loadError = std::string("open: ") + dlerror();
        return false;
    }
    if (!ResolveExports() || !ReadConfigRecord()) {
        Unload();
        return false;
    }
    Bind();
    return true;
}

void TestHost::Unload() {
    if (library != nullptr) dlclose(library);
    library = nullptr;
    exports = ModuleExports();
    entries = ExtensionEntryTable();
}

bool TestHost::Reload() {
    Unload();
    return Load();
}

bool TestHost::ResolveExports() {
    const auto resolve = [this](const char* name) {
        void* address = dlsym(library, name);
        if (address == nullptr) loadError = std::string("symbol missing: ") + name;
        return address;
    };
    exports.getExportedFuncAddrs =
        reinterpret_cast<GetExportedFuncAddrsProc>(resolve(GetExportedFuncAddrsName));
    exports.setImportedFuncAddrs =
        reinterpret_cast<SetImportedFuncAddrsProc>(resolve(SetImportedFuncAddrsName));
    exports.setLTEnvAddrs = reinterpret_cast<SetLTEnvAddrsProc>(resolve(SetLTEnvAddrsName));
    return loadError.empty();
}

// Reads the record the way a host's module manager does before binding: register, load, copy,
// unregister, and leave the active resource module as it was.
bool TestHost::ReadConfigRecord() {
    configRecord.clear();
    const GSResModule previous = RSGetActiveModule();
    const GSResModule module = RSAddModule_ResetCurrentModule(ModuleInstanceOf(library));
    if (module == InvalidResModule) {
        loadError = "configuration record: the module carries no resources";
        return false;
    }
    USize size = 0;
    const char* bytes = RSLoadResource(ResTypeModuleConfig, ModuleConfigId, module, &size);
    if (bytes != nullptr) configRecord.assign(bytes, size);
    RSRemoveModule(module);
    RSSetActiveModule(previous);
    if (bytes == nullptr) loadError = "configuration record: missing";
    return bytes != nullptr;
}

void TestHost::Bind() {
    const UInt16 importedValue = 0;
    exports.getExportedFuncAddrs(&entries);
    exports.setImportedFuncAddrs(&importedValue);
    exports.setLTEnvAddrs(&environment);
    initStatus = Init();
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
    return entries.initExtension();
}

Int16 TestHost::Open(UInt32 channel, const std::string& name, const std::string& parameters) {
    return entries.openChannel(channel, FromUtf8(name), FromUtf8(parameters), &fileInfoHandle);
}

InputResult TestHost::Input(UInt32 channel, const std::string& key, const std::string& fieldId,
                            Int32 count) {
    InputResult result;
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    result.status = entries.inputChannel(channel, FromUtf8(key), FromUtf8(fieldId), count,
                                         &result.valuesRead, &records, &strings);
    result.values = FromValueArrays(records, strings, Int32(records.GetSize()));
    return result;
}

Int16 TestHost::Output(UInt32 channel, const std::string& key, const std::string& fieldId,
                       const std::vector<Value>& values) {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
    ToValueArrays(values, records, strings);
    return entries.outputChannel(channel, FromUtf8(key), FromUtf8(fieldId), &records, &strings);
}

Int16 TestHost::Close(UInt32 channel) {
    return entries.closeChannel(channel);
}

Int16 TestHost::ReleaseAll() {
    return entries.releaseChannels();
}

}  // namespace OmbraTest
