#include "extension/store/data_file.h"

#include "extension/store/line_scan.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// The deletion marker in the default code page: the byte 0xFF, then " Deleted entry".
constexpr char DeletionMarker[] = "\xFF Deleted entry";

}  // namespace

GSErrCode ReadTextLine(ChannelInfo& info, ZR::UniString& line, UInt32 position) {
    if (position != MaxUIndex) {
        if (position > MaxFileOffset) return IO::ErrPosition;
        const GSErrCode status = info.file->SetDataPosition(Int32(position));
        if (status != NoError) return status;
    }
    return IOUtil::GetTextLine(*info.file, line, info.utf8 != 0);
}

GSErrCode SkipLines(ChannelInfo& info, Int32 count) {
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

bool IsDeletionLine(const ZR::UniString& line, const ZR::UniString& key, ZR::UniChar separator) {
    // Each byte of the default code page decodes to one code unit.
    const USize markerLength = USize(sizeof DeletionMarker - 1);
    if (line.GetLength() != key.GetLength() + 1 + markerLength) return false;
    return line == MakeDeletionLine(key, separator);
}

GSErrCode IndexOffset(UInt64 offset, UInt32& position) {
    if (offset > MaxFileOffset) return IO::ErrPosition;
    position = UInt32(offset);
    return NoError;
}

GSErrCode GetIndexPosition(const ChannelInfo& info, UInt32& position) {
    UInt32 current = 0;
    const GSErrCode status = info.file->GetDataPosition(&current);
    return status != NoError ? status : IndexOffset(current, position);
}

}  // namespace DataOmbraPlugin
