#include "server/ranking.h"

#include <set>

namespace board {

std::shared_ptr<const RankingSnapshot> RankingCache::Load(int64_t season, int64_t generation) {
  auto s = std::make_shared<RankingSnapshot>();
  s->season = season;
  s->etag = "\"" + std::to_string(generation) + "-" + std::to_string(season) + "\"";
  s->all = store_.Ranking(season);
  std::set<int64_t> players;
  for (size_t i = 0; i < s->all.size(); ++i) {
    const RankedGame& g = s->all[i];
    RankingSnapshot::Places& p = s->places[g.id];
    p.all = static_cast<int64_t>(i) + 1;
    if (players.insert(g.playerId).second) {
      s->best.push_back(g);
      p.best = static_cast<int64_t>(s->best.size());
    }
  }
  return s;
}

std::shared_ptr<const RankingSnapshot> RankingCache::Get(int64_t season) {
  {
    std::lock_guard lock(mutex_);
    auto it = snapshots_.find(season);
    if (it != snapshots_.end()) return it->second;
  }
  const int64_t generation = store_.RankingGeneration();
  std::shared_ptr<const RankingSnapshot> snapshot = Load(season, generation);
  std::lock_guard lock(mutex_);
  // An empty season other than the current one is not kept: any number
  // asked for would grow the map.
  if (snapshot->all.empty() && season != current_) return snapshot;
  return snapshots_.emplace(season, snapshot).first->second;
}

void RankingCache::Refresh(bool force) {
  const int64_t generation = store_.RankingGeneration();
  std::vector<int64_t> held;
  {
    std::lock_guard lock(mutex_);
    if (!force && generation == generation_) return;
    for (const auto& [season, snapshot] : snapshots_) held.push_back(season);
  }
  std::vector<int64_t> seasons = store_.Seasons();
  std::map<int64_t, std::shared_ptr<const RankingSnapshot>> fresh;
  for (int64_t season : held) fresh[season] = Load(season, generation);
  std::lock_guard lock(mutex_);
  generation_ = generation;
  seasons_ = std::move(seasons);
  snapshots_ = std::move(fresh);
}

std::vector<int64_t> RankingCache::Seasons() {
  std::lock_guard lock(mutex_);
  return seasons_;
}

}  // namespace board
