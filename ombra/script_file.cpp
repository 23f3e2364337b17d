#include "ombra/script_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace Ombra {
namespace {

bool ReadAll(std::istream& in, std::string& text) {
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

}  // namespace

bool ReadScript(const std::string& path, std::string& text, std::string& error) {
    if (path == "-") {
        if (ReadAll(std::cin, text)) return true;
        error = "cannot read the script from standard input";
        return false;
    }
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        error = "cannot read the script '" + path + "': it is a folder";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (file && ReadAll(file, text)) return true;
    error = "cannot read the script '" + path + "': " + std::strerror(errno);
    return false;
}

std::string ScriptDisplayName(const std::string& path) {
    return path == "-" ? "<stdin>" : path;
}

}  // namespace Ombra
