#include "ombra/cli.h"

#include <string_view>
#include <utility>
#include <variant>

namespace Ombra {
namespace {

// Where an option's value goes: a single text (the last one given wins), a list that collects
// every occurrence, or a flag that takes no value.
using OptionTarget =
    std::variant<std::string Options::*, std::vector<std::string> Options::*, bool Options::*>;

struct OptionSpec {
    std::string_view name;
    OptionTarget target;
};

const OptionSpec kOptions[] = {
    {"--base", &Options::baseFolder},
    {"--library", &Options::libraryFolders},
    {"--host-library", &Options::hostLibraryFolders},
    {"--answer", &Options::answers},
    {"--state", &Options::stateFile},
    {"--extensions", &Options::extensionsFolder},
    {"--main-thread", &Options::mainThread},
    {"--help", &Options::help},
    {"--version", &Options::version},
};

bool Fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

const OptionSpec* FindOption(std::string_view name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.name == name) return &spec;
    }
    return nullptr;
}

void Store(const OptionTarget& target, std::string value, Options& options) {
    if (auto text = std::get_if<std::string Options::*>(&target)) {
        options.** text = std::move(value);
    } else {
        (options.*std::get<std::vector<std::string> Options::*>(target))
            .push_back(std::move(value));
    }
}

// Reads the option at arguments[index]; an option whose value is the next argument moves
// `index` onto that value.
bool ParseOption(const std::vector<std::string>& arguments, size_t& index, Options& options,
                 std::string& error) {
    std::string_view argument = arguments[index];
    size_t equals = argument.find('=');
    std::string name(argument.substr(0, equals));
    const OptionSpec* spec = FindOption(name);
    if (spec == nullptr) return Fail(error, "unknown option '" + name + "'");
    if (auto flag = std::get_if<bool Options::*>(&spec->target)) {
        if (equals != std::string_view::npos) return Fail(error, name + " takes no value");
        options.** flag = true;
        return true;
    }
    if (equals != std::string_view::npos) {
        Store(spec->target, std::string(argument.substr(equals + 1)), options);
    } else if (index + 1 < arguments.size()) {
        Store(spec->target, arguments[++index], options);
    } else {
        return Fail(error, name + " needs a value");
    }
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, Options& options,
                      std::string& error) {
    std::vector<std::string> scripts;
    bool optionsEnded = false;
    for (size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (optionsEnded || argument == "-" || !argument.starts_with("-")) {
            scripts.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (!ParseOption(arguments, index, options, error)) {
            return false;
        }
    }
    if (options.help || options.version || scripts.empty()) return true;
    if (scripts.size() > 1) {
        return Fail(error,
                    "one script at a time: '" + scripts[1] + "' follows '" + scripts[0] + "'");
    }
    options.script = scripts.front();
    return true;
}

std::string UsageText() {
    return "usage: ombra [options] [SCRIPT]\n"
           "Runs an Ombra script; SCRIPT '-' reads it from standard input. Without SCRIPT,\n"
           "and with a terminal on standard input, runs statements as they are typed.\n"
           "\n"
           "options:\n"
           "  --base DIR          base folder of the data files (default: current folder)\n"
           "  --library DIR       a folder of the object library OPEN ... LIBRARY searches\n"
           "                      (repeatable, searched in order)\n"
           "  --host-library DIR  a folder of the host's library, searched after the object\n"
           "                      library (repeatable)\n"
           "  --answer TEXT       the next answer a dialog takes (repeatable): browse, cancel\n"
           "                      or create for the alert, a path or cancel for a file dialog\n"
           "  --state FILE        where the file choices of dialogs are remembered between\n"
           "                      runs (default: ~/.local/state/ombra/remembered-locations)\n"
           "  --extensions DIR    folder of the extension modules (default: 'extensions'\n"
           "                      beside the ombra executable)\n"
           "  --main-thread       run the script on the main thread (default: a worker thread)\n"
           "  --help              show this text\n"
           "  --version           show the version\n"
           "\n"
           "exit status: 0 success, 1 runtime error, 2 usage or syntax error\n";
}

std::string VersionText() {
    return std::string("ombra ") + OMBRA_VERSION + "\n";
}

}  // namespace Ombra
