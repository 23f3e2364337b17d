#include "ombra/utf8.h"

namespace Ombra {
namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The smallest code point each sequence length may encode; anything below is an overlong form.
constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};

// Decodes the sequence at `pos` and returns its length, or 0 when it is not well-formed.
size_t DecodedLength(std::string_view text, size_t pos) {
    auto lead = static_cast<unsigned char>(text[pos]);
    size_t length = SequenceLength(lead);
    if (length == 1) return lead < 0x80 ? 1 : 0;
    if (pos + length > text.size()) return 0;
    char32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) return 0;
        value = (value << 6) | (byte & 0x3F);
    }
    bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < kMinimum[length] || value > 0x10FFFF || surrogate) return 0;
    return length;
}

}  // namespace

size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xC0 && lead <= 0xDF) return 2;
    return 1;
}

bool IsValidUtf8(std::string_view text, size_t& badOffset) {
    for (size_t pos = 0; pos < text.size();) {
        size_t length = DecodedLength(text, pos);
        if (length == 0) {
            badOffset = pos;
            return false;
        }
        pos += length;
    }
    return true;
}

size_t CountCodePoints(std::string_view text) {
    size_t count = 0;
    for (char c : text) count += IsContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
    return count;
}

}  // namespace Ombra
