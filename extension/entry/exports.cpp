// The module's only dynamic exports, and what happens when the module is loaded and unloaded.
#include "extension/entry/close.h"
#include "extension/entry/init.h"
#include "extension/entry/input.h"
#include "extension/entry/open.h"
#include "extension/entry/output.h"
#include "extension/frame/host_services.h"
#include "host/base/module_instance.h"

#define DATA_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// An object of this module: its address tells the dynamic loader which module is ours.
constexpr char moduleAnchor = 0;

// Runs when the module is loaded, before the host can call it.
__attribute__((constructor)) void OnModuleLoad() {
    DataOmbraPlugin::RecordModuleInstance(ModuleInstanceOfAddress(&moduleAnchor));
}

// Runs when the module is unloaded, before static destruction closes the open channels.
__attribute__((destructor)) void OnModuleUnload() {
    DataOmbraPlugin::UnregisterResources();
}

}  // namespace

DATA_MODULE_EXPORT void GetExportedFuncAddrs(ExtensionEntryTable* table) {
    table->initExtension = DataOmbraPlugin::InitExtension;
    table->openChannel = DataOmbraPlugin::OpenDataChannel;
    table->inputChannel = DataOmbraPlugin::InputFromChannel;
    table->outputChannel = DataOmbraPlugin::OutputToChannel;
    table->closeChannel = DataOmbraPlugin::CloseDataChannel;
    table->releaseChannels = DataOmbraPlugin::ReleaseAllChannels;
}

DATA_MODULE_EXPORT Int16 SetImportedFuncAddrs(const UInt16* value) {
    return DataOmbraPlugin::StoreImportedValue(value);
}

DATA_MODULE_EXPORT Int16 SetLTEnvAddrs(const HostEnvironment* environment) {
    return DataOmbraPlugin::BindHostEnvironment(environment);
}
