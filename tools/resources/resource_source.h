// The readable source form of a module's resources and its parser.
//
// A source is a sequence of lines. Blank lines and lines starting with '#' are ignored. Item
// lines start with a quote or a lowercase word; any other line is a resource header "TYPE ID"
// (four printable characters, an id within 16 bits). A resource holds the items up to the next
// header:
//   "text"              the text and a terminating NUL byte
//   chars "text"        the text alone, without a terminator
//   padded N "text"     the text padded with NUL bytes to exactly N bytes
//   int16 N / int32 N / uint32 N   a little-endian number
// Texts take the escapes \\ \" \r \n \t and \xHH; a NUL byte inside a text is refused. Lists of
// the string-list types ("STRF", "STRS") hold quoted texts only. Every resource is stored as a
// 32-bit little-endian count of its item bytes, then those bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/base/types.h"

namespace ResourceCompiler {

struct ResourceDefinition {
    UInt32 type = 0;
    Int32 id = 0;
    std::string stored;  // the stored form: byte count, then the item bytes
};

// Parses `text`. On failure returns false with `error` holding "<sourceName>:<line>: <reason>"
// and `resources` unspecified.
bool ParseResourceSource(std::string_view text, const std::string& sourceName,
                         std::vector<ResourceDefinition>& resources, std::string& error);

}  // namespace ResourceCompiler
