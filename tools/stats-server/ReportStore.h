// The SQLite database of received reports: one table, created when missing,
// in WAL mode so that --print can read while the server writes.
#pragma once

#include "ReportCheck.h"

#include <stdio.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct sqlite3;

struct ReceivedReport {
    std::string receivedAt;           // UTC, ISO 8601
    std::string peer;                 // the client's address
    std::optional<std::string> body;  // raw; absent when too large to keep
    ReportVerdict verdict;
};

struct SqliteClose {
    void operator()(sqlite3* database) const;
};
using SqliteDatabase = std::unique_ptr<sqlite3, SqliteClose>;

class ReportStore {
public:
    // Creates the file and the table when missing; null with a message on failure.
    static std::unique_ptr<ReportStore> Open(const std::string& path, std::string& error);
    // An existing database only, for listing.
    static std::unique_ptr<ReportStore> OpenExisting(const std::string& path, std::string& error);

    // Safe from several server threads at once.
    bool Add(const ReceivedReport& report);
    // One line a row: id, time, peer, status (with the reason), line ("-" when none).
    bool Print(FILE* out);

private:
    explicit ReportStore(SqliteDatabase database) : database_(std::move(database)) {}

    SqliteDatabase database_;
    std::mutex mutex_;
};
