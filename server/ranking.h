#pragma once
// The ranking as the board serves it: a snapshot in memory per season, read
// by every request without touching the database, and replaced whole when
// the database says the ranking changed (a game accepted here or on another
// board, a game hidden, a player renamed, banned or deleted). Its entity tag
// names the database's ranking generation, so every board sharing one
// database gives the same tag for the same ranking.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/store.h"

namespace board {

struct RankingSnapshot {
  int64_t season = 0;
  std::string etag;
  std::vector<RankedGame> all;   // every ranked game, in order
  std::vector<RankedGame> best;  // each player's best, in order
  // A game's place in `best` (when it is its player's best) and in `all`,
  // from 1; 0 when it is not there.
  struct Places {
    int64_t best = 0;
    int64_t all = 0;
  };
  std::map<int64_t, Places> places;
};

class RankingCache {
 public:
  // `current`: the season of the games this board verifies.
  RankingCache(Store& store, int64_t current) : store_(store), current_(current) {}
  int64_t Current() const { return current_; }

  // The season's snapshot, loaded when this board has none yet.
  std::shared_ptr<const RankingSnapshot> Get(int64_t season);
  // Reloads every season held when the generation moved (or when forced).
  void Refresh(bool force = false);
  // Seasons with accepted games, newest first.
  std::vector<int64_t> Seasons();

 private:
  std::shared_ptr<const RankingSnapshot> Load(int64_t season, int64_t generation);

  Store& store_;
  const int64_t current_;
  std::mutex mutex_;
  int64_t generation_ = -1;
  std::vector<int64_t> seasons_;
  std::map<int64_t, std::shared_ptr<const RankingSnapshot>> snapshots_;
};

}  // namespace board
