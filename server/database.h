#pragma once
// The board's one storage interface: transactions of parameterised SQL
// statements on SQLite (one file in WAL mode, the default) or PostgreSQL
// (several boards sharing one database). Statements are written once with
// $1, $2 ... placeholders; values are always bound, never spliced into the
// text. Where the two dialects differ, the caller asks Dialect().
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace board {

using Blob = std::vector<uint8_t>;
using Value = std::variant<std::monostate, int64_t, std::string, Blob>;
using Row = std::vector<Value>;

int64_t Int(const Value& value);  // 0 for NULL
std::string Text(const Value& value);
const Blob& Bytes(const Value& value);
bool IsNull(const Value& value);

// What went wrong, as the board answers it: the database cannot be reached
// or failed (503, the request may be tried again), the disk is full (503),
// or a uniqueness rule refused a row (the caller decides).
class StorageError : public std::runtime_error {
 public:
  enum class Kind { kUnavailable, kFull, kConflict };
  StorageError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

class Transaction {
 public:
  virtual ~Transaction() = default;
  virtual std::vector<Row> Query(std::string_view sql, std::initializer_list<Value> params = {}) = 0;
  // The number of rows changed.
  virtual int64_t Execute(std::string_view sql, std::initializer_list<Value> params = {}) = 0;
  // Several statements without parameters (a migration).
  virtual void ExecuteScript(std::string_view sql) = 0;
};

class Database {
 public:
  enum class Dialect { kSqlite, kPostgres };
  enum class Access { kRead, kWrite };

  virtual ~Database() = default;
  virtual Dialect GetDialect() const = 0;
  // Runs `work` in one transaction: committed when it returns, rolled back
  // when it throws. Throws StorageError when the database fails.
  virtual void Transact(Access access, const std::function<void(Transaction&)>& work) = 0;
  // A consistent copy in `file` (which must not exist) while the database
  // is in use: SQLite's VACUUM INTO, PostgreSQL's pg_dump in its custom format.
  virtual void Backup(const std::string& file) = 0;
  // The bytes the database's file system has left for it; -1 when this
  // board cannot tell (PostgreSQL's server keeps its own disk).
  virtual int64_t FreeBytes() { return -1; }
};

// SQLite in `folder`/board.db (created, with the folder, when missing).
std::unique_ptr<Database> OpenSqlite(const std::string& folder, int connections);
// PostgreSQL at `url` (a libpq connection string or URI).
std::unique_ptr<Database> OpenPostgres(const std::string& url, int connections);

}  // namespace board
