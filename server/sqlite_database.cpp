// The SQLite store: one file, board.db, in write-ahead-log mode, so readers
// never wait for the writer and a reader's snapshot stays whole. Writers take
// the lock when their transaction begins (BEGIN IMMEDIATE) and wait up to
// the busy timeout for each other.
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

#include "server/connection_pool.h"
#include "server/database.h"

namespace board {
namespace {

constexpr int kBusyMilliseconds = 10000;

[[noreturn]] void Fail(sqlite3* db, int rc, const std::string& doing) {
  const int primary = rc & 0xFF;
  const std::string what = doing + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  if (primary == SQLITE_CONSTRAINT) throw StorageError(StorageError::Kind::kConflict, what);
  if (primary == SQLITE_FULL) throw StorageError(StorageError::Kind::kFull, what);
  // A file that cannot grow (a full disk, a file size limit) shows as an
  // I/O error on write.
  if (primary == SQLITE_IOERR && (rc == SQLITE_IOERR_WRITE || rc == SQLITE_IOERR_FSYNC || rc == SQLITE_IOERR_TRUNCATE))
    throw StorageError(StorageError::Kind::kFull, what);
  throw StorageError(StorageError::Kind::kUnavailable, what);
}

// $1, $2 ... become ?1, ?2 ...: SQLite's numbered parameters.
std::string Numbered(std::string_view sql) {
  std::string out(sql);
  for (size_t i = 0; i + 1 < out.size(); ++i)
    if (out[i] == '$' && out[i + 1] >= '0' && out[i + 1] <= '9') out[i] = '?';
  return out;
}

// The file a path names: its device and inode.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileId&) const = default;
};

std::optional<FileId> IdOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{st.st_dev, st.st_ino};
}

class Connection {
 public:
  // `create`: the file may be made (the first connection only: a later one
  // would make an empty database where the board's was removed).
  Connection(const std::string& path, bool create) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_,
                                   SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    if (rc != SQLITE_OK) {
      const std::string what = "cannot open " + path + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
      sqlite3_close(db_);
      throw StorageError(StorageError::Kind::kUnavailable, what);
    }
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    Script("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
  }
  ~Connection() {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    sqlite3_close(db_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void Script(std::string_view sql) {
    const std::string text(sql);
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) Fail(db_, sqlite3_extended_errcode(db_), "SQLite");
  }

  // Runs a statement; rows go to `rows` when given.
  int64_t Run(std::string_view sql, std::initializer_list<Value> params, std::vector<Row>* rows) {
    sqlite3_stmt* s = Prepared(sql);
    int index = 1;
    for (const Value& v : params) {
      int rc = SQLITE_OK;
      if (const int64_t* i = std::get_if<int64_t>(&v)) rc = sqlite3_bind_int64(s, index, *i);
      else if (const std::string* t = std::get_if<std::string>(&v))
        rc = sqlite3_bind_text64(s, index, t->data(), t->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
      else if (const Blob* b = std::get_if<Blob>(&v))
        rc = sqlite3_bind_blob64(s, index, b->data(), b->size(), SQLITE_TRANSIENT);
      else rc = sqlite3_bind_null(s, index);
      if (rc != SQLITE_OK) Fail(db_, rc, "SQLite bind");
      ++index;
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      if (!rows) continue;
      Row row;
      for (int c = 0, n = sqlite3_column_count(s); c < n; ++c) {
        switch (sqlite3_column_type(s, c)) {
          case SQLITE_INTEGER: row.emplace_back(static_cast<int64_t>(sqlite3_column_int64(s, c))); break;
          case SQLITE_TEXT:
            row.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                                         static_cast<size_t>(sqlite3_column_bytes(s, c))));
            break;
          case SQLITE_BLOB: {
            const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(s, c));
            row.emplace_back(Blob(p, p + sqlite3_column_bytes(s, c)));
            break;
          }
          default: row.emplace_back(std::monostate{});
        }
      }
      rows->push_back(std::move(row));
    }
    const int64_t changed = sqlite3_changes64(db_);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (rc != SQLITE_DONE) Fail(db_, sqlite3_extended_errcode(db_), "SQLite");
    return changed;
  }

 private:
  sqlite3_stmt* Prepared(std::string_view sql) {
    const std::string text = Numbered(sql);
    auto it = statements_.find(text);
    if (it != statements_.end()) return it->second;
    sqlite3_stmt* s = nullptr;
    const int rc = sqlite3_prepare_v3(db_, text.c_str(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT, &s,
                                      nullptr);
    if (rc != SQLITE_OK) Fail(db_, rc, "SQLite prepare");
    return statements_.emplace(text, s).first->second;
  }

  sqlite3* db_ = nullptr;
  std::map<std::string, sqlite3_stmt*> statements_;
};

