#include "extension/entry/input.h"

#include <utility>

#include "extension/entry/entry_call.h"
#include "extension/store/data_file.h"
#include "extension/store/loading.h"
#include "extension/store/record_values.h"

namespace DataOmbraPlugin {
namespace {

// What the script asked for, and where the values go.
struct InputRequest {
    const ZR::UniString& recordKey;
    const ZR::UniString& fieldId;
    Int32 count;
    Int32& valuesRead;
    ZR::Array<OmbraValueRecord>* values;
    ZR::Array<ZR::UniString>* strings;
};

// The lists INPUT collects into, emptied before each use. Delivery swaps them with the caller's
// arrays, so the next INPUT collects into the storage the caller's arrays had: in the usual loop
// over the same variables no INPUT allocates its lists. Entry operations run one at a time.
ValueList& EmptiedScratchList() {
    static ValueList list;
    list.values.Clear();
    list.strings.Clear();
    return list;
}

// Hands the collected values to the caller's arrays, replacing what they held.
void DeliverValues(ValueList& list, const InputRequest& request) {
    if (request.values != nullptr) std::swap(*request.values, list.values);
    if (request.strings != nullptr) std::swap(*request.strings, list.strings);
}

// Reads the values from the record's line; the arrays are left as they are unless values come.
Int16 InputFromLine(const EntryCall& call, ChannelInfo& info, RecordLine& line,
                    const InputRequest& request) {
    Int32 fieldNumber = 0;
    if (!ReadFieldNumber(request.fieldId, fieldNumber)) return StatusBadFieldId;
    if (fieldNumber < 1) {
        call.Report(ErrorFieldId);  // a warning: field 1 is read instead
        fieldNumber = 1;
    }
    ValueList& list = EmptiedScratchList();
    switch (ReadFieldValues(line, info.separator, fieldNumber, request.count, list,
                            request.valuesRead)) {
        case FieldValues::NoSuchField:
            return NoError;
        case FieldValues::ValueNotStored:
            return StatusReportedError;
        case FieldValues::Collected:
            break;
    }
    DeliverValues(list, request);
    return NoError;
}

// INPUT's steps in the order of their checks; every failure to read the record is reported.
Int16 Input(const EntryCall& call, const InputRequest& request) {
    if (!call.CanReport()) return StatusReportedError;
    ChannelInfo* info = call.Channel();
    if (info == nullptr) return call.Fail(ErrorRead);  // names no file: none is open
    EnsureLoaded(*info);
    RecordLine line;
    if (!info->loaded || ReadRecordLine(*info, request.recordKey, line) != NoError)
        return call.Fail(ErrorRead);
    if (line.IsEmpty()) return NoError;  // absent, deleted or an empty line
    return InputFromLine(call, *info, line, request);
}

}  // namespace

Int16 InputFromChannel(UInt32 channel, const ZR::UniString& recordKey, const ZR::UniString& fieldId,
                       Int32 count, Int32* valuesRead, ZR::Array<OmbraValueRecord>* values,
                       ZR::Array<ZR::UniString>* strings) {
    if (valuesRead == nullptr) return StatusMissingArgument;
    *valuesRead = 0;
    EntryCall call(channel, 0);  // an exception reports nothing, as a value not stored
    const InputRequest request{recordKey, fieldId, count, *valuesRead, values, strings};
    const Int16 status = call.Run([&] { return Input(call, request); });
    if (status != NoError) *valuesRead = 0;
    return status;
}

}  // namespace DataOmbraPlugin
