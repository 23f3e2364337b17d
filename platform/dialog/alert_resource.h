// Internal to the dialog library: the stored form of an alert resource ("GALR") and the
// substitution of its text parameters.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "host/base/types.h"

namespace DG::Detail {

constexpr int AlertButtonCount = 3;

// Stored form: a 32-bit little-endian count of the bytes that follow, a 16-bit little-endian
// value (kept, not interpreted), then six NUL-terminated texts: title, message, second message
// and the labels of buttons 1 to 3. Bytes after the sixth text are ignored.
struct AlertResource {
    Int16 style = 0;
    std::string title;
    std::string message;
    std::string secondMessage;
    std::array<std::string, AlertButtonCount> buttons;
};

// Reads `size` bytes at `data`. False, with `alert` unspecified, when they do not hold a whole
// alert: the count runs past `size`, or the value or a text runs past the count.
bool ParseAlertResource(const char* data, USize size, AlertResource& alert);

// Replaces each "%s" of `text` by the next of `parameters` (from `next` on, which advances); a
// "%s" left without a parameter becomes empty.
std::string SubstituteParameters(const std::string& text,
                                 const std::vector<std::string>& parameters, size_t& next);

// The button (1 to 3) that `answer` names: its number, or its label with or without trailing
// dots, in any ASCII letter case; blanks around the answer do not count. 0 when it names none; a
// button with an empty label does not exist.
Int16 ButtonForAnswer(const AlertResource& alert, const std::string& answer);

}  // namespace DG::Detail
