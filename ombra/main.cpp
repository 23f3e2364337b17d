// ombra: runs an Ombra script. Reads the command line and the script, then runs the script under
// the host: with the extension modules of its extensions folder serving the data statements.
#include <iostream>
#include <string>
#include <vector>

#include "ombra/cli.h"
#include "ombra/host_session.h"
#include "ombra/host_settings.h"
#include "ombra/script.h"
#include "ombra/script_file.h"

int main(int argc, char* argv[]) {
    using namespace Ombra;
    Options options;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "ombra: " << error << "\nTry 'ombra --help'.\n";
        return kExitUsageError;
    }
    if (options.help || options.version) {
        std::cout << (options.help ? UsageText() : VersionText());
        return kExitSuccess;
    }
    HostSettings settings;
    std::string source;
    if (!ResolveSettings(options, settings, error) || !ReadScript(options.script, source, error)) {
        std::cerr << "ombra: " << error << "\n";
        return kExitUsageError;
    }
    return RunHostedScript(settings, ScriptDisplayName(options.script), source, std::cout,
                           std::cerr);
}
