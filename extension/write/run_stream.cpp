#include "extension/write/run_stream.h"

#include <cstring>
#include <string_view>

#include "extension/store/data_file.h"
#include "extension/store/sample_search.h"

namespace DataOmbraPlugin {
namespace {

// Where the line holding byte `at` starts: just past the carriage return before it.
size_t LineStart(const char* data, size_t at) {
    while (at > 0 && data[at - 1] != '\r') --at;
    return at;
}

}  // namespace

RunStream::RunStream(ChannelInfo& info)
    : info(info),
      cursor(*info.file),
      offset(info.DataStart()),
      end(info.sortedIndex.GetLast().filePos),
      deletionMarker(DeletionMarkerBytes(info.CharCode())) {}

ZRErrCode RunStream::Start() {
    return info.file->SetDataPosition(Int32(offset));
}

ZRErrCode RunStream::CopyBlockBelow(UInt32 limit, LineWriter& temp) {
    ZRErrCode status = NoError;
    while (status == NoError && offset < limit) {
        const char* data = nullptr;
        USize available = 0;
        status = info.file->PeekBuffer(&data, &available);
        if (status != NoError) break;
        const size_t count = UnchangedPrefix(data, std::min<size_t>(available, limit - offset));
        if (count == 0) break;  // the next line goes through Fill
        status = temp.Write(std::string_view(data, count));
        info.file->Advance(USize(count));
        offset += UInt32(count);
    }
    return status;
}

// The lines before the last sample whose key is below `key` all sort before it.
UInt32 RunStream::CopyLimitBelow(std::u16string_view key) const {
    Int32 below = 0;
    const Int32 found = SearchSamples(info, key, below);
    if (found >= 0) below = found - 1;
    return below >= 0 ? info.sortedIndex.GetContent()[below].filePos : info.DataStart();
}

// How many of the first `count` bytes at the run's position are whole lines that a save writes
// unchanged: each ends with a carriage return alone and none is a deletion line. (The run holds
// no empty line: its keys ascend from the empty key.)
size_t RunStream::UnchangedPrefix(const char* data, size_t count) const {
    const std::string_view block(data, count);
    const size_t lineFeed = block.find('\n');
    if (lineFeed != std::string_view::npos) {
        // A CR LF pair ends the line before it; that line is left out too.
        count =
            LineStart(data, lineFeed > 0 && data[lineFeed - 1] == '\r' ? lineFeed - 1 : lineFeed);
    }
    const size_t marker = block.substr(0, count).find(deletionMarker);
    if (marker != std::string_view::npos) count = LineStart(data, marker);
    return LineStart(data, count);  // whole lines only
}

ZRErrCode RunStream::Fill() {
    ZRErrCode status = NoError;
    while (status == NoError && !pending && offset < end) status = ReadLine();
    return status;
}

ZRErrCode RunStream::ReadLine() {
    std::string_view line;
    ZRErrCode status = cursor.Next(&line, NoSeparatorByte);
    if (status != NoError) return status;
    text.AssignBytes(line.data(), USize(line.size()), info.CharCode());
    bytes.assign(line);
    bytes.push_back('\r');
    cursor.Sync();
    status = GetIndexPosition(info, offset);
    if (status != NoError) return status;
    const USize separator = text.FindFirst(info.separator);
    keyLength = separator == MaxUIndex ? text.GetLength() : separator;
    const bool deleted = IsDeletionLine(text.Get(), keyLength, info.separator);
    pending = !text.IsEmpty() && !deleted;
    return NoError;
}

Int32 RunStream::CompareKey(std::u16string_view key) const {
    const int order = std::u16string_view(text.Get()).substr(0, keyLength).compare(key);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

ZRErrCode RunStream::WriteLine(LineWriter& temp) const {
    return temp.Write(bytes);
}

}  // namespace DataOmbraPlugin
