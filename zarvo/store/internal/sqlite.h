// Thin RAII layer over the SQLite C API, private to the object store.
//
// Every value reaches SQL through a bound parameter; statement text comes only from the store's own
// code and the model's entity descriptions, never from record contents or caller text. Errors become
// store::StoreError with SQLite's message. Not thread-safe: the owning context serializes all use.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zarvo/store/store_error.h"

namespace zarvo::store::sqlite {

class Statement;

class Database {
 public:
  // Opens (creating when absent) the database file at `path`. With `readOnly`, opens an existing file
  // only to read it, as immutable: SQLite then takes no locks and needs no -wal or -shm file, which
  // is what a folder nobody may write allows; the caller guarantees that nothing writes the file
  // meanwhile. Throws cannotOpen.
  explicit Database(const std::string& path, bool readOnly = false);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() const { return db_; }

  // Runs statements without parameters (schema, pragmas, transaction control).
  void exec(const std::string& sql, StoreError::Code onError = StoreError::Code::io);
  // Rolls back the open transaction after a failure, which the caller reports. Its own result is not:
  // a rollback that fails leaves nothing committed, and SQLite rolls the transaction back when the
  // connection closes. Never throws.
  void rollbackAfterFailure() noexcept;

  // A prepared statement for `sql`, compiled once per database and reset before it is handed out.
  // The returned reference stays valid until the Database is destroyed.
  Statement& cached(const std::string& sql);

  // The error for the most recent failure on this connection.
  [[noreturn]] void fail(StoreError::Code code, std::string_view what) const;

  int64_t lastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }
  int changes() const { return sqlite3_changes(db_); }

 private:
  sqlite3* db_ = nullptr;
  std::map<std::string, std::unique_ptr<Statement>, std::less<>> statements_;
};

class Statement {
 public:
  Statement(Database& db, const std::string& sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Clears the previous run and its bindings.
  void reset();

  // Parameter indexes start at 1.
  void bindNull(int index);
  void bind(int index, int64_t value);
  void bind(int index, double value);
  void bind(int index, std::string_view text);

  // Advances to the next row: true when a row is available, false when done. Throws io (or
  // `onError`) on failure.
  bool step(StoreError::Code onError = StoreError::Code::io);
  // Runs a statement that returns no rows.
  void run(StoreError::Code onError = StoreError::Code::io);

  bool isNull(int column) const;
  int64_t integer(int column) const;
  double real(int column) const;
  std::string text(int column) const;
  // The value of `column` in the current row, to read with sqlite3_value_*: one call into SQLite for
  // a column rather than one to test for NULL and one to read. Valid until the next step() or
  // reset(). SQLite calls such a value unprotected, which matters only to a connection shared by
  // threads; this one is opened without SQLite's mutex and used by one thread at a time.
  sqlite3_value* columnValue(int column) const { return sqlite3_column_value(stmt_, column); }

 private:
  Database& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace zarvo::store::sqlite
