#pragma once

#include <cstddef>
#include <string_view>

namespace Ombra {

// Checks that `text` is well-formed UTF-8 (no overlong forms, surrogates or values above
// U+10FFFF). On failure `badOffset` holds the offset of the first byte that is not part of a
// well-formed sequence.
bool IsValidUtf8(std::string_view text, size_t& badOffset);

// The number of code points in well-formed UTF-8 text.
size_t CountCodePoints(std::string_view text);

// The length of the sequence that starts with `lead` in well-formed UTF-8 (1 to 4).
size_t SequenceLength(unsigned char lead);

}  // namespace Ombra
