// End-to-end runs of the built ombra executable: a fresh folder per test, and a runner that
// starts ombra in it and collects what it printed and its exit status.
#pragma once

#include <string>
#include <vector>

#include "fake_data_statements.h"

namespace Ombra::Testing {

// A fresh temporary folder, removed with everything in it when the object ends.
class ScriptFolder {
public:
    ScriptFolder();  // fails the test when no folder can be made
    ~ScriptFolder();
    ScriptFolder(const ScriptFolder&) = delete;
    ScriptFolder& operator=(const ScriptFolder&) = delete;

    const std::string& Path() const { return path; }
    std::string PathOf(const std::string& name) const { return path + "/" + name; }

    // Writes exactly `bytes` as the file `name`, making the folders above it.
    void Write(const std::string& name, const std::string& bytes) const;
    // The exact bytes of the file `name`; "<missing>" when it cannot be read.
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    void MakeFolder(const std::string& name) const;
    // Makes `name` a symbolic link to `target` (an absolute path).
    void Link(const std::string& name, const std::string& target) const;

private:
    std::string path;
};

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
