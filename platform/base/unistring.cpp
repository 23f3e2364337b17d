// UniString: construction from 8-bit text, editing, searching, comparison and the 8-bit forms.
// Positions beyond the end are clamped to the end, so no edit ever reads outside the string.
#include "host/base/unistring.h"

#include <algorithm>
#include <cstring>

#include "platform/base/text_codec.h"

namespace ZR {

USize ucslen(const UniChar* text) {
    if (text == nullptr) return 0;
    return USize(std::char_traits<UniChar>::length(text));
}

UniString::UniString(const UniChar* text) : UniString(text, ucslen(text)) {}

UniString::UniString(const UniChar* text, USize length) {
    if (text != nullptr) units.assign(text, length);
}

UniString::UniString(const char* text, ZRCharCode charCode)
    : UniString(text, text != nullptr ? USize(std::strlen(text)) : 0, charCode) {}

UniString::UniString(const char* text, USize byteCount, ZRCharCode charCode) {
    AssignBytes(text, byteCount, charCode);
}

UniString& UniString::Append(const UniString& text) {
    units += text.units;
    return *this;
}

UniString& UniString::Append(UniChar ch) {
    units += ch;
    return *this;
}

void UniString::Insert(USize position, const UniString& text) {
    units.insert(std::min<size_t>(position, units.size()), text.units);
}

void UniString::Insert(USize position, UniChar ch) {
    units.insert(std::min<size_t>(position, units.size()), 1, ch);
}

void UniString::Delete(USize position, USize count) {
    if (position < units.size()) units.erase(position, count);
}

void UniString::Truncate(USize length) {
    if (length < units.size()) units.resize(length);
}

UniString UniString::GetSubstring(USize from, USize count) const {
    if (from >= units.size()) return UniString();
    return UniString(units.substr(from, count));
}

USize UniString::FindFirst(UniChar ch, USize from) const {
    const size_t found = units.find(ch, from);
    return found == std::u16string::npos ? MaxUIndex : USize(found);
}

Int32 UniString::Compare(const UniString& other) const {
    const int order = units.compare(other.units);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

CStr UniString::ToCStr(ZRCharCode charCode, Int32 /*conversionErrorMode: only 0 exists*/) const {
    std::string bytes;
    AppendBytes(bytes, charCode);
    return CStr(std::move(bytes));
}

void UniString::AssignBytes(const char* text, USize byteCount, ZRCharCode charCode) {
    units.clear();
    if (text != nullptr) TextCodec::AppendDecoded(units, text, byteCount, charCode);
}

void UniString::AppendBytes(std::string& out, ZRCharCode charCode) const {
    TextCodec::AppendEncoded(out, units.data(), units.size(), charCode);
}

}  // namespace ZR
