#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ombra/data_statements.h"
#include "ombra/extension_set.h"

namespace Ombra {

// The data statements served by the loaded extension modules.
//
// OPEN goes to the module that serves its file type, with the smallest channel number from 1
// that no open channel of any module holds; a successful OPEN binds that number to the module
// and is its result. INPUT, OUTPUT and CLOSE go to the module that holds the channel; a number
// that no successful OPEN handed out (or that CLOSE freed) is a host failure "channel N is not
// open", whatever the modules would say. CLOSE frees the number even when the module's CLOSE
// fails. Texts pass as UTF-8 converted to UniString, values through the shared value records.
class ModuleDataStatements : public DataStatements {
public:
    // `modules` and `fileInfoHandle` (the remembered-location block passed to every OPEN) must
    // outlive this object.
    ModuleDataStatements(const ExtensionSet& modules, ZRHandle& fileInfoHandle)
        : modules(modules), fileInfoHandle(fileInfoHandle) {}

    DataStatus Open(const std::string& type, const std::string& name, const std::string& parameters,
                    int32_t& channel) override;
    DataStatus Input(int32_t channel, const std::string& key, const std::string& field,
                     int32_t count, std::vector<ScriptValue>& delivered) override;
    DataStatus Output(int32_t channel, const std::string& key, const std::string& field,
                      const std::vector<ScriptValue>& values) override;
    DataStatus Close(int32_t channel) override;

    // One channel whose CLOSE failed at CloseAll().
    struct CloseFailure {
        int32_t channel = 0;
        DataStatus status;
    };
    // Closes every channel still open, in ascending order, as CLOSE does; returns the failures.
    std::vector<CloseFailure> CloseAll();

private:
    int32_t FreeChannel() const;
    const ExtensionLoader* Holder(int32_t channel) const;

    const ExtensionSet& modules;
    ZRHandle& fileInfoHandle;
    std::map<int32_t, const ExtensionLoader*> channels;  // open channel → the module holding it
};

}  // namespace Ombra
