// The PostgreSQL store, for boards sharing one database. Each transaction
// runs on a pooled connection at READ COMMITTED; values travel as
// parameters of the extended protocol (PQexecParams), in text form, bytea as
// \x hexadecimal.
#include <pqxx/pqxx>

#include "platform/child_process.h"
#include "server/connection_pool.h"
#include "server/database.h"

namespace board {
namespace {

// Type numbers of the columns the board reads (pg_type.oid).
constexpr pqxx::oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23;

std::string Hex(const Blob& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "\\x";
  out.reserve(2 + 2 * bytes.size());
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

class PostgresTransaction final : public Transaction {
 public:
  explicit PostgresTransaction(pqxx::work& work) : work_(work) {}

  std::vector<Row> Query(std::string_view sql, std::initializer_list<Value> params) override {
    const pqxx::result r = Run(sql, params);
    std::vector<Row> rows;
    rows.reserve(r.size());
    for (const pqxx::row& source : r) {
      Row row;
      for (pqxx::row::size_type c = 0; c < source.size(); ++c) {
        const pqxx::field f = source[c];
        if (f.is_null()) {
          row.emplace_back(std::monostate{});
          continue;
        }
        switch (r.column_type(c)) {
          case kInt2:
          case kInt4:
          case kInt8: row.emplace_back(f.as<int64_t>()); break;
          case kBool: row.emplace_back(static_cast<int64_t>(f.as<bool>())); break;
          case kBytea: {
            const pqxx::binarystring b(f);
            row.emplace_back(Blob(b.data(), b.data() + b.size()));
            break;
          }
          default: row.emplace_back(std::string(f.c_str(), f.size()));
        }
      }
      rows.push_back(std::move(row));
    }
    return rows;
  }

  int64_t Execute(std::string_view sql, std::initializer_list<Value> params) override {
    return Run(sql, params).affected_rows();
  }

  void ExecuteScript(std::string_view sql) override { work_.exec(std::string(sql)); }

 private:
  pqxx::result Run(std::string_view sql, std::initializer_list<Value> params) {
    std::vector<std::string> texts;
    texts.reserve(params.size());
    std::vector<const char*> values;
    for (const Value& v : params) {
      if (IsNull(v)) {
        values.push_back(nullptr);
        continue;
      }
      texts.push_back(std::holds_alternative<Blob>(v) ? Hex(Bytes(v)) : Text(v));
      values.push_back(texts.back().c_str());
    }
    return work_.exec_params(std::string(sql), pqxx::prepare::make_dynamic_params(values));
  }

  pqxx::work& work_;
};

class PostgresDatabase final : public Database {
 public:
  PostgresDatabase(std::string url, int connections)
      : url_(url), pool_(connections, [url] {
          try {
            return std::make_unique<pqxx::connection>(url);
          } catch (const pqxx::broken_connection& e) {
            throw StorageError(StorageError::Kind::kUnavailable, std::string("PostgreSQL: ") + e.what());
          }
        }) {}

  Dialect GetDialect() const override { return Dialect::kPostgres; }

  void Transact(Access, const std::function<void(Transaction&)>& work) override {
    auto lease = pool_.Acquire();
    try {
      pqxx::work w(*lease);
      PostgresTransaction t(w);
      work(t);
      w.commit();
    } catch (const pqxx::broken_connection& e) {
      lease.Broken();
      throw StorageError(StorageError::Kind::kUnavailable, std::string("PostgreSQL: ") + e.what());
    } catch (const pqxx::unique_violation& e) {
      throw StorageError(StorageError::Kind::kConflict, e.what());
    } catch (const pqxx::disk_full& e) {
      throw StorageError(StorageError::Kind::kFull, e.what());
    } catch (const pqxx::in_doubt_error& e) {
      lease.Broken();
      throw StorageError(StorageError::Kind::kUnavailable, std::string("PostgreSQL: ") + e.what());
    } catch (const pqxx::sql_error& e) {
      // The server refused or lost the statement (a restart, an administrator's
      // cancel): the connection may be gone with it.
      if (!lease->is_open()) lease.Broken();
      throw StorageError(StorageError::Kind::kUnavailable, std::string("PostgreSQL: ") + e.what());
    }
  }

  void Backup(const std::string& file) override {
    const platform::ChildResult r = platform::RunChild(
        {"/usr/bin/pg_dump", "--format=custom", "--file=" + file, url_}, {}, {.deadline = std::chrono::hours(12)});
    if (r.exitStatus != 0)
      throw StorageError(StorageError::Kind::kUnavailable,
                         "pg_dump failed" + (r.started ? std::string() : ": " + r.error));
  }

 private:
  const std::string url_;
  ConnectionPool<pqxx::connection> pool_;
};

}  // namespace

std::unique_ptr<Database> OpenPostgres(const std::string& url, int connections) {
  auto db = std::make_unique<PostgresDatabase>(url, connections);
  db->Transact(Database::Access::kRead, [](Transaction&) {});
  return db;
}

}  // namespace board
