// INPUT checked against the record's line: the values of the first fields, each the evaluator's
// number when the whole field text is a numeric literal, an integer 0 when the field is empty or
// beyond the record, and the field's own text otherwise.
#pragma once

#include <string>

#include "host/base.h"

namespace OmbraFuzz {

// Reads three values from the field `fieldId` (the text INPUT is given) of `key` on `channel`,
// whose line is `line` ("" for a record that is absent or deleted), and checks each of them.
void CheckInputValues(UInt32 channel, const std::string& key, const std::string& fieldId,
                      const std::string& line, char separator, bool utf8);

}  // namespace OmbraFuzz
