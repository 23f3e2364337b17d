#include "ombra/host_session.h"

#include <unistd.h>

#include <cstdio>

#include "ombra/extension_set.h"
#include "ombra/host_environment.h"
#include "ombra/module_data_statements.h"
#include "ombra/script.h"
#include "ombra/script_thread.h"
#include "ombra/state_file.h"
#include "platform/dialog/dialog_host.h"
#include "platform/interpreter/object_library.h"

namespace Ombra {
namespace {

std::vector<IO::Location> LocationsOf(const std::vector<std::string>& paths) {
    std::vector<IO::Location> locations;
    for (const std::string& path : paths) locations.push_back(IO::Location::FromPath(path));
    return locations;
}

// Dialogs take the scripted answers first; then they ask on the terminal, prompting on standard
// error so that standard output holds only what the script prints.
void ConfigurePlatform(const HostSettings& settings) {
    IO::fileSystem.SetBaseFolder(IO::Location::FromPath(settings.baseFolder));
    SetObjectLibraryFolders(LocationsOf(settings.libraryFolders));
    SetHostLibraryFolders(LocationsOf(settings.hostLibraryFolders));
    for (const std::string& answer : settings.answers) DG::QueueAnswer(answer);
    if (isatty(STDIN_FILENO)) DG::UseTerminal(stdin, stderr);
}

int RunWithModules(const HostSettings& settings, const std::string& scriptName,
                   const HostedRun& hostedRun, ZRHandle& block, std::ostream& err) {
    const HostEnvironment environment = MakeHostEnvironment();
    ExtensionSet modules;
    if (!settings.extensionsFolder.empty()) {
        modules.LoadFolder(settings.extensionsFolder, environment, err);
    }
    ModuleDataStatements data(modules, block);
    const auto run = [&] { return hostedRun(data); };
    int status = settings.mainThread ? run() : RunOnWorkerThread(run);
    for (const ModuleDataStatements::CloseFailure& failure : data.CloseAll()) {
        err << scriptName << ": error: closing channel " << failure.channel
            << " at the end of the script failed with status " << failure.status.status
            << std::endl;
        if (status == kExitSuccess) status = kExitRuntimeError;
    }
    modules.UnloadAll();
    return status;
}

}  // namespace

int RunHosted(const HostSettings& settings, const std::string& scriptName, const HostedRun& run,
              std::ostream& err) {
    ConfigurePlatform(settings);
    ZRHandle block = nullptr;
    std::string error;
    if (!settings.stateFile.empty() && !ReadStateFile(settings.stateFile, block, error)) {
        err << "ombra: " << error << std::endl;
        return kExitUsageError;
    }
    int status = RunWithModules(settings, scriptName, run, block, err);
    if (block != nullptr) {
        if (!settings.stateFile.empty() &&
            !WriteStateFile(settings.stateFile, block, settings.defaultStateFile, error)) {
            err << "ombra: " << error << std::endl;
            if (status == kExitSuccess) status = kExitRuntimeError;
        }
        BMKillHandle(&block);
    }
    return status;
}

}  // namespace Ombra
