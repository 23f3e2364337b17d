// The embedded SQL database compared with: the same records in one table,
//   records(key TEXT PRIMARY KEY, price REAL, quantity INTEGER, colour TEXT, description TEXT),
// used through prepared statements, as an application keeping such records would use it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bench/compare/data_set.h"
#include "bench/compare/timing.h"

struct sqlite3_stmt;

namespace Compare {

// The point SELECT of a record's four fields by key, as every SQLite figure prepares it.
constexpr const char* SqliteSelectFields =
    "SELECT price, quantity, colour, description FROM records WHERE key = ?1";

// Runs the prepared SqliteSelectFields for `key`, reads the four fields as typed values and
// resets the statement. Returns how many fields it delivered (4 for an existing record).
size_t SqliteSelectRecord(sqlite3_stmt* select, const std::string& key);

// Imports every line of the data set into a fresh database at `database` (removed first): one
// transaction, one prepared INSERT OR REPLACE, so a tail line replaces its run record. The
// database of the last round stays. Nanoseconds per line.
std::optional<double> SqliteImport(const DataSet& set, const std::string& database,
                                   const Repeat& repeat);

// A prepared point SELECT of the four fields of each probe's key, read as typed values. With
// `cacheHoldsTable` the page cache is sized to the whole database file and the table and its key
// index are read through once before timing; otherwise the default settings hold. Nanoseconds
// per lookup.
std::optional<double> SqlitePointSelect(const std::string& database,
                                        const std::vector<Probe>& probes, bool cacheHoldsTable,
                                        const Repeat& repeat);

// INSERT OR REPLACE of each change with PRAGMA synchronous=OFF: in autocommit mode, each change
// its own transaction handed to the operating system at once, or all of a round in one
// transaction (its commit included in the time). Nanoseconds per change.
std::optional<double> SqliteUpsert(const std::string& database, const std::vector<Record>& changes,
                                   bool oneTransaction, const Repeat& repeat);

// INSERT OR REPLACE of each change in autocommit mode with PRAGMA journal_mode=WAL and
// synchronous=NORMAL: every commit survives a crash of the process, and the log is synced at
// checkpoints (the promise OUTPUT makes). The database stays in WAL mode. Nanoseconds per change.
std::optional<double> SqliteUpsertWal(const std::string& database,
                                      const std::vector<Record>& changes, const Repeat& repeat);

}  // namespace Compare
