// The one model of a data file that the engines judge the module by: the records a file's bytes
// hold, read as the module reads them, and the states a sequence of OUTPUTs may leave behind.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OmbraTest {

inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Key to value, as bytes: a file read back maps each key to its whole line; a model of OUTPUTs
// maps it to whatever its engine stores (a line, a field).
using Records = std::map<std::string, std::string>;

// The lines of `bytes` without their terminators: CR, LF and CR LF each end a line. The last line
// needs none, unless `tail` is given: then it is no line and `tail` receives it.
std::vector<std::string> SplitLines(std::string_view bytes, std::string* tail = nullptr);

// The bytes before the first separator, or the whole line when it has none.
std::string KeyOf(std::string_view line, char separator);

// The line that marks `key` deleted, in UTF-8 or in the default code page.
std::string DeletionLine(std::string_view key, char separator, bool utf8);

// What a file holds: it is UTF-8 when it begins with the byte-order mark (which is no part of a
// line). Each line is the record of its key, a later line of a key replacing an earlier one; a
// deletion line removes the record; an empty line is none (nothing INPUT returns can show it,
// and an overwrite in place may merge its line end into the line before it). With `tail`, the
// bytes after the last line end are left out and put there.
struct FileRecords {
    bool utf8 = false;
    Records lines;  // key -> its line
};
FileRecords ReadRecords(std::string_view bytes, char separator, std::string* tail = nullptr);

// One OUTPUT as a model sees it: the key's new value, or none when it deletes the record.
struct Change {
    std::string key;
    std::optional<std::string> value;
};
void Apply(Records& records, const Change& change);

// The index of the first of states[first..last] equal to `records`.
std::optional<std::size_t> FindState(const Records& records, const std::vector<Records>& states,
                                     std::size_t first, std::size_t last);

// A readable dump for failure messages (the first dozen records).
std::string Describe(const Records& records);

// Empty when `bytes` have the form of a saved file: the mark when `utf8`, no empty line (but the
// one that keeps a file without the mark from beginning with its bytes), every line
// ended by a single CR, keys strictly ascending by their code units in the file's encoding (so each
// key once). Otherwise what is wrong.
std::string SavedFormError(std::string_view bytes, char separator, bool utf8);

}  // namespace OmbraTest
