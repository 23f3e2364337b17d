#pragma once

#include <string>

namespace Ombra {

// Reads a whole script: the file at `path`, or standard input when `path` is "-". On failure
// `error` says why (with the system's reason) and `text` is unspecified.
bool ReadScript(const std::string& path, std::string& text, std::string& error);

// The name a script goes by in messages: its path as given, or "<stdin>".
std::string ScriptDisplayName(const std::string& path);

}  // namespace Ombra
