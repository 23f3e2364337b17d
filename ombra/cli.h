#pragma once

#include <string>
#include <vector>

namespace Ombra {

// What the command line asks for. Folders and files are kept as given; the host resolves them.
struct Options {
    std::string script;                           // script path; "-": standard input; "": none
    std::string baseFolder;                       // --base: special location 2; empty = cwd
    std::vector<std::string> libraryFolders;      // --library, in the order given
    std::vector<std::string> hostLibraryFolders;  // --host-library, in the order given
    std::vector<std::string> answers;             // --answer: scripted dialog answers, in order
    std::string stateFile;                        // --state
    std::string extensionsFolder;                 // --extensions: where modules are found
    bool mainThread = false;                      // --main-thread: run the script on it
    bool help = false;                            // --help: print UsageText() and exit
    bool version = false;                         // --version: print the version and exit
};

// Reads the arguments after the program name. An option's value follows it as the next
// argument or after '=' (--base=DIR); "--" ends the options. At most one script may be given
// (none: an interactive session); with --help or --version scripts are ignored. On failure
// `error` says what is wrong and `options` is unspecified.
bool ParseCommandLine(const std::vector<std::string>& arguments, Options& options,
                      std::string& error);

// The texts --help and --version print.
std::string UsageText();
std::string VersionText();

}  // namespace Ombra
