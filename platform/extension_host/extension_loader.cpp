#include "platform/extension_host/extension_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <utility>

#include "platform/base/module_instance.h"

namespace {

// Where the record keeps the file type name, and how long the name's field is.
constexpr size_t FileTypeOffset = 44;
constexpr size_t FileTypeSize = 32;

// The imported value handed to SetImportedFuncAddrs; modules keep it but give it no meaning.
constexpr UInt16 ImportedValue = 0;

std::string LastDlError() {
    const char* text = dlerror();
    return text != nullptr ? text : "unknown reason";
}

}  // namespace

ExtensionLoader::~ExtensionLoader() {
    Unload();
}

bool ExtensionLoader::Load(const std::string& modulePath) {
    Unload();
    path = modulePath;
    error.clear();
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return Fail("open: " + LastDlError());
    if (!ResolveExports() || !ReadConfigRecord()) {
        Unload();
        return false;
    }
    return true;
}

bool ExtensionLoader::Bind(const HostEnvironment& environment) {
    exports.getExportedFuncAddrs(&entries);
    exports.setImportedFuncAddrs(&ImportedValue);
    exports.setLTEnvAddrs(&environment);
    const void* const slots[] = {reinterpret_cast<const void*>(entries.initExtension),
                                 reinterpret_cast<const void*>(entries.openChannel),
                                 reinterpret_cast<const void*>(entries.inputChannel),
                                 reinterpret_cast<const void*>(entries.outputChannel),
                                 reinterpret_cast<const void*>(entries.closeChannel),
                                 reinterpret_cast<const void*>(entries.releaseChannels)};
    const auto empty = std::find(std::begin(slots), std::end(slots), nullptr);
    if (empty != std::end(slots)) {
        return Fail("entry table: slot " + std::to_string(empty - std::begin(slots)) + " empty");
    }
    initStatus = entries.initExtension();
    if (initStatus != 0) return Fail("init status " + std::to_string(initStatus));
    return true;
}

void ExtensionLoader::Unload() {
    if (library != nullptr) dlclose(library);
    library = nullptr;
    exports = ExtensionExports();
    entries = ExtensionEntryTable();
    initStatus = 0;
    configRecord.clear();
}

std::string ExtensionLoader::FileType() const {
    if (configRecord.size() <= FileTypeOffset) return {};
    const std::string field = configRecord.substr(FileTypeOffset, FileTypeSize);
    return field.substr(0, field.find('\0'));
}

bool ExtensionLoader::Fail(std::string message) {
    error = std::move(message);
    return false;
}

bool ExtensionLoader::ResolveExports() {
    const auto resolve = [this](const char* name) {
        void* address = dlsym(library, name);
        if (address == nullptr && error.empty()) error = std::string("symbol missing: ") + name;
        return address;
    };
    exports.getExportedFuncAddrs =
        reinterpret_cast<GetExportedFuncAddrsProc>(resolve(GetExportedFuncAddrsName));
    exports.setImportedFuncAddrs =
        reinterpret_cast<SetImportedFuncAddrsProc>(resolve(SetImportedFuncAddrsName));
    exports.setLTEnvAddrs = reinterpret_cast<SetLTEnvAddrsProc>(resolve(SetLTEnvAddrsName));
    return error.empty();
}

// Registers the module's resources only for the read, as a module manager does before binding,
// and leaves the active resource module as it was. The record is copied: its bytes live only
// while the module is registered.
bool ExtensionLoader::ReadConfigRecord() {
    const ZRResModule previous = RSGetActiveModule();
    const ZRResModule module = RSAddModule_ResetCurrentModule(ModuleInstanceOf(library));
    if (module == InvalidResModule)
        return Fail("configuration record: the module has no resources");
    USize size = 0;
    const char* bytes = RSLoadResource(ResTypeModuleConfig, ModuleConfigId, module, &size);
    if (bytes != nullptr) configRecord.assign(bytes, size);
    RSRemoveModule(module);
    RSSetActiveModule(previous);
    if (bytes == nullptr) return Fail("configuration record: missing");
    if (FileType().empty()) return Fail("configuration record: no file type");
    return true;
}
