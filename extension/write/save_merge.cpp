#include "extension/write/save_merge.h"

#include <exception>
#include <string>

#include "extension/store/data_file.h"
#include "extension/store/line_scan.h"
#include "extension/write/run_stream.h"
#include "extension/write/write_text_line.h"
#include "host/environment.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// A stretch after the leading run of at most this many bytes is read whole by one read, and the
// tail's lines are taken from memory; a longer one is read line by line at each entry's offset.
// OUTPUT compacts a file before its tail reaches 1023 lines, so there only lines of a kilobyte or
// more reach the bound; a file written by other programs may have a tail of any length.
constexpr UInt64 TailBytesInMemory = 1024 * 1024;

// The entries of tailIndex in index order (key order), with their lines.
class TailStream {
public:
    TailStream(const ChannelInfo& info, IO::File& reader)
        : info(info), reader(reader), count(info.tailIndex.GetSize() - 1) {}

    // Reads the bytes from the end of the leading run to the end of the file when there are
    // entries and few enough bytes; the first call.
    ZRErrCode Start() {
        UInt64 length = 0;
        ZRErrCode status = HasMore() ? reader.GetDataLength(&length) : NoError;
        stretchStart = info.sortedIndex.GetLast().filePos;
        if (status != NoError || length <= stretchStart ||
            length - stretchStart > TailBytesInMemory) {
            return status;
        }
        stretch.resize(size_t(length - stretchStart));
        USize got = 0;
        status = reader.SetDataPosition(Int32(stretchStart));
        if (status == NoError) status = reader.ReadBin(stretch.data(), USize(stretch.size()), &got);
        stretch.resize(status == NoError ? got : 0);
        return status;
    }

    bool HasMore() const { return next <= count; }
    // The key of the next entry; the save changes no index, so the view stays valid.
    std::u16string_view Key() const { return info.tailIndex[next].GetKey(); }
    ZR::UniString& Line() { return line; }
    bool IsDeleted() const { return IsDeletionLine(line, Key(), info.separator); }
    void Take() {
        pending = false;
        ++next;
    }

    // Reads the line of the next entry when none is pending.
    ZRErrCode Fill() {
        if (pending || !HasMore()) return NoError;
        const UInt32 offset = info.tailIndex[next].filePos;
        ZRErrCode status = NoError;
        if (offset >= stretchStart && offset - stretchStart < stretch.size()) {
            TakeLineFromStretch(offset - stretchStart);
        } else {
            status = reader.SetDataPosition(Int32(offset));
            if (status == NoError) status = IOUtil::GetTextLine(reader, line, info.utf8 != 0);
        }
        pending = status == NoError;
        return status;
    }

    // The run's lines before this offset sort before the next entry's key (before every key once
    // the tail has ended); searched once per entry.
    UInt32 CopyLimit(const RunStream& run) {
        if (limitOf != next) {
            limit = HasMore() ? run.CopyLimitBelow(Key()) : run.End();
            limitOf = next;
        }
        return limit;
    }

private:
    // The line at `at` in the stretch, up to its line end or the end of the file, decoded as
    // IOUtil::GetTextLine decodes it at its offset (never 0 in UTF-8, where the mark comes first,
    // so no mark is skipped).
    void TakeLineFromStretch(size_t at) {
        const char* start = stretch.data() + at;
        const size_t length = FindLineEnd(start, stretch.size() - at);
        line.AssignBytes(start, USize(length), info.CharCode());
    }

    const ChannelInfo& info;
    IO::File& reader;
    USize count;     // entries before the end entry
    USize next = 1;  // position of the next entry to take
    ZR::UniString line;
    bool pending = false;
    std::string stretch;  // the file's bytes from stretchStart on, or nothing
    UInt32 stretchStart = 0;
    USize limitOf = 0;  // the entry whose copy limit `limit` is
    UInt32 limit = 0;
};

ZRErrCode WriteMergedLine(const ChannelInfo& info, LineWriter& temp, ZR::UniString& line,
                          std::string& bytes) {
    line.Append(LineEnd);
    const ZRErrCode status = EncodeLine(info, line, bytes);
    return status == NoError ? temp.Write(bytes) : status;
}

// One pass of the merge: takes the smaller key of the two streams (the tail line on equal keys,
// dropping the run's line). A deleted record's line is not written.
ZRErrCode MergeStep(const ChannelInfo& info, RunStream& run, TailStream& tail, LineWriter& temp,
                    std::string& bytes) {
    ZRErrCode status = tail.Fill();
    if (status == NoError && !run.Pending()) status = run.CopyBlockBelow(tail.CopyLimit(run), temp);
    if (status == NoError) status = run.Fill();
    if (status != NoError) return status;
    // After Fill, no line of the run is pending only when the run has ended.
    const Int32 order = !run.Pending() ? 1 : (tail.HasMore() ? run.CompareKey(tail.Key()) : -1);
    if (order < 0) {
        status = run.WriteLine(temp);
        run.Drop();
        return status;
    }
    if (!tail.HasMore()) return NoError;  // both streams have ended
    if (order == 0) run.Drop();
    if (!tail.IsDeleted()) status = WriteMergedLine(info, temp, tail.Line(), bytes);
    tail.Take();
    return status;
}

}  // namespace

ZRErrCode MergeLines(ChannelInfo& info, IO::File& tailReader, IO::File& temp) {
    try {
        RunStream run(info);
        TailStream tail(info, tailReader);
        LineWriter writer(info, temp);
        std::string bytes;  // a tail line's, encoded
        ZRErrCode status = run.Start();
        if (status == NoError) status = tail.Start();
        while (status == NoError && (run.HasMore() || tail.HasMore()))
            status = MergeStep(info, run, tail, writer, bytes);
        return status;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

}  // namespace DataOmbraPlugin
