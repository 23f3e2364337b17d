#include "extension/write/save_merge.h"

#include <exception>

#include "extension/store/data_file.h"
#include "extension/write/run_stream.h"
#include "extension/write/write_text_line.h"
#include "host/environment.h"
#include "host/utility.h"

namespace DataOmbraPlugin {
namespace {

// The entries of tailIndex in index order (key order), each line read at its offset.
class TailStream {
public:
    TailStream(const ChannelInfo& info, IO::File& reader)
        : info(info), reader(reader), count(info.tailIndex.GetSize() - 1) {}

    bool HasMore() const { return next <= count; }
    const ZR::UniString& Key() const { return key; }
    ZR::UniString& Line() { return line; }
    bool IsDeleted() const { return IsDeletionLine(line, Key(), info.separator); }
    void Take() {
        pending = false;
        ++next;
    }

    // Reads the line of the next entry when none is pending.
    ZRErrCode Fill() {
        if (pending || !HasMore()) return NoError;
        key = ZR::UniString(std::u16string(info.tailIndex[next].GetKey()));
        ZRErrCode status = reader.SetDataPosition(Int32(info.tailIndex[next].filePos));
        if (status == NoError) status = IOUtil::GetTextLine(reader, line, info.utf8 != 0);
        pending = status == NoError;
        return status;
    }

private:
    const ChannelInfo& info;
    IO::File& reader;
    USize count;        // entries before the end entry
    USize next = 1;     // position of the next entry to take
    ZR::UniString key;  // of the pending entry
    ZR::UniString line;
    bool pending = false;
};

ZRErrCode WriteMergedLine(const ChannelInfo& info, IO::File& temp, ZR::UniString& line) {
    line.Append(LineEnd);
    return WriteTextLine(info, temp, line);
}

// One pass of the merge: takes the smaller key of the two streams (the tail line on equal keys,
// dropping the run's line). A deleted record's line is not written.
ZRErrCode MergeStep(const ChannelInfo& info, RunStream& run, TailStream& tail, IO::File& temp) {
    ZRErrCode status = tail.Fill();
    if (status == NoError && !run.Pending())
        status = run.CopyBlockBelow(tail.HasMore() ? &tail.Key() : nullptr, temp);
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
    if (!tail.IsDeleted()) status = WriteMergedLine(info, temp, tail.Line());
    tail.Take();
    return status;
}

}  // namespace

ZRErrCode MergeLines(ChannelInfo& info, IO::File& tailReader, IO::File& temp) {
    try {
        RunStream run(info);
        TailStream tail(info, tailReader);
        ZRErrCode status = run.Start();
        while (status == NoError && (run.HasMore() || tail.HasMore()))
            status = MergeStep(info, run, tail, temp);
        return status;
    } catch (const std::exception&) {
        return ErrMemoryFull;
    }
}

}  // namespace DataOmbraPlugin
