#include "ombra/extension_set.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace Ombra {
namespace {

namespace fs = std::filesystem;

ZR::UniString UpperCased(ZR::UniString text) {
    text.SetToUpperCase();
    return text;
}

// The module files of `folder`, sorted by their paths' bytes; an error when it cannot be read.
std::vector<std::string> ModuleFiles(const std::string& folder, std::error_code& error) {
    std::vector<std::string> files;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->path().extension() == ".so" && !it->is_directory(typeError))
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void ReportSkipped(std::ostream& err, const std::string& path, const std::string& reason) {
    err << "ombra: extension module '" << path << "' skipped: " << reason << std::endl;
}

}  // namespace

void ExtensionSet::LoadFolder(const std::string& folder, const HostEnvironment& environment,
                              std::ostream& err) {
    std::error_code listError;
    const std::vector<std::string> files = ModuleFiles(folder, listError);
    if (listError) {
        err << "ombra: the extension folder '" << folder
            << "' cannot be read: " << listError.message() << std::endl;
        return;
    }
    for (const std::string& file : files) {
        auto loader = std::make_unique<ExtensionLoader>();
        std::string error;
        if (!loader->Load(file)) {
            ReportSkipped(err, file, loader->Error());
        } else if (!Admit(std::move(loader), environment, error)) {
            ReportSkipped(err, file, error);
        }
    }
}

// A second module for a type already served is unloaded before it is bound, so it never runs.
bool ExtensionSet::Admit(std::unique_ptr<ExtensionLoader> loader,
                         const HostEnvironment& environment, std::string& error) {
    const std::string type = loader->FileType();
    ZR::UniString upperType = UpperCased(ZR::UniString(type.c_str(), CC_Default));
    for (const Module& module : modules) {
        if (module.upperType == upperType) {
            error = "file type '" + type + "' is already served by '" + module.loader->Path() + "'";
            return false;
        }
    }
    if (!loader->Bind(environment)) {
        error = loader->Error();
        return false;
    }
    modules.push_back({std::move(loader), std::move(upperType)});
    return true;
}

const ExtensionLoader* ExtensionSet::ServerOf(const std::string& fileType) const {
    const ZR::UniString wanted =
        UpperCased(ZR::UniString(fileType.data(), USize(fileType.size()), CC_UTF8));
    for (const Module& module : modules) {
        if (module.upperType == wanted) return module.loader.get();
    }
    return nullptr;
}

void ExtensionSet::UnloadAll() {
    while (!modules.empty()) modules.pop_back();
}

}  // namespace Ombra
