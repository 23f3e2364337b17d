// A substitute interpreter for module tests: it loads the built DATA module the way the script
// host does (dlopen, the three exports, the binding calls, InitExtension), answers the module's
// calls into the host environment, and offers the entry operations with UTF-8 arguments.
//
// One TestHost may be alive at a time (the environment's services are plain function pointers
// that reach the live host). It owns the memory-handle variable that OPEN receives for its
// remembered locations and frees it when destroyed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/environment.h"
#include "platform/extension_host/extension_loader.h"
#include "platform/extension_host/value_records.h"

namespace OmbraTest {

using Value = InterpreterValue;  // an integer, a real or a UTF-8 text

struct InputResult {
    Int16 status = 0;
    Int32 valuesRead = 0;       // what the module wrote to its count out-parameter
    std::vector<Value> values;  // the value records the module delivered, in order
};

// One call of the report service (environment slot 0), text byte for byte.
struct ReportCall {
    std::string text;
    UInt8 flag = 0;
    Int32 reserved = 0;
};

// The module's three exports as resolved with dlsym.
using ModuleExports = ExtensionExports;

class TestHost {
public:
    TestHost();  // loads the module; check IsLoaded()/LoadError() before using it
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Loads and binds: dlopen, dlsym of the three exports, reads the configuration record through
    // the resource service, then GetExportedFuncAddrs, SetImportedFuncAddrs, SetLTEnvAddrs and
    // InitExtension. False on failure, with LoadError() naming the step ("open: ...", "symbol
    // missing: <name>", "configuration record: ...") and the module unloaded again. A failing
    // InitExtension leaves the module loaded; InitStatus() tells.
    bool Load();
    // dlclose: the module's unload runs (resources removed, open channels closed unsaved).
    void Unload();
    bool Reload();  // Unload() then Load()
    bool IsLoaded() const { return loader.IsLoaded(); }
    const std::string& LoadError() const { return loader.Error(); }

    // The path of the module file (lib/ombra/extensions/DataInOut.so of the build).
    static const char* ModulePath();

    // Binding state: the exports, the entry table the module wrote, the environment table handed
    // to SetLTEnvAddrs (pass it again to rebind), the status InitExtension returned in Load().
    const ModuleExports& Exports() const { return loader.Exports(); }
    const ExtensionEntryTable& Entries() const { return loader.Entries(); }
    const HostEnvironment& Environment() const { return environment; }
    Int16 InitStatus() const { return loader.InitStatus(); }
    // The configuration record "LTNF" 32500 as the resource service returned it at Load();
    // empty when it was missing.
    const std::string& ConfigRecord() const { return loader.ConfigRecord(); }

    // ---- Programmable services ----
    // Slot 5 fills the service record with these; set either to nullptr to make the service
    // missing. Defaults: FetchFixedString and FetchMessageString.
    StringFetcherProc fixedFetcher;
    StringFetcherProc messageFetcher;
    // Slot 3. Default: returns 1 (not found) and leaves the location alone.
    std::function<Int16(const ZR::UniString& name, IO::Location& location)> libraryLookup;

    // Return and clear the texts sent to the report service / the full calls, in order.
    std::vector<std::string> TakeReports();
    std::vector<ReportCall> TakeReportCalls();

    // ---- Entry operations with UTF-8 arguments ----
    Int16 Init();  // InitExtension
    Int16 Open(UInt32 channel, const std::string& name, const std::string& parameters);
    InputResult Input(UInt32 channel, const std::string& key, const std::string& fieldId,
                      Int32 count);
    Int16 Output(UInt32 channel, const std::string& key, const std::string& fieldId,
                 const std::vector<Value>& values);
    Int16 Close(UInt32 channel);
    Int16 ReleaseAll();  // ReleaseAllChannels

private:
    friend struct TestHostServices;

    ExtensionLoader loader;
    HostEnvironment environment{};
    std::vector<ReportCall> reports;
    ZRHandle fileInfoHandle = nullptr;
};

// Converts between test values and the interpreter's value arrays (EncodeValues, DecodeValue).
// A record whose text is missing comes back as the text "<string index N missing>".
void ToValueArrays(const std::vector<Value>& values, ZR::Array<OmbraValueRecord>& records,
                   ZR::Array<ZR::UniString>& strings);
std::vector<Value> FromValueArrays(const ZR::Array<OmbraValueRecord>& records,
                                   const ZR::Array<ZR::UniString>& strings, Int32 count);

}  // namespace OmbraTest
