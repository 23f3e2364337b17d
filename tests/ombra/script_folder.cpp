#include "script_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace Ombra::Testing {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return "<missing>";
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The environment of the child: ours, with XDG_STATE_HOME replaced.
std::vector<std::string> ChildEnvironment(const std::string& stateHome) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string(*entry).rfind("XDG_STATE_HOME=", 0) != 0) entries.push_back(*entry);
    }
    entries.push_back("XDG_STATE_HOME=" + stateHome);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child: only calls that are safe after fork. Standard input is `terminal` when it is
// not negative, otherwise the capture's input file.
[[noreturn]] void RunChild(const std::string& folder, const std::string& capture, int terminal,
                           char* const* argv, char* const* envp) {
    const int in = terminal >= 0 ? terminal : open((capture + ".in").c_str(), O_RDONLY);
    const int out = open((capture + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open((capture + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || chdir(folder.c_str()) != 0) _exit(126);
    if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    execve(argv[0], argv, envp);
    _exit(127);
}

RunResult Run(const ScriptFolder& folder, const std::vector<std::string>& arguments,
              const std::string& input, int terminal) {
    const std::string capture = folder.Path();  // capture files lie beside the folder
    std::ofstream(capture + ".in", std::ios::binary) << input;
    std::vector<std::string> argvTexts{OmbraBinary()};
    argvTexts.insert(argvTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envTexts = ChildEnvironment(folder.PathOf("state-home"));
    std::vector<char*> argv = Pointers(argvTexts);
    std::vector<char*> envp = Pointers(envTexts);
    const pid_t child = fork();
    if (child == 0) RunChild(folder.Path(), capture, terminal, argv.data(), envp.data());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return {};
    const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return {exitStatus, ReadBytes(capture + ".out"), ReadBytes(capture + ".err")};
}

}  // namespace

ScriptFolder::ScriptFolder() {
    std::string pattern = (fs::temp_directory_path() / "ombra_host_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a temporary folder";
    path = pattern;
}

ScriptFolder::~ScriptFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
    for (const char* suffix : {".in", ".out", ".err"}) fs::remove(path + suffix, ignored);
}

void ScriptFolder::Write(const std::string& name, const std::string& bytes) const {
    fs::create_directories(fs::path(PathOf(name)).parent_path());
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
}

std::string ScriptFolder::Read(const std::string& name) const {
    return ReadBytes(PathOf(name));
}

bool ScriptFolder::Exists(const std::string& name) const {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(PathOf(name), ignored));
}

void ScriptFolder::MakeFolder(const std::string& name) const {
    fs::create_directories(PathOf(name));
}

void ScriptFolder::Link(const std::string& name, const std::string& target) const {
    fs::create_directories(fs::path(PathOf(name)).parent_path());
    fs::create_symlink(target, PathOf(name));
}

RunResult RunOmbra(const ScriptFolder& folder, const std::vector<std::string>& arguments,
                   const std::string& input) {
    return Run(folder, arguments, input, -1);
}

// What is typed ahead waits in the terminal's line buffer until ombra reads it.
RunResult RunOmbraOnTerminal(const ScriptFolder& folder, const std::vector<std::string>& arguments,
                             const std::string& typed) {
    int controller = -1;
    int terminal = -1;
    if (openpty(&controller, &terminal, nullptr, nullptr, nullptr) != 0) return {};
    const bool written = write(controller, typed.data(), typed.size()) == ssize_t(typed.size());
    RunResult result = written ? Run(folder, arguments, "", terminal) : RunResult{};
    close(terminal);
    close(controller);
    return result;
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
