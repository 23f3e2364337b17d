// A substitute interpreter for module tests: it loads the built DATA module the way the script
// host does (dlopen, the three exports, the binding calls, InitExtension), answers the module's
// calls into the host environment, and offers the entry operations with UTF-8 arguments.
//
// One TestHost may be alive at a time (the environment's services are plain function pointers
// that reach the live host). It owns the memory-handle variable that OPEN receives for its
// remembered locations and frees it when destroyed.
#pragma once

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

class TestHost {
public:
    TestHost();  // loads the module; aborts the test program, naming the step, when it cannot
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
    void Unload() { loader.Unload(); }
    bool Reload() {
        Unload();
        return Load();
    }
    bool IsLoaded() const { return loader.IsLoaded(); }
    const std::string& LoadError() const { return loader.Error(); }

    // The path of the module file (lib/ombra/extensions/DataInOut.so of the build).
    static const char* ModulePath();

    // Binding state: the exports, the entry table the module wrote, the environment table handed
    // to SetLTEnvAddrs (pass it again to rebind), the status InitExtension returned in Load().
    const ExtensionExports& Exports() const { return loader.Exports(); }
    const ExtensionEntryTable& Entries() const { return loader.Entries(); }
    const HostEnvironment& Environment() const { return environment; }
    Int16 InitStatus() const { return loader.InitStatus(); }
    // The configuration record "LTNF" 32500 as the resource service returned it at Load();
    // empty when it was missing.
    const std::string& ConfigRecord() const { return loader.ConfigRecord(); }

    // ---- Programmable services (slot 3, the library lookup, finds nothing) ----
    // Slot 5 fills the service record with these; set either to nullptr to make the service
    // missing. Defaults: FetchFixedString and FetchMessageString.
    StringFetcherProc fixedFetcher;
    StringFetcherProc messageFetcher;

    // Return and clear the texts sent to the report service / the full calls, in order.
    std::vector<std::string> TakeReports();
    std::vector<ReportCall> TakeReportCalls();

    // ---- Entry operations with UTF-8 arguments ----
    Int16 Init() { return Entries().initExtension(); }
    Int16 Open(UInt32 channel, const std::string& name, const std::string& parameters);
    InputResult Input(UInt32 channel, const std::string& key, const std::string& fieldId,
                      Int32 count);
    Int16 Output(UInt32 channel, const std::string& key, const std::string& fieldId,
                 const std::vector<Value>& values);
    Int16 Close(UInt32 channel) { return Entries().closeChannel(channel); }
    Int16 ReleaseAll() { return Entries().releaseChannels(); }

private:
    friend struct TestHostServices;

    ExtensionLoader loader;
    HostEnvironment environment{};
    std::vector<ReportCall> reports;
    ZRHandle fileInfoHandle = nullptr;
};

}  // namespace OmbraTest
