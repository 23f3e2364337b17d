#pragma once

#include <string>
#include <vector>

#include "host/filesystem.h"
#include "ombra/cli.h"

namespace Ombra {

// The command line's host options, resolved: every folder and file an absolute path (relative
// ones taken from the current folder), defaults filled in.
struct HostSettings {
    std::string baseFolder;                       // special location 2
    std::vector<std::string> libraryFolders;      // the object library, in search order
    std::vector<std::string> hostLibraryFolders;  // what environment slot 3 searches
    std::vector<std::string> answers;             // scripted dialog answers, in order
    std::string stateFile;                        // empty: no state is kept
    bool defaultStateFile = false;                // the per-user default: create its folders
    std::string extensionsFolder;                 // empty: no modules are loaded
    bool mainThread = false;
};

// Resolves `options`. The base folder defaults to the current folder, the state file to
// DefaultStateFile(), the extensions folder to LIBDIR/ombra/extensions, where the build and an
// installation put the modules, found relative to the running executable.
// False, with `error` saying why, when --base or --extensions names no folder or the current
// folder cannot be had; `settings` is then unspecified.
bool ResolveSettings(const Options& options, HostSettings& settings, std::string& error);

}  // namespace Ombra
