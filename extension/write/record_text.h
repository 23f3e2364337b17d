// The text of a record as OUTPUT writes it: the key, then the separator and the text of every
// value, with no quoting, no escaping and no separator after the last value.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// A number as "%g" writes it (six significant digits, the exponent form for exponents below -4 or
// from 6 on, as this platform's runtime writes the exponent: 1e+06).
ZR::UniString FormatNumber(const OmbraValueRecord& value);

// Sets `text` to the record of `key` with `values` (null: no values). A string value's text is
// the element of `strings` at its index. Returns 0; ErrParam when a string value's index lies
// outside `strings`; ErrMemoryFull when the text cannot grow. On failure `text` is unspecified.
[[nodiscard]] ZRErrCode MakeRecordText(const ZR::UniString& key, ZR::UniChar separator,
                                       const ZR::Array<OmbraValueRecord>* values,
                                       const ZR::Array<ZR::UniString>* strings,
                                       ZR::UniString& text);

}  // namespace DataOmbraPlugin
