// End-to-end runs of the built ombra executable in a fresh folder per test, collecting what it
// printed and its exit status.
#pragma once

#include <string>
#include <vector>

#include "fake_data_statements.h"
#include "tests/support/temp_folder.h"

namespace Ombra::Testing {

using ScriptFolder = OmbraTest::TempFolder;

// The exact bytes of the file `name` in `folder`; "<missing>" when it cannot be read.
std::string ReadBack(const ScriptFolder& folder, const std::string& name);

// Runs ombra with `arguments` in `folder` (its current folder), standard input read from the
// bytes `input` (so never a terminal). XDG_STATE_HOME points into the folder, so that no run
// touches the state of the user running the tests.
RunResult RunOmbra(const ScriptFolder& folder, const std::vector<std::string>& arguments,
                   const std::string& input = "");

// Runs ombra as RunOmbra does, but with a terminal as standard input on which `typed` has been
// typed ahead.
RunResult RunOmbraOnTerminal(const ScriptFolder& folder, const std::vector<std::string>& arguments,
                             const std::string& typed);

// The paths of the built pieces the tests use.
const char* OmbraBinary();
const char* DataModule();
const char* ProbeModule();           // serves "Probe"
const char* ProbeInitFailsModule();  // InitExtension returns -42
const char* ProbeBareModule();       // carries no resources
const char* PlainLibrary();          // a shared library without the three exports

}  // namespace Ombra::Testing
