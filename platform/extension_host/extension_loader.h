// Loading an extension module the way an interpreter does: dlopen of the module file, dlsym of
// its three exports, the configuration record "LTNF" 32500 read through the resource service
// (it names the file type the module serves), then binding: GetExportedFuncAddrs,
// SetImportedFuncAddrs, SetLTEnvAddrs with the host's environment table, and InitExtension.
#pragma once

#include <string>

#include "host/environment.h"

// The module's three exports as resolved with dlsym.
struct ExtensionExports {
    GetExportedFuncAddrsProc getExportedFuncAddrs = nullptr;
    SetImportedFuncAddrsProc setImportedFuncAddrs = nullptr;
    SetLTEnvAddrsProc setLTEnvAddrs = nullptr;
};

// One extension module. Not copyable: it owns the dlopen handle, which Unload() and the
// destructor close. Not thread-safe; a host loads, binds and unloads from one thread at a time.
class HOST_API ExtensionLoader {
public:
    ExtensionLoader() = default;
    ~ExtensionLoader();
    ExtensionLoader(const ExtensionLoader&) = delete;
    ExtensionLoader& operator=(const ExtensionLoader&) = delete;

    // Unloads any module, then opens the module file at `path`, resolves its exports and reads
    // its configuration record. False on failure: Error() then names the step that failed
    // ("open: <reason>", "symbol missing: <name>", "configuration record: <reason>") and nothing
    // stays loaded.
    bool Load(const std::string& path);

    // REQUIRES: IsLoaded(). Fills the entry table (GetExportedFuncAddrs), hands over the
    // imported value and the environment table (the module keeps its own copy of the table),
    // then calls InitExtension. True when InitExtension returned 0 and every entry slot is
    // filled; otherwise Error() says "init status <N>" or "entry table: slot <N> empty". The
    // module stays loaded either way.
    bool Bind(const HostEnvironment& environment);

    // dlclose: the module's unload runs. Clears the exports, the entry table and the record.
    void Unload();

    bool IsLoaded() const { return library != nullptr; }
    const std::string& Path() const { return path; }
    const std::string& Error() const { return error; }
    const ExtensionExports& Exports() const { return exports; }
    // The six entry operations; all null until Bind().
    const ExtensionEntryTable& Entries() const { return entries; }
    // What InitExtension returned at the last Bind(); 0 before it.
    Int16 InitStatus() const { return initStatus; }
    // The configuration record's bytes as the resource service returned them.
    const std::string& ConfigRecord() const { return configRecord; }
    // The file type the record names: its 32 bytes at offset 44 up to the first NUL, 8-bit text
    // in the default code page.
    std::string FileType() const;

private:
    bool Fail(std::string message);
    bool ResolveExports();
    bool ReadConfigRecord();

    void* library = nullptr;
    std::string path;
    std::string error;
    ExtensionExports exports;
    ExtensionEntryTable entries{};
    Int16 initStatus = 0;
    std::string configRecord;
};
