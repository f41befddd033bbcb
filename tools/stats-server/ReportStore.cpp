#include "ReportStore.h"

#include "SqliteStatement.h"

namespace {

constexpr char kSchema[] = R"(
CREATE TABLE IF NOT EXISTS reports (
    id          INTEGER PRIMARY KEY,
    received_at TEXT NOT NULL,
    peer        TEXT NOT NULL,
    body        BLOB,
    line        TEXT,
    version     TEXT,
    channel     TEXT,
    os          TEXT,
    status      TEXT NOT NULL CHECK (status IN ('accepted', 'rejected')),
    reason      TEXT
))";

constexpr char kInsert[] =
    "INSERT INTO reports (received_at, peer, body, line, version, channel, os, status, reason)"
    " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";

constexpr char kList[] = "SELECT id, received_at, peer, status, reason, line FROM reports ORDER BY id";

constexpr int kBusyTimeoutMs = 5000;

std::optional<std::string> Field(const ReportVerdict& verdict, size_t index) {
    if (index >= verdict.fields.size()) return std::nullopt;
    return verdict.fields[index];
}

SqliteDatabase OpenDatabase(const std::string& path, int flags, std::string& error) {
    sqlite3* raw = nullptr;
    int result = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    SqliteDatabase database(raw);
    if (result != SQLITE_OK) {
        error = path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(result));
        return nullptr;
    }
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    return database;
}

bool Execute(sqlite3* database, const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(database, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : "SQLite error";
    sqlite3_free(message);
    return false;
}

}  // namespace

void SqliteClose::operator()(sqlite3* database) const { sqlite3_close(database); }

std::unique_ptr<ReportStore> ReportStore::Open(const std::string& path, std::string& error) {
    SqliteDatabase database = OpenDatabase(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
    if (!database || !Execute(database.get(), "PRAGMA journal_mode=WAL", error) ||
        !Execute(database.get(), kSchema, error))
        return nullptr;
    return std::unique_ptr<ReportStore>(new ReportStore(std::move(database)));
}

std::unique_ptr<ReportStore> ReportStore::OpenExisting(const std::string& path, std::string& error) {
    SqliteDatabase database = OpenDatabase(path, SQLITE_OPEN_READWRITE, error);
    if (!database) return nullptr;
    return std::unique_ptr<ReportStore>(new ReportStore(std::move(database)));
}

bool ReportStore::Add(const ReceivedReport& report) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteStatement insert(database_.get(), kInsert);
    const ReportVerdict& verdict = report.verdict;
    return insert.Prepared() && insert.BindText(1, report.receivedAt) && insert.BindText(2, report.peer) &&
           insert.BindBlob(3, report.body) && insert.BindText(4, verdict.line) &&
           insert.BindText(5, Field(verdict, 0)) && insert.BindText(6, Field(verdict, 1)) &&
           insert.BindText(7, Field(verdict, 2)) &&
           insert.BindText(8, std::string(verdict.accepted ? "accepted" : "rejected")) &&
           insert.BindText(9, verdict.accepted ? std::nullopt : std::optional<std::string>(verdict.reason)) &&
           insert.Step() == SQLITE_DONE;
}

bool ReportStore::Print(FILE* out) {
    std::lock_guard<std::mutex> lock(mutex_);
    SqliteStatement list(database_.get(), kList);
    if (!list.Prepared()) return false;
    int result;
    while ((result = list.Step()) == SQLITE_ROW) {
        std::string status = list.Text(3).value_or("");
        if (auto reason = list.Text(4)) status += ": " + *reason;
        fprintf(out, "%s\t%s\t%s\t%s\t%s\n", list.Text(0).value_or("").c_str(), list.Text(1).value_or("").c_str(),
                list.Text(2).value_or("").c_str(), status.c_str(), list.Text(5).value_or("-").c_str());
    }
    return result == SQLITE_DONE;
}
