// The data file's text as the module reads it: lines through the host's line reader, keys cut
// from lines, and the deletion line that stands for a deleted record.
#pragma once

#include <string>
#include <string_view>

#include "extension/frame/channel_info.h"

namespace DataOmbraPlugin {

// The UTF-8 byte-order mark that begins a UTF-8 data file.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Reads one line of the channel's file into `line`. When `position` is not MaxUIndex the file's
// position is set there first (a failure is returned without reading). End of file and read
// errors are returned as non-zero statuses and leave `line` unchanged; after ErrMemoryFull its
// content is unspecified.
[[nodiscard]] ZRErrCode ReadTextLine(ChannelInfo& info, ZR::UniString& line,
                                     UInt32 position = MaxUIndex);

// Reads and discards up to `count` lines; returns the status of the last read (0 for count <= 0).
// The lines are not decoded; they end where IOUtil::GetTextLine would end them.
[[nodiscard]] ZRErrCode SkipLines(ChannelInfo& info, Int32 count);

// Cuts `line` to its key (the text before the first separator) and returns the separator's
// index; returns MaxUIndex and leaves the line whole when it holds no separator.
USize SplitKey(ZR::UniString& line, ZR::UniChar separator);

// The key's deletion line: the key, the separator and the deletion marker (the character of the
// default code page's byte 0xFF, then " Deleted entry").
ZR::UniString MakeDeletionLine(const ZR::UniString& key, ZR::UniChar separator);
// The deletion marker's bytes in the encoding `charCode`, without the separator.
std::string DeletionMarkerBytes(ZRCharCode charCode);
// True when `line` is the key's deletion line.
bool IsDeletionLine(const ZR::UniString& line, std::u16string_view key, ZR::UniChar separator);
// True when `line`, whose key is its first `keyLength` code units, is that key's deletion line.
bool IsDeletionLine(std::u16string_view line, USize keyLength, ZR::UniChar separator);

// The field number of INPUT and OUTPUT: the text in the default code page read as "%d" reads it
// (leading blanks and a sign, anything after the digits ignored); false when no number leads the
// text. A number beyond the 32-bit range is taken at the nearest limit, so that INPUT and OUTPUT
// read it alike and it keeps its sign: a huge field number reads no field and stores a record,
// a huge negative one deletes it (the module's interface reads it wrapped in INPUT).
bool ReadFieldNumber(const ZR::UniString& fieldId, Int32& number);

// `offset` as an index entry holds it: IO::ErrPosition beyond MaxFileOffset, which the file's
// position operation cannot reach. On failure `position` is unchanged.
[[nodiscard]] inline ZRErrCode IndexOffset(UInt64 offset, UInt32& position) {
    if (offset > MaxFileOffset) return IO::ErrPosition;
    position = UInt32(offset);
    return NoError;
}
// The file's position as an index offset, by IndexOffset.
[[nodiscard]] ZRErrCode GetIndexPosition(const ChannelInfo& info, UInt32& position);

}  // namespace DataOmbraPlugin
