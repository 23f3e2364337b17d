// What a data file holds, as the fuzz target of the data store sees it from outside the module:
// the file's lines and, for every key, the line that counts (the last one with that key), with
// deleted records left out. The target compares the module's behaviour with this model.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/base.h"

namespace OmbraFuzz {

// The lines of `bytes` without their terminators (CR, LF and CR LF each end a line; a last line
// needs none); a byte-order mark at the start is dropped when `utf8` is set.
std::vector<std::string> SplitLines(std::string_view bytes, bool utf8);

// The bytes before the first separator, or the whole line when it has none.
std::string KeyOf(const std::string& line, char separator);

// The key as the module orders it: its code units in the file's encoding.
std::u16string KeyUnits(const std::string& key, bool utf8);

class DataFileModel {
public:
    DataFileModel(char separator, bool utf8) : separator(separator), utf8(utf8) {}

    // Takes every line of `bytes`: a later line of a key replaces an earlier one, and a deletion
    // line removes the record. An empty line (no key, no field) is no record and replaces none:
    // nothing INPUT returns can show it, and an overwrite in place may merge its line end into
    // the line before it.
    void Load(std::string_view bytes);
    // A stored record (its whole line) or a deleted one.
    void Store(const std::string& key, const std::string& line);
    void Delete(const std::string& key) { records.erase(key); }

    // The line of `key`, or "" when the record is absent or deleted.
    std::string Line(const std::string& key) const;
    bool IsDeletionLine(const std::string& key, const std::string& line) const;
    const std::map<std::string, std::string>& Records() const { return records; }

private:
    char separator;
    bool utf8;
    std::map<std::string, std::string> records;  // key bytes -> line bytes
};

// Checks a file that a save has just written: the mark when `utf8`, every line ended by a
// single CR, and keys strictly ascending by code units (so each key once).
void CheckSavedForm(const std::string& bytes, char separator, bool utf8);

}  // namespace OmbraFuzz
