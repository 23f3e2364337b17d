#include "bench/compare/sqlite_peer.h"

#include <sqlite3.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace Compare {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* database) const { sqlite3_close(database); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

constexpr const char* CreateTable =
    "CREATE TABLE records(key TEXT PRIMARY KEY, price REAL, quantity INTEGER, colour TEXT, "
    "description TEXT)";
constexpr const char* Upsert = "INSERT OR REPLACE INTO records VALUES(?1, ?2, ?3, ?4, ?5)";

// The database at `path`, or nothing (said why, as `figure`).
Database OpenDatabase(const char* figure, const std::string& path) {
    sqlite3* handle = nullptr;
    const int status = sqlite3_open(path.c_str(), &handle);
    Database database(handle);
    if (status != SQLITE_OK) {
        Fail(figure, "cannot open " + path + ": " + sqlite3_errstr(status));
        return nullptr;
    }
    return database;
}

bool Execute(const char* figure, sqlite3* database, const std::string& sql) {
    if (sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
    Fail(figure, sql + ": " + sqlite3_errmsg(database));
    return false;
}

Statement Prepare(const char* figure, sqlite3* database, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, sql, -1, &statement, nullptr) != SQLITE_OK) {
        Fail(figure, std::string(sql) + ": " + sqlite3_errmsg(database));
    }
    return Statement(statement);
}

// Binds the record's five columns (the texts stay owned by the caller until the step) and runs
// the upsert.
bool StepUpsert(sqlite3_stmt* statement, std::string_view key, double price, int quantity,
                std::string_view colour, std::string_view description) {
    sqlite3_bind_text(statement, 1, key.data(), int(key.size()), SQLITE_STATIC);
    sqlite3_bind_double(statement, 2, price);
    sqlite3_bind_int(statement, 3, quantity);
    sqlite3_bind_text(statement, 4, colour.data(), int(colour.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 5, description.data(), int(description.size()), SQLITE_STATIC);
    const int status = sqlite3_step(statement);
    sqlite3_reset(statement);
    return status == SQLITE_DONE;
}

// Imports one line: its fields are cut out and the numbers converted, as any importer must.
bool ImportLine(sqlite3_stmt* statement, std::string_view line) {
    std::array<std::string_view, 5> fields;
    if (!SplitFields(line, fields) || fields[1].size() > 31 || fields[2].size() > 31) return false;
    char price[32] = {};
    char quantity[32] = {};
    fields[1].copy(price, fields[1].size());
    fields[2].copy(quantity, fields[2].size());
    return StepUpsert(statement, fields[0], std::strtod(price, nullptr),
                      int(std::strtol(quantity, nullptr, 10)), fields[3], fields[4]);
}

std::optional<Round> ImportRound(const DataSet& set, const std::string& path) {
    constexpr const char* figure = "load.sqlite_import";
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    Round round;
    Stopwatch watch;
    watch.Start();
    Database database = OpenDatabase(figure, path);
    if (!database || !Execute(figure, database.get(), CreateTable) ||
        !Execute(figure, database.get(), "BEGIN")) {
        return std::nullopt;
    }
    Statement insert = Prepare(figure, database.get(), Upsert);
    bool failed = insert == nullptr;
    if (!failed && !ForEachLine(set.path, [&](std::string_view line) {
            failed = failed || !ImportLine(insert.get(), line);
            ++round.operations;
        })) {
        return Fail(figure, "cannot read " + set.path);
    }
    insert.reset();
    if (failed) return Fail(figure, sqlite3_errmsg(database.get()));
    if (!Execute(figure, database.get(), "COMMIT")) return std::nullopt;
    database.reset();
    watch.Stop();
    round.nanoseconds = watch.Nanoseconds();
    return round;
}

bool FillCache(const char* figure, sqlite3* database, const std::string& path) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    if (error) {
        Fail(figure, "cannot size " + path);
        return false;
    }
    const auto kibibytes = bytes / 1024 + bytes / 4096 + 1024;  // a quarter to spare
    return Execute(figure, database, "PRAGMA cache_size = -" + std::to_string(kibibytes)) &&
           Execute(figure, database, "SELECT sum(length(description)) FROM records") &&
           Execute(figure, database, "SELECT count(*) FROM records WHERE key >= ''");
}

