// UniString::SetToUpperCase: full Unicode upper-casing in the root locale, which may change the
// length (U+00DF becomes "SS"). Text made only of ASCII is mapped in place without ICU.
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <limits>

#include "host/base/unistring.h"

namespace ZR {

namespace {

bool UpperCaseAscii(std::u16string& units) {
    if (!std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit < 0x80; })) {
        return false;
    }
    for (char16_t& unit : units) {
        if (unit >= u'a' && unit <= u'z') unit = char16_t(unit - (u'a' - u'A'));
    }
    return true;
}

// Upper-cases `source` into `result`; false (result unspecified) on any ICU failure.
bool UpperCaseUnicode(const std::u16string& source, std::u16string& result) {
    constexpr size_t Limit = size_t(std::numeric_limits<int32_t>::max());
    if (source.size() > Limit / 3) return false;
    // The full mapping grows a code unit into at most three.
    result.resize(source.size() + source.size() / 2 + 8);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = u_strToUpper(result.data(), int32_t(result.size()), source.data(),
                                  int32_t(source.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        result.resize(size_t(length));
        status = U_ZERO_ERROR;
        length = u_strToUpper(result.data(), int32_t(result.size()), source.data(),
                              int32_t(source.size()), "", &status);
    }
    if (U_FAILURE(status)) return false;
    result.resize(size_t(length));
    return true;
}

}  // namespace

// On the (unexpected) failure of ICU the string stays as it was.
void UniString::SetToUpperCase() {
    if (UpperCaseAscii(units)) return;
    std::u16string upper;
    if (UpperCaseUnicode(units, upper)) units = std::move(upper);
}

}  // namespace ZR
