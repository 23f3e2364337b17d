// Dispatch of the text conversions by character code.
#include "platform/base/text_codec.h"

namespace ZR::TextCodec {

void AppendDecoded(std::u16string& out, const char* bytes, size_t count, ZRCharCode charCode) {
    if (count == 0) return;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    if (charCode == CC_UTF8) {
        AppendDecodedUtf8(out, data, count);
    } else {
        AppendDecodedCodePage(out, data, count);
    }
}

void AppendEncoded(std::string& out, const char16_t* units, size_t count, ZRCharCode charCode,
                   Escapes escapes) {
    if (count == 0) return;
    if (charCode == CC_UTF8) {
        AppendEncodedUtf8(out, units, count, escapes);
    } else {
        AppendEncodedCodePage(out, units, count, escapes);
    }
}

size_t EncodedSize(const char16_t* units, size_t count, ZRCharCode charCode, Escapes escapes) {
    return charCode == CC_UTF8 ? EncodedSizeUtf8(units, count, escapes) : count;
}

}  // namespace ZR::TextCodec
