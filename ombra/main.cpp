// ombra: runs an Ombra script, or, without one and with a terminal on standard input, an
// interactive session. Reads the command line and the script, then runs the script or session
// under the host: with the extension modules of its extensions folder serving the data
// statements.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "ombra/cli.h"
#include "ombra/host_session.h"
#include "ombra/host_settings.h"
#include "ombra/interactive_session.h"
#include "ombra/line_editor.h"
#include "ombra/script.h"
#include "ombra/script_file.h"

namespace {

int UsageError(const std::string& error) {
    std::cerr << "ombra: " << error << "\nTry 'ombra --help'.\n";
    return Ombra::kExitUsageError;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace Ombra;
    Options options;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        return UsageError(error);
    }
    if (options.help || options.version) {
        std::cout << (options.help ? UsageText() : VersionText());
        return kExitSuccess;
    }
    if (options.script.empty() && !isatty(STDIN_FILENO)) {
        return UsageError("no script given, and standard input is not a terminal");
    }
    HostSettings settings;
    std::string source;
    if (!ResolveSettings(options, settings, error) ||
        (!options.script.empty() && !ReadScript(options.script, source, error))) {
        std::cerr << "ombra: " << error << "\n";
        return kExitUsageError;
    }
    const bool session = options.script.empty();
    const std::string name = ScriptDisplayName(session ? "-" : options.script);
    const HostedRun run = [&](DataStatements& data) {
        return session ? RunInteractiveSession(ReadEditedLine, data, std::cout, std::cerr)
                       : RunScript(name, source, data, std::cout, std::cerr);
    };
    return RunHosted(settings, name, run, std::cerr);
}