class SqliteTransaction final : public Transaction {
 public:
  explicit SqliteTransaction(Connection& c) : c_(c) {}
  std::vector<Row> Query(std::string_view sql, std::initializer_list<Value> params) override {
    std::vector<Row> rows;
    c_.Run(sql, params, &rows);
    return rows;
  }
  int64_t Execute(std::string_view sql, std::initializer_list<Value> params) override {
    return c_.Run(sql, params, nullptr);
  }
  void ExecuteScript(std::string_view sql) override { c_.Script(sql); }

 private:
  Connection& c_;
};

// Removed or replaced while the board runs, board.db would take writes into
// a file nobody can open again (its games gone at the next start). The file
// opened first is the board's: each connection and each write transaction
// checks that the path still names it, and writes wait for it to come back.
class SqliteDatabase final : public Database {
 public:
  SqliteDatabase(std::string path, int connections)
      : path_(path), pool_(connections, [this] { return Open(); }) {}

  Dialect GetDialect() const override { return Dialect::kSqlite; }

  void Transact(Access access, const std::function<void(Transaction&)>& work) override {
    auto lease = pool_.Acquire();
    if (access == Access::kWrite) CheckFile();
    lease->Script(access == Access::kWrite ? "BEGIN IMMEDIATE" : "BEGIN");
    try {
      SqliteTransaction t(*lease);
      work(t);
      lease->Script("COMMIT");
    } catch (...) {
      try {
        lease->Script("ROLLBACK");
      } catch (const StorageError&) {
        // A failed COMMIT may have ended the transaction already; a
        // connection that cannot roll back is not used again.
        lease.Broken();
      }
      throw;
    }
  }

  void Backup(const std::string& file) override {
    auto lease = pool_.Acquire();
    // Outside any transaction: VACUUM takes its own.
    lease->Run("VACUUM INTO $1", {file}, nullptr);
  }

  int64_t FreeBytes() override {
    struct statvfs fs;
    if (statvfs(path_.c_str(), &fs) != 0) return -1;
    return static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize);
  }

 private:
  std::unique_ptr<Connection> Open() {
    std::unique_lock lock(mutex_);
    const bool first = !file_;
    lock.unlock();
    auto c = std::make_unique<Connection>(path_, first);
    lock.lock();
    if (!file_) file_ = IdOf(path_);
    lock.unlock();
    CheckFile();
    return c;
  }

  void CheckFile() {
    const std::optional<FileId> now = IdOf(path_);
    std::lock_guard lock(mutex_);
    if (now && now == file_) return;
    throw StorageError(StorageError::Kind::kUnavailable,
                       now ? path_ + " is another file than the one the board opened: writes are refused until that "
                                     "one is back, or the board restarts on this one"
                           : path_ + " is gone (removed or renamed while the board runs): writes are refused until "
                                     "it is back");
  }

  const std::string path_;
  std::mutex mutex_;
  std::optional<FileId> file_;  // the board's file, once opened
  ConnectionPool<Connection> pool_;
};

}  // namespace

std::unique_ptr<Database> OpenSqlite(const std::string& folder, int connections) {
  std::error_code ec;
  // The database holds the players' token hashes: a folder made here is the
  // operator's alone.
  if (std::filesystem::create_directories(folder, ec)) chmod(folder.c_str(), 0700);
  if (ec) throw StorageError(StorageError::Kind::kUnavailable, "cannot create " + folder + ": " + ec.message());
  auto db = std::make_unique<SqliteDatabase>(folder + "/board.db", connections);
  db->Transact(Database::Access::kRead, [](Transaction&) {});
  return db;
}

}  // namespace board
