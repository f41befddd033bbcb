#include "SqliteStatement.h"

SqliteStatement::SqliteStatement(sqlite3* database, const char* sql) {
    if (sqlite3_prepare_v2(database, sql, -1, &statement_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
    }
}

bool SqliteStatement::BindText(int index, const std::optional<std::string>& text) {
    int result = text ? sqlite3_bind_text(statement_, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT)
                      : sqlite3_bind_null(statement_, index);
    return result == SQLITE_OK;
}

bool SqliteStatement::BindBlob(int index, const std::optional<std::string>& bytes) {
    int result = bytes ? sqlite3_bind_blob(statement_, index, bytes->data(), static_cast<int>(bytes->size()), SQLITE_TRANSIENT)
                       : sqlite3_bind_null(statement_, index);
    return result == SQLITE_OK;
}

std::optional<std::string> SqliteStatement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(statement_, column);
    if (!text) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement_, column)));
}
