#include "ombra_run.h"

#include "tests/support/child_process.h"

namespace Ombra::Testing {
namespace {

RunResult Run(const ScriptFolder& folder, const std::vector<std::string>& arguments,
              const std::string& input, bool terminal) {
    OmbraTest::ChildRun run;
    run.arguments = {OmbraBinary()};
    run.arguments.insert(run.arguments.end(), arguments.begin(), arguments.end());
    run.input = input;
    run.terminal = terminal;
    run.folder = folder.Path();
    run.setEnvironment = {"XDG_STATE_HOME=" + folder.PathOf("state-home")};
    const OmbraTest::ChildResult result = OmbraTest::RunProgram(run);
    if (!result.started) return {};
    return {result.Status(), result.out, result.err};
}

}  // namespace

std::string ReadBack(const ScriptFolder& folder, const std::string& name) {
    return folder.ReadFile(name).value_or("<missing>");
}

RunResult RunOmbra(const ScriptFolder& folder, const std::vector<std::string>& arguments,
                   const std::string& input) {
    return Run(folder, arguments, input, false);
}

RunResult RunOmbraOnTerminal(const ScriptFolder& folder, const std::vector<std::string>& arguments,
                             const std::string& typed) {
    return Run(folder, arguments, typed, true);
}

const char* OmbraBinary() {
    return OMBRA_BINARY;
}
const char* DataModule() {
    return DATA_MODULE_PATH;
}
const char* ProbeModule() {
    return PROBE_MODULE_PATH;
}
const char* ProbeInitFailsModule() {
    return PROBE_INIT_FAILS_MODULE_PATH;
}
const char* ProbeBareModule() {
    return PROBE_BARE_MODULE_PATH;
}
const char* PlainLibrary() {
    return PLAIN_LIBRARY_PATH;
}

}  // namespace Ombra::Testing
