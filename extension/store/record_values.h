// The values of a record's fields as INPUT delivers them: fields cut from the record's line at
// its separators, each read as the evaluator's number or kept as text.
#pragma once

#include "extension/store/lookup.h"
#include "extension/store/value_list.h"

namespace DataOmbraPlugin {

// What ReadFieldValues found.
enum class FieldValues {
    Collected,       // the values are in the list
    NoSuchField,     // the line holds fewer separators than the field number: nothing collected
    ValueNotStored,  // the last value could not be stored (out of memory)
};

// Collects `count` values into `list`, from field `fieldNumber` (>= 1: the text after the n-th
// separator) of `line` on; `valuesRead` counts them. Once the line is used up every further field
// is empty, and an empty field is the integer 0; any other field is the evaluator's number, or its
// text when the evaluator rejects it. An exception ends the collection early, with the values
// collected so far.
FieldValues ReadFieldValues(RecordLine& line, ZR::UniChar separator, Int32 fieldNumber, Int32 count,
                            ValueList& list, Int32& valuesRead);

}  // namespace DataOmbraPlugin
