#include "extension/store/input.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "extension/frame/channel_table.h"
#include "extension/frame/host_services.h"
#include "extension/frame/report_error.h"
#include "extension/store/data_file.h"
#include "extension/store/lookup.h"
#include "extension/store/value_list.h"

namespace DataOmbraPlugin {
namespace {

// Appends the value of one field: the evaluator's number, the integer 0 for an empty field, or
// the field's text (taken over). `record` carries what the last evaluation left from one field to
// the next.
ZRErrCode AddFieldValue(ValueList& list, ZR::UniString& field, OmbraValueRecord& record) {
    if (field.IsEmpty()) {
        record.value.integer = 0;
        record.valueType = ValueTypeNumeric;
        record.numericKind = NumericKindInteger;
        return AddNumericValue(list, record);
    }
    std::string expression;
    field.AppendBytes(expression, CC_Default);
    // The evaluator reads up to the first NUL: a field holding one is text, not the number before.
    const bool whole = expression.find('\0') == std::string::npos;
    if (whole && EEEvaluate(expression.data(), nullptr, nullptr, &record) == NoError) {
        return AddNumericValue(list, record);
    }
    return AddStringValue(list, std::move(field));
}

// Values that CollectValues makes room for before the first; more grow the lists as usual.
constexpr Int32 MaxReservedValues = 16;

// Collects `count` values from field `first` and the fields after it; `valuesRead` counts them.
// Returns the status of the last append. An exception ends the collection early.
ZRErrCode CollectValues(ValueList& list, ZR::UniChar separator, ZR::UniString& line,
                        ZR::UniString& first, Int32 count, Int32& valuesRead) {
    OmbraValueRecord record{};
    record.valueType = ValueTypeNumeric;
    record.numericKind = NumericKindInteger;
    ZRErrCode appended = NoError;
    try {
        // Every value asked for is delivered (empty fields after the line's end): room for the
        // usual few at once.
        const USize expected = USize(std::clamp(count, 0, MaxReservedValues));
        list.values.Reserve(expected);
        list.strings.Reserve(expected);
        ZR::UniString field = std::move(first);
        while (count != 0 && valuesRead < count) {
            appended = AddFieldValue(list, field, record);
            ++valuesRead;
            // Once the line is used up, every further field is empty.
            if (valuesRead < count && !ExtractField(field, separator, line, 0)) field.Clear();
        }
    } catch (const std::exception&) {
        // The values collected so far are delivered.
    }
    return appended;
}

// Hands the collected values to the caller's arrays, replacing what they held.
void DeliverValues(ValueList& list, ZR::Array<OmbraValueRecord>* values,
                   ZR::Array<ZR::UniString>* strings) {
    if (values != nullptr) *values = std::move(list.values);
    if (strings != nullptr) *strings = std::move(list.strings);
}

// The arguments of one INPUT call, and where its messages go.
struct InputCall {
    const ZR::UniString& fieldId;
    Int32 count;
    Int32* valuesRead;
    ZR::Array<OmbraValueRecord>* values;
    ZR::Array<ZR::UniString>* strings;
    StringFetcherProc fetcher = nullptr;
    IO::File* file = nullptr;
};

// The location of the call's file; empty when no file is open (its own failure is not looked at:
// the message then names no file).
IO::Location FileLocation(const InputCall& call) {
    IO::Location location;
    if (call.file != nullptr) call.file->GetLocation(&location);
    return location;
}

Int16 ReportReadError(const InputCall& call) {
    ReportError(ErrorRead, FileLocation(call), call.fetcher);
    return StatusReportedError;
}

// Reads the values of the record's line from the call's field on.
Int16 InputFromLine(InputCall& call, ZR::UniString& line, ZR::UniChar separator) {
    Int32 fieldNumber = 0;
    if (!ReadFieldNumber(call.fieldId, fieldNumber)) return StatusBadFieldId;
    if (fieldNumber < 1) {
        ReportError(ErrorFieldId, FileLocation(call), call.fetcher);
        fieldNumber = 1;
    }
    *call.valuesRead = 0;
    ZR::UniString field;
    if (!ExtractField(field, separator, line, fieldNumber)) return NoError;
    ValueList list;
    if (CollectValues(list, separator, line, field, call.count, *call.valuesRead) != NoError) {
        *call.valuesRead = 0;
        return StatusReportedError;
    }
    DeliverValues(list, call.values, call.strings);
    return NoError;
}

// Finds the channel's record and reads from its line; every failure to read is reported.
Int16 InputFromRecord(InputCall& call, UInt32 channel, const ZR::UniString& recordKey) {
    IO::File* file = nullptr;
    OpenSettings settings;
    GetChannelFile(channel, &file, &settings);
    InterpreterServiceRecord services{};
    GetServiceRecord(services);
    call.fetcher = services.messageStringFetcher;
    if (call.fetcher == nullptr) return StatusReportedError;
    // Messages name the file; its location is taken only when there is one to give.
    call.file = file;
    ZR::UniString line;
    if (file == nullptr || !EnsureChannelLoaded(channel) ||
        ReadChannelRecord(channel, recordKey, line) != NoError) {
        return ReportReadError(call);
    }
    if (line.IsEmpty()) return NoError;  // absent, deleted or an empty line
    return InputFromLine(call, line, settings.separator);
}

}  // namespace

Int16 InputFromChannel(UInt32 channel, const ZR::UniString& recordKey, const ZR::UniString& fieldId,
                       Int32 count, Int32* valuesRead, ZR::Array<OmbraValueRecord>* values,
                       ZR::Array<ZR::UniString>* strings) {
    if (valuesRead == nullptr) return StatusMissingArgument;
    *valuesRead = 0;
    InputCall call{fieldId, count, valuesRead, values, strings};
    try {
        return InputFromRecord(call, channel, recordKey);
    } catch (const std::exception&) {
        *valuesRead = 0;
        return StatusReportedError;
    }
}

}  // namespace DataOmbraPlugin
