// The shortest correct host of the DATA module: loads the module file, binds it, opens a data
// file read-only, reads one record and prints its fields.
//
//   embed FILE KEY [PARAMETERS]     e.g.  embed prices.txt A7 "SEPARATOR=';'"
//
// Prints the key and the record's fields, blank-separated. Exit status: 0 when the record was
// printed, 1 when there is no such record (or it has no fields) or a step failed (the module
// reports why on standard error first), 2 on a usage error.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "host/environment.h"

namespace {

// Slot 0 of the environment: the module's messages, shown to whoever runs this program.
void Report(const char* text, UInt8, Int32) {
    std::fprintf(stderr, "%s\n", text);
}

// The string fetchers of the service record read the module's string lists into its buffers of
// 256 bytes.
void FetchFixed(char* buffer, Int16 listId, Int16 index, ZRResModule module) {
    RSGetIndString(buffer, 256, ResTypeFixedStrings, listId, index, module);
}
void FetchMessage(char* buffer, Int16 listId, Int16 index, ZRResModule module) {
    RSGetIndString(buffer, 256, ResTypeMessageStrings, listId, index, module);
}

// Slot 5 of the environment: the module asks for the service record before each operation.
ZRErrCode FillServiceRecord(InterpreterServiceRecord* record) {
    record->fixedStringFetcher = FetchFixed;
    record->messageStringFetcher = FetchMessage;
    return NoError;
}

// Slot 3: this host has no library of its own, so no name is ever found there.
Int16 LookUpNothing(const ZR::UniString&, IO::Location&) {
    return 1;
}

std::string Utf8(const ZR::UniString& text) {
    return text.ToCStr(CC_UTF8).GetBytes();
}

// One value that INPUT delivered: a number as a number, a string as its text.
void PrintValue(const OmbraValueRecord& value, const ZR::Array<ZR::UniString>& strings) {
    if (value.valueType == ValueTypeString) {
        std::printf(" %s", Utf8(strings[value.value.stringIndex]).c_str());
    } else if (value.numericKind == NumericKindReal) {
        std::printf(" %g", value.value.real);
    } else {
        std::printf(" %d", value.value.integer);
    }
}

// Prints the key and the record's fields, asking for one field at a time: INPUT pads a request
// beyond the record's last field with zeros, but delivers nothing from a field that is not there.
Int16 PrintRecord(const ExtensionEntryTable& entries, UInt32 channel, const char* key,
                  int& fields) {
    const ZR::UniString recordKey(key, CC_UTF8);
    for (fields = 0;; ++fields) {
        ZR::Array<OmbraValueRecord> values;
        ZR::Array<ZR::UniString> strings;
        Int32 valuesRead = 0;
        const ZR::UniString field(std::to_string(fields + 1).c_str());
        const Int16 status =
            entries.inputChannel(channel, recordKey, field, 1, &valuesRead, &values, &strings);
        if (status != 0 || valuesRead == 0) {
            if (fields > 0) std::printf("\n");
            return status;
        }
        if (fields == 0) std::printf("%s", key);
        PrintValue(values[0], strings);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: embed FILE KEY [PARAMETERS]\n");
        return 2;
    }
    void* module = dlopen(DATA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "embed: cannot load the module: %s\n", dlerror());
        return 1;
    }
    auto getExports =
        reinterpret_cast<GetExportedFuncAddrsProc>(dlsym(module, GetExportedFuncAddrsName));
    auto setImports =
        reinterpret_cast<SetImportedFuncAddrsProc>(dlsym(module, SetImportedFuncAddrsName));
    auto setEnvironment = reinterpret_cast<SetLTEnvAddrsProc>(dlsym(module, SetLTEnvAddrsName));
    if (getExports == nullptr || setImports == nullptr || setEnvironment == nullptr) {
        std::fprintf(stderr, "embed: %s is not an extension module\n", DATA_MODULE_PATH);
        return 1;
    }

    // Binding: the module fills its entry table and keeps a copy of the environment, of which
    // it calls slots 0, 3 and 5 only.
    HostEnvironment environment{};
    environment.report = Report;
    environment.libraryLookup = LookUpNothing;
    environment.serviceRecord = FillServiceRecord;
    ExtensionEntryTable entries{};
    const UInt16 imported = 0;
    getExports(&entries);
    setImports(&imported);
    setEnvironment(&environment);

    const std::string parameters = argc == 4 ? std::string(argv[3]) + ", MODE=RO" : "MODE=RO";
    const UInt32 channel = 1;
    ZRHandle rememberedLocations = nullptr;  // the module keeps dialog choices here
    int fields = 0;
    Int16 status = entries.initExtension();
    if (status == 0) {
        status =
            entries.openChannel(channel, ZR::UniString(argv[1], CC_UTF8),
                                ZR::UniString(parameters.c_str(), CC_UTF8), &rememberedLocations);
    }
    if (status == 0) {
        status = PrintRecord(entries, channel, argv[2], fields);
        if (status == 0 && fields == 0) std::fprintf(stderr, "embed: no record %s\n", argv[2]);
        const Int16 closed = entries.closeChannel(channel);
        if (status == 0) status = closed;
    }
    entries.releaseChannels();
    if (rememberedLocations != nullptr) BMKillHandle(&rememberedLocations);
    dlclose(module);
    if (status != 0) std::fprintf(stderr, "embed: failed with status %d\n", status);
    return status == 0 && fields > 0 ? 0 : 1;
}
