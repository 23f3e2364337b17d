// The records a data file holds, as the reliability suites judge it: files made from records in
// either encoding, and files read back into records with every line accounted for.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Reliability {

// Key to field text, both UTF-8; one field per record (the suites store one value).
using Records = std::map<std::string, std::string>;

enum class Encoding { Utf8, CodePage };

const char* EncodingName(Encoding encoding);

// The bytes of a data file holding `lines` ({key, field}) in this order, separated by TABs and
// ended by carriage returns: UTF-8 with its byte-order mark, or Latin-1 text for the default code
// page (the suites use no character the two code pages map differently).
std::string FileBytes(const std::vector<std::pair<std::string, std::string>>& lines,
                      Encoding encoding);

// A data file read back: the records (the last line of a key counts, a deletion line removes
// it), the lines that are neither a record of the form key TAB field nor a deletion line, and
// the bytes after the last line end (the module ends every line it writes) or a mark cut short.
struct ParsedFile {
    Records records;
    std::vector<std::string> strayLines;
    std::string unendedTail;
};

// Reads `bytes` as the module writes them in `encoding`. A UTF-8 file must begin with its mark
// and a code-page file must not; a file that breaks this rule is one stray line.
ParsedFile ParseFile(const std::string& bytes, Encoding encoding);

// The records of `parsed` when it holds exactly one of `states`, with no stray line and, unless
// `unendedTailAllowed`, nothing after its last line end; the index of the first equal state.
std::optional<std::size_t> MatchState(const ParsedFile& parsed, const std::vector<Records>& states,
                                      bool unendedTailAllowed);

// A readable dump of records for failure messages.
std::string Describe(const Records& records);

}  // namespace Reliability
