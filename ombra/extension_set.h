#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/environment.h"
#include "platform/extension_host/extension_loader.h"

namespace Ombra {

// The extension modules of one run of ombra, each bound to the host's environment table.
class ExtensionSet {
public:
    ExtensionSet() = default;
    ~ExtensionSet() { UnloadAll(); }
    ExtensionSet(const ExtensionSet&) = delete;
    ExtensionSet& operator=(const ExtensionSet&) = delete;

    // Loads and binds every module file (*.so) of `folder`, in the order of their names' bytes.
    // A module that fails a step is reported on `err` as one line naming the file and the step
    // ("ombra: extension module '/x/y.so' skipped: symbol missing: SetLTEnvAddrs"), unloaded and
    // skipped; so is one whose file type an earlier module already serves. A folder that cannot
    // be read loads nothing and is reported the same way. `environment` must outlive the set.
    void LoadFolder(const std::string& folder, const HostEnvironment& environment,
                    std::ostream& err);

    // The module serving `fileType` (UTF-8, letter case ignored in full Unicode), or nullptr.
    const ExtensionLoader* ServerOf(const std::string& fileType) const;

    // Unloads every module (dlclose) in the reverse order of loading.
    void UnloadAll();

private:
    struct Module {
        std::unique_ptr<ExtensionLoader> loader;
        ZR::UniString upperType;  // the file type it serves, upper-cased, for matching
    };

    bool Admit(std::unique_ptr<ExtensionLoader> loader, const HostEnvironment& environment,
               std::string& error);

    std::vector<Module> modules;
};

}  // namespace Ombra
