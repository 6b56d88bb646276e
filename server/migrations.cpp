#include "server/migrations.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace board {
namespace {

// Any number; boards migrating one PostgreSQL database take it in turn.
constexpr int64_t kMigrationLock = 864201;

}  // namespace

int Migrate(Database& db) {
  const std::string dialect = db.GetDialect() == Database::Dialect::kSqlite ? "sqlite" : "postgres";
  std::vector<Migration> steps;
  for (const Migration& m : kMigrations)
    if (m.dialect == dialect) steps.push_back(m);
  std::sort(steps.begin(), steps.end(), [](const Migration& a, const Migration& b) { return a.version < b.version; });
  const int newest = steps.empty() ? 0 : steps.back().version;
  int version = 0;
  db.Transact(Database::Access::kWrite, [&](Transaction& t) {
    if (db.GetDialect() == Database::Dialect::kPostgres)
      t.Query("SELECT pg_advisory_xact_lock($1)", {int64_t{kMigrationLock}});
    t.ExecuteScript("CREATE TABLE IF NOT EXISTS schema_migrations (version BIGINT PRIMARY KEY, applied BIGINT NOT NULL)");
    const std::vector<Row> rows = t.Query("SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
    version = static_cast<int>(Int(rows.at(0).at(0)));
    if (version > newest)
      throw std::runtime_error("the database's schema is version " + std::to_string(version) +
                               ", newer than this board's " + std::to_string(newest));
    for (const Migration& m : steps) {
      if (m.version <= version) continue;
      t.ExecuteScript(m.sql);
      t.Execute("INSERT INTO schema_migrations (version, applied) VALUES ($1, $2)",
                {int64_t{m.version}, static_cast<int64_t>(time(nullptr))});
      version = m.version;
    }
  });
  return version;
}

}  // namespace board
