#include "zarvo/store/internal/sqlite.h"

namespace zarvo::store::sqlite {

namespace {

// A file: URI for `path` with `query`; every byte a URI treats specially is percent-encoded.
std::string fileUri(const std::string& path, const std::string& query) {
  std::string uri = "file:";
  for (const char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      const auto byte = static_cast<unsigned char>(c);
      uri += {'%', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return uri + "?" + query;
}

}  // namespace

Database::Database(const std::string& path, bool readOnly) {
  const int flags = readOnly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX
                             : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  const std::string name = readOnly ? fileUri(path, "immutable=1") : path;
  const int rc = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = "cannot open the database '" + path + "': " +
                          (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw StoreError(StoreError::Code::cannotOpen, message);
  }
  sqlite3_extended_result_codes(db_, 1);
}

Database::~Database() {
  statements_.clear();  // statements must be finalized before the connection closes
  sqlite3_close_v2(db_);
}

void Database::fail(StoreError::Code code, std::string_view what) const {
  std::string message(what);
  message += ": ";
  message += sqlite3_errmsg(db_);
  const int rc = sqlite3_extended_errcode(db_);
  if ((rc & 0xff) == SQLITE_NOTADB && code != StoreError::Code::conflict) code = StoreError::Code::notOurs;
  throw StoreError(code, message);
}

void Database::exec(const std::string& sql, StoreError::Code onError) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    if ((sqlite3_extended_errcode(db_) & 0xff) == SQLITE_NOTADB) onError = StoreError::Code::notOurs;
    throw StoreError(onError, "database error: " + message);
  }
}

void Database::rollbackAfterFailure() noexcept { (void)sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }

Statement& Database::cached(const std::string& sql) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) {
    it = statements_.emplace(sql, std::make_unique<Statement>(*this, sql)).first;
  } else {
    it->second->reset();
  }
  return *it->second;
}

Statement::Statement(Database& db, const std::string& sql) : db_(db) {
  if (sqlite3_prepare_v3(db.handle(), sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &stmt_, nullptr) != SQLITE_OK) {
    db.fail(StoreError::Code::io, "cannot prepare a statement");
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

void Statement::bindNull(int index) { sqlite3_bind_null(stmt_, index); }
void Statement::bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
void Statement::bind(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
void Statement::bind(int index, std::string_view text) {
  sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

bool Statement::step(StoreError::Code onError) {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  std::string message = sqlite3_errmsg(db_.handle());
  sqlite3_reset(stmt_);
  if ((rc & 0xff) == SQLITE_NOTADB) onError = StoreError::Code::notOurs;
  throw StoreError(onError, "database error: " + message);
}

void Statement::run(StoreError::Code onError) {
  while (step(onError)) {
  }
}

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }
double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }
std::string Statement::text(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

}  // namespace zarvo::store::sqlite
