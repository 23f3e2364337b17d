#include "extension/store/data_file.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>

#include "extension/store/line_scan.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// The deletion marker in the default code page: the byte 0xFF, then " Deleted entry".
constexpr char DeletionMarker[] = "\xFF Deleted entry";

// A field number of short ASCII text is read without converting the text: its default code page
// bytes are its code units.
constexpr USize ShortFieldId = 32;

bool IsShortAscii(const ZR::UniString& text) {
    if (text.GetLength() > ShortFieldId) return false;
    for (USize i = 0; i < text.GetLength(); ++i) {
        if (text[i] >= 0x80) return false;
    }
    return true;
}

// strtol reads what "%d" reads and stops at LONG_MIN or LONG_MAX; the result is then clamped.
bool ReadNumber(const char* text, Int32& number) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text) return false;
    number = parsed > INT32_MAX ? INT32_MAX : (parsed < INT32_MIN ? INT32_MIN : Int32(parsed));
    return true;
}

// A field number of one to nine digits and nothing else, as scripts mostly write it, is read as
// strtol reads it, without the call; false for any other text.
bool ReadPlainDigits(const ZR::UniString& text, Int32& number) {
    constexpr USize MaxDigits = 9;  // below 10^9: no 32-bit overflow
    const USize length = text.GetLength();
    if (length == 0 || length > MaxDigits) return false;
    Int32 value = 0;
    for (USize i = 0; i < length; ++i) {
        const ZR::UniChar unit = text[i];
        if (unit < '0' || unit > '9') return false;
        value = value * 10 + Int32(unit - '0');
    }
    number = value;
    return true;
}

}  // namespace

bool ReadFieldNumber(const ZR::UniString& fieldId, Int32& number) {
    if (ReadPlainDigits(fieldId, number)) return true;
    if (!IsShortAscii(fieldId)) return ReadNumber(fieldId.ToCStr(CC_Default).Get(), number);
    char text[ShortFieldId + 1];
    for (USize i = 0; i < fieldId.GetLength(); ++i) text[i] = char(fieldId[i]);
    text[fieldId.GetLength()] = '\0';
    return ReadNumber(text, number);
}

ZRErrCode ReadTextLine(ChannelInfo& info, ZR::UniString& line, UInt32 position) {
    if (position != MaxUIndex) {
        if (position > MaxFileOffset) return IO::ErrPosition;
        const ZRErrCode status = info.file->SetDataPosition(Int32(position));
        if (status != NoError) return status;
    }
    return IOUtil::GetTextLine(*info.file, line, info.utf8 != 0);
}

ZRErrCode SkipLines(ChannelInfo& info, Int32 count) {
    if (count <= 0) return NoError;
    LineCursor cursor(*info.file);
    return cursor.Skip(UInt32(count));
}

USize SplitKey(ZR::UniString& line, ZR::UniChar separator) {
    const USize found = line.FindFirst(separator);
    if (found != MaxUIndex) line.Truncate(found);
    return found;
}

ZR::UniString MakeDeletionLine(const ZR::UniString& key, ZR::UniChar separator) {
    ZR::UniString line = key;
    line.Append(separator);
    line.Append(ZR::UniString(DeletionMarker, CC_Default));
    return line;
}

std::string DeletionMarkerBytes(ZRCharCode charCode) {
    std::string bytes;
    ZR::UniString(DeletionMarker, CC_Default).AppendBytes(bytes, charCode);
    return bytes;
}

bool IsDeletionLine(std::u16string_view line, USize keyLength, ZR::UniChar separator) {
    // Each byte of the default code page decodes to one code unit; decoded once.
    static const std::u16string marker = ZR::UniString(DeletionMarker, CC_Default).Get();
    return line.size() == keyLength + 1 + marker.size() && line[keyLength] == separator &&
           line.substr(keyLength + 1) == marker;
}

bool IsDeletionLine(const ZR::UniString& line, std::u16string_view key, ZR::UniChar separator) {
    const std::u16string_view text = line.Get();
    return text.starts_with(key) && IsDeletionLine(text, USize(key.size()), separator);
}

ZRErrCode GetIndexPosition(const ChannelInfo& info, UInt32& position) {
    UInt32 current = 0;
    const ZRErrCode status = info.file->GetDataPosition(&current);
    return status != NoError ? status : IndexOffset(current, position);
}

}  // namespace DataOmbraPlugin
