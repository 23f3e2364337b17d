// Data files as the reliability suites make and judge them, on the shared data-file model: files
// made from records in either encoding, and the records of a state as the lines a file holds.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/data_file_model.h"

namespace Reliability {

// Key to field text, both UTF-8; one field per record (the suites store one value).
using OmbraTest::Records;

enum class Encoding { Utf8, CodePage };

const char* EncodingName(Encoding encoding);

// The bytes of a data file holding `lines` ({key, field}) in this order, separated by TABs and
// ended by carriage returns: UTF-8 with its byte-order mark, or Latin-1 text for the default code
// page (the suites use no character the two code pages map differently).
std::string FileBytes(const std::vector<std::pair<std::string, std::string>>& lines,
                      Encoding encoding);

// The lines a file in `encoding` holds for `records`, keyed as the shared model reads them.
Records FileLines(const Records& records, Encoding encoding);

// The bytes after the last line end: what a failed write left behind the indexed end of the file.
std::string UnendedTail(const std::string& bytes);

}  // namespace Reliability
