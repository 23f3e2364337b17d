#pragma once

#include <string>

namespace Ombra {

// The LineReader of a terminal (see interactive_session.h): line editing, and a history of the
// lines read so far.
bool ReadEditedLine(const char* prompt, std::string& line);

}  // namespace Ombra
