// A second extension module for the host's tests. It serves the file type "Probe" and keeps in
// memory what OUTPUT gives it, so that a test sees values cross the boundary both ways, channels
// shared between modules, and the closing of channels the script left open.
// - OPEN of the name "refuse" fails with status -5; any other name opens the channel.
// - OUTPUT stores the values under the key; INPUT delivers the values stored under the key, or,
//   for the key "channel", the channel number and the name it was opened with, or, for the key
//   "malformed", one string record whose text is missing.
// - CLOSE reports "probe: CLOSE <channel> <name>" and fails with status -9 for the name
//   "close-fails".
// Built with PROBE_INIT_STATUS, InitExtension returns that status.
#include <map>
#include <string>

#include "host/environment.h"

#ifndef PROBE_INIT_STATUS
#define PROBE_INIT_STATUS 0
#endif

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct StoredValues {
    ZR::Array<OmbraValueRecord> records;
    ZR::Array<ZR::UniString> strings;
};

HostEnvironment environment{};
std::map<UInt32, std::string> openChannels;        // channel → the name it was opened with
std::map<std::string, StoredValues> storedValues;  // key → what OUTPUT gave

std::string Utf8(const ZR::UniString& text) {
    return text.ToCStr(CC_UTF8).GetBytes();
}

Int16 InitProbe() {
    openChannels.clear();
    storedValues.clear();
    return PROBE_INIT_STATUS;
}

Int16 OpenProbe(UInt32 channel, const ZR::UniString& name, const ZR::UniString&, ZRHandle*) {
    if (Utf8(name) == "refuse") return -5;
    openChannels[channel] = Utf8(name);
    return 0;
}

void DeliverChannel(UInt32 channel, ZR::Array<OmbraValueRecord>& records,
                    ZR::Array<ZR::UniString>& strings) {
    OmbraValueRecord number{};
    number.valueType = ValueTypeNumeric;
    number.numericKind = NumericKindInteger;
    number.value.integer = Int32(channel);
    records.Push(number);
    OmbraValueRecord name{};
    name.valueType = ValueTypeString;
    name.value.stringIndex = strings.GetSize();
    strings.Push(ZR::UniString(openChannels[channel].c_str(), CC_UTF8));
    records.Push(name);
}

Int16 InputProbe(UInt32 channel, const ZR::UniString& key, const ZR::UniString&, Int32,
                 Int32* valuesRead, ZR::Array<OmbraValueRecord>* values,
                 ZR::Array<ZR::UniString>* strings) {
    if (openChannels.count(channel) == 0) return -4;
    if (Utf8(key) == "channel") {
        DeliverChannel(channel, *values, *strings);
    } else if (Utf8(key) == "malformed") {
        OmbraValueRecord missing{};
        missing.valueType = ValueTypeString;
        missing.value.stringIndex = 7;
        values->Push(missing);
    } else {
        *values = storedValues[Utf8(key)].records;
        *strings = storedValues[Utf8(key)].strings;
    }
    *valuesRead = Int32(values->GetSize());
    return 0;
}

Int16 OutputProbe(UInt32 channel, const ZR::UniString& key, const ZR::UniString&,
                  const ZR::Array<OmbraValueRecord>* values,
                  const ZR::Array<ZR::UniString>* strings) {
    if (openChannels.count(channel) == 0) return -5;
    storedValues[Utf8(key)] = {*values, *strings};
    return 0;
}

Int16 CloseProbe(UInt32 channel) {
    const std::string name = openChannels[channel];
    openChannels.erase(channel);
    environment.report(("probe: CLOSE " + std::to_string(channel) + " " + name).c_str(), 1, 0);
    return name == "close-fails" ? -9 : 0;
}

Int16 ReleaseProbe() {
    return 0;
}

}  // namespace

PROBE_EXPORT void GetExportedFuncAddrs(ExtensionEntryTable* table) {
    *table = {InitProbe, OpenProbe, InputProbe, OutputProbe, CloseProbe, ReleaseProbe};
}

PROBE_EXPORT Int16 SetImportedFuncAddrs(const UInt16*) {
    return 0;
}

PROBE_EXPORT Int16 SetLTEnvAddrs(const HostEnvironment* table) {
    environment = *table;
    return 0;
}
