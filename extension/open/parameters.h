// The OPEN parameter string: separator, mode and how the file is to be found.
#pragma once

#include "extension/frame/channel_info.h"
#include "host/environment.h"

namespace DataOmbraPlugin {

// Parses `parameters` into `settings` (changed in place, not reset: the caller presets TAB and
// read-only) and the two flags (set to false first). Items are "KEYWORD[=value]" separated by
// commas; later items replace earlier ones. An unknown keyword or mode word is reported through
// ReportError (about the file named `fileName`, with `messageFetcher`) and skipped; nothing stops the parse.
// Returns false, changing and reporting nothing, only when `settings` or a flag is null.
bool ParseOpenParameters(const ZR::UniString& parameters, OpenSettings* settings, bool* dialog,
                         bool* library, const ZR::UniString& fileName,
                         StringFetcherProc messageFetcher);

// Table lookups by the upper-cased text converted to the default code page, compared byte for byte
// over its whole length: the slot (from 1) of the first equal word, or 0 when none is (an empty
// text never matches).
Int32 FindKeyword(const ZR::UniString& text);
Int32 FindModeWord(const ZR::UniString& text);

}  // namespace DataOmbraPlugin
