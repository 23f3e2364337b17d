// The resource service: a process-wide registry of the resource tables of registered modules and
// the active module, guarded by one mutex. A table lives from its registration until
// RSRemoveModule, so the bytes RSLoadResource hands out stay valid that long.
#include "host/base/resources.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/base/resource_note.h"
#include "platform/base/resource_table.h"

namespace {

struct Registry {
    std::mutex mutex;
    std::map<ZRResModule, std::unique_ptr<ZR::ResourceTable>> modules;  // handle → table
    ZRResModule nextHandle = 1;
    ZRResModule active = InvalidResModule;
};

// Never destroyed: a module may unregister from its own static destructors at process exit.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

// The bytes of resource `type`/`id` of `module`; the caller holds the registry's mutex.
bool FindLocked(Registry& registry, ZRResType type, ZRResID id, ZRResModule module,
                std::string_view* bytes) {
    const auto found = registry.modules.find(module);
    return found != registry.modules.end() && found->second->Find(type, id, bytes);
}

void CopyBounded(std::string_view text, char* buffer, USize bufferSize) {
    const size_t length = std::min<size_t>(text.size(), bufferSize - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

}  // namespace

ZRResModule RSAddModule_ResetCurrentModule(ZRInstance instance) {
    auto table = std::make_unique<ZR::ResourceTable>();
    if (!ZR::LoadModuleResources(instance, *table)) return InvalidResModule;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const ZRResModule handle = registry.nextHandle++;
    registry.modules.emplace(handle, std::move(table));
    registry.active = handle;
    return handle;
}

// Removing the active module leaves no module active.
void RSRemoveModule(ZRResModule module) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.modules.erase(module);
    if (registry.active == module) registry.active = InvalidResModule;
}

ZRResModule RSSetActiveModule(ZRResModule module) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return std::exchange(registry.active, module);
}

ZRResModule RSGetActiveModule() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return registry.active;
}

bool RSGetIndString(char* buffer, USize bufferSize, ZRResType type, ZRResID listId, Int32 index,
                    ZRResModule module) {
    if (buffer == nullptr || bufferSize == 0) return false;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::string_view list, text;
    if (!FindLocked(registry, type, listId, module, &list) ||
        !ZR::GetListString(list, index, &text)) {
        buffer[0] = '\0';
        return false;
    }
    CopyBounded(text, buffer, bufferSize);
    return true;
}

const char* RSLoadResource(ZRResType type, ZRResID id, ZRResModule module, USize* size) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::string_view bytes;
    if (!FindLocked(registry, type, id, module, &bytes)) {
        if (size != nullptr) *size = 0;
        return nullptr;
    }
    if (size != nullptr) *size = USize(bytes.size());
    return bytes.data();
}