std::optional<Round> SelectRound(const char* figure, sqlite3_stmt* select,
                                 const std::vector<Probe>& probes, const Batch& batch) {
    Round round;
    Stopwatch watch;
    size_t delivered = 0;
    watch.Start();
    for (size_t i = 0; i < batch.size; ++i) {
        const std::string& key = probes[(batch.first + i) % probes.size()].record.key;
        delivered += SqliteSelectRecord(select, key);
    }
    watch.Stop();
    if (delivered != 4 * batch.size) return Fail(figure, "a SELECT missed its record");
    round.operations = batch.size;
    round.nanoseconds = watch.Nanoseconds();
    return round;
}

std::optional<Round> UpsertRound(const char* figure, sqlite3* database, sqlite3_stmt* upsert,
                                 const std::vector<Record>& changes, const Batch& batch,
                                 bool oneTransaction) {
    Round round;
    Stopwatch watch;
    watch.Start();
    if (oneTransaction && !Execute(figure, database, "BEGIN")) return std::nullopt;
    for (size_t i = 0; i < batch.size; ++i) {
        const Record& change = changes[(batch.first + i) % changes.size()];
        if (!StepUpsert(upsert, change.key, change.price, change.quantity, change.colour,
                        change.description)) {
            return Fail(figure, sqlite3_errmsg(database));
        }
    }
    if (oneTransaction && !Execute(figure, database, "COMMIT")) return std::nullopt;
    watch.Stop();
    round.operations = batch.size;
    round.nanoseconds = watch.Nanoseconds();
    return round;
}

}  // namespace

size_t SqliteSelectRecord(sqlite3_stmt* select, const std::string& key) {
    size_t delivered = 0;
    sqlite3_bind_text(select, 1, key.data(), int(key.size()), SQLITE_STATIC);
    if (sqlite3_step(select) == SQLITE_ROW) {
        delivered += sqlite3_column_double(select, 0) > 0;
        delivered += sqlite3_column_int(select, 1) > 0;
        delivered += sqlite3_column_text(select, 2) != nullptr;
        delivered += sqlite3_column_text(select, 3) != nullptr;
    }
    sqlite3_reset(select);
    return delivered;
}

std::optional<double> SqliteImport(const DataSet& set, const std::string& database,
                                   const Repeat& repeat) {
    return PerOperation(repeat, [&](size_t) { return ImportRound(set, database); });
}

std::optional<double> SqlitePointSelect(const std::string& path, const std::vector<Probe>& probes,
                                        bool cacheHoldsTable, const Repeat& repeat) {
    const char* figure = cacheHoldsTable ? "lookup.sqlite_cached" : "lookup.sqlite_default";
    const Database database = OpenDatabase(figure, path);
    if (!database || (cacheHoldsTable && !FillCache(figure, database.get(), path))) {
        return std::nullopt;
    }
    const Statement select = Prepare(figure, database.get(), SqliteSelectFields);
    if (!select) return std::nullopt;
    return PerOperation(repeat, [&](size_t round) {
        return SelectRound(figure, select.get(), probes,
                           RoundBatch(round, repeat.batch, probes.size()));
    });
}

std::optional<double> SqliteUpsert(const std::string& path, const std::vector<Record>& changes,
                                   bool oneTransaction, const Repeat& repeat) {
    const char* figure = oneTransaction ? "update.sqlite_transaction" : "update.sqlite_autocommit";
    const Database database = OpenDatabase(figure, path);
    if (!database || !Execute(figure, database.get(), "PRAGMA synchronous = OFF")) {
        return std::nullopt;
    }
    const Statement upsert = Prepare(figure, database.get(), Upsert);
    if (!upsert) return std::nullopt;
    return PerOperation(repeat, [&](size_t round) {
        return UpsertRound(figure, database.get(), upsert.get(), changes,
                           RoundBatch(round, repeat.batch, changes.size()), oneTransaction);
    });
}

std::optional<double> SqliteUpsertWal(const std::string& path, const std::vector<Record>& changes,
                                      const Repeat& repeat) {
    constexpr const char* figure = "update.sqlite_wal";
    const Database database = OpenDatabase(figure, path);
    if (!database || !Execute(figure, database.get(), "PRAGMA journal_mode = WAL") ||
        !Execute(figure, database.get(), "PRAGMA synchronous = NORMAL")) {
        return std::nullopt;
    }
    const Statement upsert = Prepare(figure, database.get(), Upsert);
    if (!upsert) return std::nullopt;
    return PerOperation(repeat, [&](size_t round) {
        return UpsertRound(figure, database.get(), upsert.get(), changes,
                           RoundBatch(round, repeat.batch, changes.size()), false);
    });
}

}  // namespace Compare
