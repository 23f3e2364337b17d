// The interpreter's services that extension modules call: the value record exchanged with the
// interpreter, the expression evaluator and the object-library lookup.
#pragma once

#include "host/base.h"
#include "host/filesystem.h"

// The interpreter's value record; arrays of it cross the module boundary, so its layout is fixed.
struct OmbraValueRecord {
    // A real: the double. An integer: an Int32 in the first 4 bytes. A string: the 0-based index
    // (UInt32) of its text in the companion Array<UniString>, in the first 4 bytes, the rest 0.
    union {
        double real;
        Int32 integer;
        UInt32 stringIndex;
        UInt8 bytes[8];
    } value;
    UInt32 valueType;    // ValueTypeNumeric or ValueTypeString
    UInt32 numericKind;  // NumericKindReal, or anything else (NumericKindInteger) for an integer
    UInt8 evalFlag;      // written by the evaluator
    UInt8 padding[7];
};
static_assert(sizeof(OmbraValueRecord) == 24);
static_assert(offsetof(OmbraValueRecord, valueType) == 8);
static_assert(offsetof(OmbraValueRecord, numericKind) == 12);
static_assert(offsetof(OmbraValueRecord, evalFlag) == 16);

constexpr UInt32 ValueTypeNumeric = 1;
constexpr UInt32 ValueTypeString = 2;
constexpr UInt32 NumericKindInteger = 1;
constexpr UInt32 NumericKindReal = 2;

// Evaluates `expression` (8-bit text in the default code page; the evaluator may modify it). It
// accepts numeric literals only: surrounding blanks, an optional sign, digits with at most one
// decimal point, an optional exponent. An integer within 32 bits becomes an integer
// (numericKind NumericKindInteger), any other number a real (NumericKindReal). Returns NoError with
// `result` filled (valueType ValueTypeNumeric, evalFlag 1), or a non-zero status, leaving `result`
// as it was, for any text that is not such a literal ("12abc", "1/2", "2024-01-05", "", "inf").
// `reserved1` and `reserved2` are passed as nullptr.
HOST_API ZRErrCode EEEvaluate(char* expression, void* reserved1, void* reserved2,
                              OmbraValueRecord* result);

// Looks `name` up among the files of the loaded object library. Returns 0 with `location` filled
// when found; any other value means not found (the location is then unchanged).
HOST_API Int16 LibraryFileToLocation(const ZR::UniString& name, IO::Location& location);
