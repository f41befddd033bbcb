// A prepared SQLite statement, finalized when it goes out of scope.
#pragma once

#include <sqlite3.h>

#include <optional>
#include <string>

class SqliteStatement {
public:
    SqliteStatement(sqlite3* database, const char* sql);
    ~SqliteStatement() { sqlite3_finalize(statement_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool Prepared() const { return statement_ != nullptr; }
    // Parameters count from 1; an absent value binds NULL.
    bool BindText(int index, const std::optional<std::string>& text);
    bool BindBlob(int index, const std::optional<std::string>& bytes);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return sqlite3_step(statement_); }
    // The text of a column of the current row; absent for NULL.
    std::optional<std::string> Text(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
};
