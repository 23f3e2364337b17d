// The terminal's line reader, on the line editing library; only the ombra executable links it.
#include "ombra/line_editor.h"

#include <editline/readline.h>

#include <cstdlib>

namespace Ombra {

bool ReadEditedLine(const char* prompt, std::string& line) {
    char* text = readline(prompt);
    if (text == nullptr) return false;
    line = text;
    std::free(text);
    if (!line.empty()) add_history(line.c_str());
    return true;
}

}  // namespace Ombra
