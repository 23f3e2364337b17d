// ombra: runs an Ombra script. Reads the command line, reads the script, and runs it with the
// data statements of the host.
#include <iostream>
#include <string>
#include <vector>

#include "ombra/cli.h"
#include "ombra/script.h"
#include "ombra/script_file.h"
#include "ombra/unserved_data_statements.h"

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
    std::string source;
    if (!ReadScript(options.script, source, error)) {
        std::cerr << "ombra: " << error << "\n";
        return kExitUsageError;
    }
    UnservedDataStatements data;
    return RunScript(ScriptDisplayName(options.script), source, data, std::cout, std::cerr);
}
