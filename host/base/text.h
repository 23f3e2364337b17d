// Text functions on 8-bit and 16-bit texts.
#pragma once

#include "host/base/api.h"
#include "host/base/types.h"
#include "host/base/unistring.h"

// Compares two NUL-terminated 8-bit texts of `charCode` by their bytes: -1, 0 or 1. `caseType`
// 1 compares case-sensitively; 0 ignores letter case.
HOST_API Int32 CHCompareTexts(const char* text1, const char* text2, Int32 caseType,
                              ZRCharCode charCode);

// Converts `sourceLength` code units to `charCode`. With `destination` null, returns the number
// of bytes the converted form needs; otherwise writes at most `destinationSize` bytes (no
// terminator) and returns the number written. `lossless` true keeps unconvertible code units as
// UniString::ToCStr does; `cache` is reserved (nullptr).
HOST_API Int32 CHUnicode2ANSI(const ZR::UniChar* source, Int32 sourceLength, char* destination,
                              Int32 destinationSize, ZRCharCode charCode, bool lossless = true,
                              void* cache = nullptr);

// Copies the NUL-terminated `source` into `destination` of `destinationSize` bytes, shortened to
// fit; the destination is always terminated (when destinationSize > 0).
HOST_API void CHCopyC(const char* source, char* destination, USize destinationSize);
