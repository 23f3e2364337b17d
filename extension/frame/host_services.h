// The module's side of the host environment: the services it calls, the resource module of its
// own resources, and the keyword and mode tables loaded at initialisation.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// ---- Binding (called by the exports and at load and unload) ----

// Records the module's instance handle (its load address); resources are registered from it.
void RecordModuleInstance(ZRInstance instance);
// SetLTEnvAddrs: copies the 15-slot table, replacing an earlier one; registers the module's
// resources when they are not registered yet. Always returns 0.
[[nodiscard]] Int16 BindHostEnvironment(const HostEnvironment* environment);
// SetImportedFuncAddrs: keeps a copy of the value (nothing reads it). Always returns 0.
[[nodiscard]] Int16 StoreImportedValue(const UInt16* value);
// Unregisters the module's resources if registered; the handle is InvalidResModule afterwards.
void UnregisterResources();

// Loads the keyword and mode tables through the fixed string fetcher (lists 1 and 2).
void LoadWordTables(StringFetcherProc fixedStringFetcher);

// The handle of the module's registered resources (InvalidResModule until SetLTEnvAddrs).
ZRResModule GetResourceModule();
// Fills `record` through environment slot 5. Without a service there both fetchers are null
// (missing).
void GetServiceRecord(InterpreterServiceRecord& record);
// Hands `text` to the host's report service (slot 0) with the flag 1 and 0; without a report
// service nothing happens.
void ReportText(const char* text);
// The host's library lookup service (slot 3): 0 when found and `location` filled; any other
// value (also without the service) means not found.
[[nodiscard]] Int16 FindLibraryFileByHost(const ZR::UniString& name, IO::Location& location);

// Keyword table: slots 1..4 hold "SEPARATOR", "MODE", "DIALOG", "LIBRARY" after InitExtension;
// mode table: slots 1..3 hold "RO", "WA", "WO". Slot 0 is never used; empty slots are "".
// Every string fetch passes a buffer of this many bytes.
constexpr Int32 FetchedStringSize = 256;
constexpr Int32 KeywordSlots = 5;
constexpr Int32 KeywordSlotSize = 10;
constexpr Int32 ModeSlots = 4;
constexpr Int32 ModeSlotSize = 4;
// The word in `slot`; "" for a slot outside the table.
const char* KeywordAt(Int32 slot);
const char* ModeWordAt(Int32 slot);

// Makes the module's resources the active resource module for its lifetime and restores the
// previously active one afterwards, also when an exception passes.
class ResHandling {
public:
    ResHandling();
    virtual ~ResHandling();
    ResHandling(const ResHandling&) = delete;
    ResHandling& operator=(const ResHandling&) = delete;

private:
    ZRResModule previousModule;
};

}  // namespace DataOmbraPlugin
