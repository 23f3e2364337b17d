// Conversion between an interpreter's own values and the value list that crosses the module
// boundary: an Array<OmbraValueRecord> whose string records refer by index to the texts of a
// companion Array<UniString>. Texts are UTF-8 on the interpreter's side; both directions of the
// conversion are lossless (see UniString).
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "host/interpreter.h"

// A value as an interpreter holds it: an integer, a real or a UTF-8 text.
using InterpreterValue = std::variant<Int32, double, std::string>;

// Appends `values` in order to `records`, and the text of each string value to `strings`:
// integers as numeric records of kind NumericKindInteger, reals of kind NumericKindReal, texts
// as string records holding their index in `strings`. Raises the arrays' out-of-memory
// exception when they cannot grow.
HOST_API void EncodeValues(const std::vector<InterpreterValue>& values,
                           ZR::Array<OmbraValueRecord>& records, ZR::Array<ZR::UniString>& strings);

// Reads one record as the module boundary defines it: valueType ValueTypeNumeric is a number
// (a real for NumericKindReal, an integer for any other kind), every other valueType a string.
// Returns ErrParam, leaving `value` unchanged, for a string whose index lies outside `strings`.
HOST_API ZRErrCode DecodeValue(const OmbraValueRecord& record,
                               const ZR::Array<ZR::UniString>& strings, InterpreterValue& value);

// Decodes the first `count` records into `values` (replacing its content). Returns ErrParam when
// `count` is negative or exceeds the records, or when a record does not decode; `values` then
// holds the values decoded before the fault.
HOST_API ZRErrCode DecodeValues(const ZR::Array<OmbraValueRecord>& records,
                                const ZR::Array<ZR::UniString>& strings, Int32 count,
                                std::vector<InterpreterValue>& values);
