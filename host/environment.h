// The boundary between the interpreter and an extension module: the three exported binding
// functions, the entry table of six operations, the host environment table of 15 services and
// the interpreter service record.
#pragma once

#include <cstddef>

#include "host/base.h"
#include "host/filesystem.h"
#include "host/interpreter.h"

// ---- Host environment table (handed to the module by SetLTEnvAddrs) ----

// Slot 0: shows one message to the script's author. `flag` and `reserved` are passed as 1 and 0.
using ReportServiceProc = void (*)(const char* text, UInt8 flag, Int32 reserved);
// Slot 3: looks a file up in the host's object library; 0 = found and `location` filled.
using LibraryLookupProc = Int16 (*)(const ZR::UniString& name, IO::Location& location);
struct InterpreterServiceRecord;
// Slot 5: fills the first two fields of a caller-owned service record.
using ServiceRecordProc = ZRErrCode (*)(InterpreterServiceRecord* record);
// The slots the module never calls.
using UnusedServiceProc = void (*)();

struct HostEnvironment {
    ReportServiceProc report;  // slot 0
    UnusedServiceProc slot1;
    UnusedServiceProc slot2;
    LibraryLookupProc libraryLookup;  // slot 3
    UnusedServiceProc slot4;
    ServiceRecordProc serviceRecord;  // slot 5
    UnusedServiceProc slots6to14[9];
};
static_assert(sizeof(HostEnvironment) == 120);
static_assert(offsetof(HostEnvironment, libraryLookup) == 3 * sizeof(void*));
static_assert(offsetof(HostEnvironment, serviceRecord) == 5 * sizeof(void*));

// A string fetcher copies string `index` (from 1) of list `listId` of the module's resources into
// `buffer` (256 bytes) as NUL-terminated 8-bit text.
using StringFetcherProc = void (*)(char* buffer, Int16 listId, Int16 index, ZRResModule module);

// The interpreter service record: 1344 bytes owned by the caller, filled by slot 5. Modules read
// only the two fetchers; a null fetcher means the service is missing.
struct InterpreterServiceRecord {
    StringFetcherProc fixedStringFetcher;    // lists of resource type "STRF"
    StringFetcherProc messageStringFetcher;  // lists of resource type "STRS"
    char reserved[1344 - 2 * sizeof(void*)];
};
static_assert(sizeof(InterpreterServiceRecord) == 1344);

// ---- Entry table (filled by GetExportedFuncAddrs) ----

using InitExtensionProc = Int16 (*)();
using OpenChannelProc = Int16 (*)(UInt32 channel, const ZR::UniString& fileName,
                                  const ZR::UniString& parameters, ZRHandle* fileInfoHandle);
using InputChannelProc = Int16 (*)(UInt32 channel, const ZR::UniString& recordKey,
                                   const ZR::UniString& fieldId, Int32 count, Int32* valuesRead,
                                   ZR::Array<OmbraValueRecord>* values,
                                   ZR::Array<ZR::UniString>* strings);
using OutputChannelProc = Int16 (*)(UInt32 channel, const ZR::UniString& recordId,
                                    const ZR::UniString& fieldId,
                                    const ZR::Array<OmbraValueRecord>* values,
                                    const ZR::Array<ZR::UniString>* strings);
using CloseChannelProc = Int16 (*)(UInt32 channel);
using ReleaseChannelsProc = Int16 (*)();

struct ExtensionEntryTable {
    InitExtensionProc initExtension;      // slot 0
    OpenChannelProc openChannel;          // slot 1: OPEN
    InputChannelProc inputChannel;        // slot 2: INPUT
    OutputChannelProc outputChannel;      // slot 3: OUTPUT
    CloseChannelProc closeChannel;        // slot 4: CLOSE
    ReleaseChannelsProc releaseChannels;  // slot 5
};
static_assert(sizeof(ExtensionEntryTable) == 6 * sizeof(void*));

// ---- The three exports of every extension module (looked up by these names with dlsym) ----

using GetExportedFuncAddrsProc = void (*)(ExtensionEntryTable* table);
using SetImportedFuncAddrsProc = Int16 (*)(const UInt16* value);
using SetLTEnvAddrsProc = Int16 (*)(const HostEnvironment* environment);

constexpr const char* GetExportedFuncAddrsName = "GetExportedFuncAddrs";
constexpr const char* SetImportedFuncAddrsName = "SetImportedFuncAddrs";
constexpr const char* SetLTEnvAddrsName = "SetLTEnvAddrs";

// Statuses that entry operations return besides 0.
constexpr Int16 StatusReportedError = -7003;  // an error was reported, or a service is missing
constexpr Int16 StatusBadFieldId = -1111;     // the field number text is not a decimal number
constexpr Int16 StatusMissingArgument = -50;  // INPUT without its count out-parameter

// Resource types and ids a module carries.
constexpr ZRResType ResTypeFixedStrings = FourCharCode("STRF");
constexpr ZRResType ResTypeMessageStrings = FourCharCode("STRS");
constexpr ZRResType ResTypeAlert = FourCharCode("GALR");
constexpr ZRResType ResTypeModuleConfig = FourCharCode("LTNF");
constexpr ZRResID ModuleConfigId = 32500;
