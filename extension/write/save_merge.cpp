#include "extension/write/save_merge.h"

#include <exception>
#include <string_view>

#include "extension/store/data_file.h"
#include "extension/write/write_text_line.h"
#include "host/environment.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// The leading run of the data file, read line by line from the data start up to the end entry
// of sortedIndex. Holds at most one pending line.
class RunStream {
public:
    explicit RunStream(ChannelInfo& info)
        : info(info),
          offset(info.DataStart()),
          end(info.sortedIndex.GetLast().filePos),
          deletion(MakeDeletionLine(ZR::UniString(), info.separator)) {}

    bool HasMore() const { return pending || offset < end; }
    bool Pending() const { return pending; }
    ZR::UniString& Line() { return line; }
    void Drop() { pending = false; }

    // Reads lines until one gives a record or the run ends. An empty line and a deletion line
    // (a file the module did not write may hold one in its run) give none and are passed over.
    GSErrCode Fill() {
        GSErrCode status = NoError;
        while (status == NoError && !pending && offset < end) status = ReadLine();
        return status;
    }

    // Compares the pending line's key with `key` in the order of the index: by code units.
    Int32 CompareKey(const ZR::UniString& key) const {
        const int order = std::u16string_view(line.Get()).substr(0, keyLength).compare(key.Get());
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }

private:
    GSErrCode ReadLine() {
        // The merge is the only reader of this file: after the first line the position is
        // always where the last read left it.
        GSErrCode status = ReadTextLine(info, line, started ? MaxUIndex : offset);
        started = true;
        if (status == NoError) status = GetIndexPosition(info, offset);
        if (status != NoError) return status;
        const USize separator = line.FindFirst(info.separator);
        keyLength = separator == MaxUIndex ? line.GetLength() : separator;
        pending = !line.IsEmpty() && !IsDeletionLine();
        return NoError;
    }

    bool IsDeletionLine() const {
        return std::u16string_view(line.Get()).substr(keyLength) == deletion.Get();
    }

    ChannelInfo& info;
    UInt32 offset;                 // where the next line of the run starts
    UInt32 end;                    // where the run ends
    const ZR::UniString deletion;  // what follows the key in a deletion line
    ZR::UniString line;
    USize keyLength = 0;  // the key of `line` is its first keyLength code units
    bool pending = false;
    bool started = false;
};

// The entries of tailIndex in index order (key order), each line read at its offset.
class TailStream {
public:
    TailStream(const ChannelInfo& info, IO::File& reader)
        : info(info), reader(reader), count(info.tailIndex.GetSize() - 1) {}

    bool HasMore() const { return next <= count; }
    const ZR::UniString& Key() const { return info.tailIndex[next].GetKey(); }
    ZR::UniString& Line() { return line; }
    bool IsDeleted() const { return line == MakeDeletionLine(Key(), info.separator); }
    void Take() {
        pending = false;
        ++next;
    }

    // Reads the line of the next entry when none is pending.
    GSErrCode Fill() {
        if (pending || !HasMore()) return NoError;
        GSErrCode status = reader.SetDataPosition(Int32(info.tailIndex[next].filePos));
        if (status == NoError) status = IOUtil::GetTextLine(reader, line, info.utf8 != 0);
        pending = status == NoError;
        return status;
    }

private:
    const ChannelInfo& info;
    IO::File& reader;
    USize count;     // entries before the end entry
    USize next = 1;  // position of the next entry to take
    ZR::UniString line;
    bool pending = false;
};

GSErrCode WriteMergedLine(const ChannelInfo& info, IO::File& temp, ZR::UniString& line) {
    line.Append(LineEnd);
    return WriteTextLine(info, temp, line);
}

// One pass of the merge: takes the smaller key of the two streams (the tail line on equal keys,
// dropping the run's line). A deleted record's line is not written.
GSErrCode MergeStep(const ChannelInfo& info, RunStream& run, TailStream& tail, IO::File& temp) {
    GSErrCode status = run.Fill();
    if (status == NoError) status = tail.Fill();
    if (status != NoError) return status;
    // After Fill, no line of the run is pending only when the run has ended.
    const Int32 order = !run.Pending() ? 1 : (tail.HasMore() ? run.CompareKey(tail.Key()) : -1);
    if (order < 0) {
        status = WriteMergedLine(info, temp, run.Line());
        run.Drop();
        return status;
    }
    if (!tail.HasMore()) return NoError;  // both streams have ended
    if (order == 0) run.Drop();
    if (!tail.IsDeleted()) status = WriteMergedLine(info, temp, tail.Line());
    tail.Take();
    return status;
}

}  // namespace

GSErrCode MergeLines(ChannelInfo& info, IO::File& tailReader, IO::File& temp) {
    try {
        RunStream run(info);
        TailStream tail(info, tailReader);
        GSErrCode status = NoError;
        while (status == NoError && (run.HasMore() || tail.HasMore()))
            status = MergeStep(info, run, tail, temp);
        return status;
    } catch (const std::exception&) {
        return StatusReportedError;
    }
}

}  // namespace DataOmbraPlugin
