#pragma once
// The schema's versions: server/migrations/<dialect>/NNNN_name.sql, built
// into the program. A board brings its database to the newest version when
// it starts, each step in the transaction that records it, so boards
// starting together apply each step once.
#include <vector>

#include "server/database.h"

namespace board {

struct Migration {
  const char* dialect;  // "sqlite" or "postgres"
  int version;
  const char* sql;
};

// Every step of both dialects (generated from the .sql files).
extern const std::vector<Migration> kMigrations;

// Applies the steps the database lacks; returns its version afterwards.
// Throws StorageError, and a std::runtime_error for a database newer than
// this program.
int Migrate(Database& db);

}  // namespace board
