#include "ombra/host_settings.h"

#include <filesystem>
#include <system_error>

#include "ombra/state_file.h"

namespace Ombra {
namespace {

namespace fs = std::filesystem;

bool Absolute(const std::string& path, std::string& absolute, std::string& error) {
    std::error_code failure;
    fs::path resolved = fs::absolute(path, failure).lexically_normal();
    if (!failure) {
        // "dir/" and "dir/." name the folder "dir"; no trailing separator is kept.
        if (!resolved.has_filename() && resolved.has_relative_path()) {
            resolved = resolved.parent_path();
        }
        absolute = resolved.string();
        return true;
    }
    error = "cannot resolve '" + path + "': " + failure.message();
    return false;
}

bool AbsoluteAll(const std::vector<std::string>& paths, std::vector<std::string>& absolute,
                 std::string& error) {
    absolute.resize(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!Absolute(paths[i], absolute[i], error)) return false;
    }
    return true;
}

// An option naming a folder: absolute, and a folder that exists.
bool ExistingFolder(const char* option, const std::string& path, std::string& folder,
                    std::string& error) {
    if (!Absolute(path, folder, error)) return false;
    std::error_code ignored;
    if (fs::is_directory(folder, ignored)) return true;
    error = std::string(option) + " '" + path + "' is not a folder";
    return false;
}

// The modules' folder that the build and an installation put at the same place relative to the
// executable, so a relocated installation finds its modules too.
std::string DefaultExtensionsFolder() {
    std::error_code failure;
    const fs::path executable = fs::read_symlink("/proc/self/exe", failure);
    if (failure) return {};
    return (executable.parent_path() / OMBRA_EXTENSIONS_PATH).lexically_normal().string();
}

bool ResolveStateFile(const Options& options, HostSettings& settings, std::string& error) {
    settings.defaultStateFile = options.stateFile.empty();
    if (settings.defaultStateFile) {
        settings.stateFile = DefaultStateFile();
        return true;
    }
    return Absolute(options.stateFile, settings.stateFile, error);
}

}  // namespace

bool ResolveSettings(const Options& options, HostSettings& settings, std::string& error) {
    settings.answers = options.answers;
    settings.mainThread = options.mainThread;
    const bool resolved =
        ExistingFolder("--base", options.baseFolder.empty() ? "." : options.baseFolder,
                       settings.baseFolder, error) &&
        AbsoluteAll(options.libraryFolders, settings.libraryFolders, error) &&
        AbsoluteAll(options.hostLibraryFolders, settings.hostLibraryFolders, error) &&
        ResolveStateFile(options, settings, error);
    if (!resolved) return false;
    if (options.extensionsFolder.empty()) {
        settings.extensionsFolder = DefaultExtensionsFolder();
        return true;
    }
    return ExistingFolder("--extensions", options.extensionsFolder, settings.extensionsFolder,
                          error);
}

}  // namespace Ombra
