#include "server/store.h"

#include <algorithm>

namespace board {
namespace {

using Access = Database::Access;
using Kind = SubmitResult::Kind;

constexpr int64_t kHour = 3600;
constexpr const char* kBumpRanking = "UPDATE ranking_generation SET generation = generation + 1";

// Frames counted against a player or an address within the last hour, and
// the seconds until `frames` more would fit under `limit` (0: they fit now).
int64_t WaitForFrames(Transaction& t, const char* column, const Value& key, int64_t frames, int64_t limit,
                      int64_t now) {
  const std::string sql = std::string("SELECT frames, at FROM submissions WHERE ") + column +
                          " = $1 AND at > $2 ORDER BY at";
  const std::vector<Row> rows = t.Query(sql, {key, now - kHour});
  int64_t used = 0;
  for (const Row& r : rows) used += Int(r[0]);
  if (used + frames <= limit) return 0;
  // The oldest submissions leave the window first.
  for (const Row& r : rows) {
    used -= Int(r[0]);
    if (used + frames <= limit) return std::max<int64_t>(1, Int(r[1]) + kHour - now);
  }
  return kHour;  // more than a whole hour's allowance: wait the hour and try
}

GameInfo GameFrom(const Row& r) {
  GameInfo g;
  g.id = Int(r[0]);
  g.player = Text(r[1]);
  g.season = Int(r[2]);
  g.state = Text(r[3]);
  g.reason = Text(r[4]);
  g.claimedScore = Int(r[5]);
  g.frames = Int(r[6]);
  g.score = Int(r[7]);
  g.stage = Int(r[8]);
  g.received = Int(r[9]);
  g.verified = Int(r[10]);
  g.duplicateOf = Int(r[11]);
  g.owner = Text(r[12]);
  return g;
}

// A duplicate's identity is the one proven, so its owner is found by it.
constexpr const char* kGameColumns =
    "SELECT g.id, p.name, g.season, g.state, g.reason, g.claimed_score, g.frames, g.score, g.stage, g.received, "
    "g.verified, g.duplicate_of, op.name FROM games g JOIN players p ON p.id = g.player_id "
    "LEFT JOIN owners o ON g.duplicate_of IS NOT NULL AND o.identity = g.identity "
    "LEFT JOIN players op ON op.id = o.player_id ";
// What the public may see.
constexpr const char* kShown = " g.hidden = 0 AND p.banned = 0 ";

// The game verified first under an identity, its player and when it was verified.
struct Owner {
  int64_t gameId = 0;
  std::string name;
  int64_t playerId = 0;
  int64_t verified = 0;
};
// `lock`: " FOR UPDATE OF o" to hold the row (PostgreSQL).
std::optional<Owner> FindOwner(Transaction& t, const std::string& identity, const std::string& lock = "") {
  const std::vector<Row> rows = t.Query("SELECT o.game_id, p.name, o.player_id, o.verified FROM owners o "
                                        "JOIN players p ON p.id = o.player_id WHERE o.identity = $1" + lock,
                                        {identity});
  if (rows.empty()) return std::nullopt;
  return Owner{Int(rows[0][0]), Text(rows[0][1]), Int(rows[0][2]), Int(rows[0][3])};
}

// Refuses game `id` as the same game as the one `owner` had verified first.
void MarkDuplicate(Transaction& t, int64_t id, const std::string& identity, const Owner& owner, int64_t now) {
  t.Execute("UPDATE games SET state = 'refused', identity = $2, reason = $3, duplicate_of = $4, verified = $5 "
            "WHERE id = $1 AND state <> 'refused'",
            {id, identity,
             "the same game as game " + std::to_string(owner.gameId) + ", ranked already under " + owner.name,
             owner.gameId, now});
}

}  // namespace

std::optional<SubmitResult> Store::CheckSender(const std::string& nameKey, const std::string& address,
                                               const TokenCheck& tokenMatches, const SubmitLimits& limits,
                                               int64_t now) {
  std::optional<SubmitResult> refused;
  db_.Transact(Access::kRead, [&](Transaction& t) {
    refused.reset();
    SubmitResult r;
    // Room for one frame more.
    if ((r.retryAfter = WaitForFrames(t, "address", address, 1, limits.framesPerHourByAddress, now)) > 0) {
      r.kind = Kind::kAddressLimited;
      return void(refused = r);
    }
    const std::vector<Row> player = t.Query("SELECT token_hash, banned FROM players WHERE name_key = $1", {nameKey});
    if (player.empty()) return;
    r.kind = Int(player[0][1]) ? Kind::kBanned : Kind::kNameTaken;
    if (r.kind == Kind::kBanned || !tokenMatches(Text(player[0][0]))) refused = r;
  });
  if (refused && refused->kind == Kind::kNameTaken)
    db_.Transact(Access::kWrite, [&](Transaction& t) {
      t.Execute("INSERT INTO submissions (player_id, address, frames, at) VALUES (NULL, $1, $2, $3)",
                {address, limits.FramesPerWrongToken(), now});
    });
  return refused;
}

SubmitResult Store::Submit(const Submission& s, const std::string& newTokenHash, const TokenCheck& tokenMatches,
                           const SubmitLimits& limits) {
  SubmitResult result;
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    result = SubmitResult{};
    std::vector<Row> player = t.Query("SELECT id, token_hash, banned FROM players WHERE name_key = $1", {s.nameKey});
    if (!player.empty() && Int(player[0][2])) return void(result.kind = Kind::kBanned);
    if (!player.empty() && !tokenMatches(Text(player[0][1]))) return void(result.kind = Kind::kNameTaken);
    // Only a verified game makes another a duplicate: copies waiting or
    // refused do not, whatever their files claim.
    if (const std::optional<Owner> owner = FindOwner(t, s.identity)) {
      result.kind = !player.empty() && Int(player[0][0]) == owner->playerId ? Kind::kDuplicate : Kind::kAnothersGame;
      result.gameId = owner->gameId;
      result.owner = owner->name;
      return;
    }
    // Games verified again do not count: they were taken before.
    if (Int(t.Query("SELECT COUNT(*) FROM jobs j JOIN games g ON g.id = j.game_id WHERE g.state = 'pending'")
                .at(0)
                .at(0)) >= limits.queueBound)
      return void(result.kind = Kind::kQueueFull);
    if ((result.retryAfter =
             WaitForFrames(t, "address", s.address, s.frames, limits.framesPerHourByAddress, s.now)) > 0)
      return void(result.kind = Kind::kAddressLimited);
    int64_t playerId = 0;
    if (!player.empty()) {
      playerId = Int(player[0][0]);
      if ((result.retryAfter =
               WaitForFrames(t, "player_id", playerId, s.frames, limits.framesPerHourByName, s.now)) > 0)
        return void(result.kind = Kind::kNameLimited);
    } else {
      // Two first submissions under one name at once: the second finds it
      // taken when it commits (a conflict the caller answers as taken).
      playerId = Int(t.Query("INSERT INTO players (name, name_key, token_hash, created) VALUES ($1, $2, $3, $4) "
                             "RETURNING id",
                             {s.name, s.nameKey, newTokenHash, s.now})
                         .at(0)
                         .at(0));
      result.newPlayer = true;
    }
    result.gameId = Int(t.Query("INSERT INTO games (identity, player_id, season, state, claimed_score, frames, "
                                "received, replay) VALUES ($1, $2, $3, 'pending', $4, $5, $6, $7) RETURNING id",
                                {s.identity, playerId, s.season, s.claimedScore, s.frames, s.now, s.replay})
                            .at(0)
                            .at(0));
    t.Execute("INSERT INTO jobs (game_id, state, queued) VALUES ($1, 'queued', $2)", {result.gameId, s.now});
    t.Execute("INSERT INTO submissions (player_id, address, frames, at) VALUES ($1, $2, $3, $4)",
              {playerId, s.address, s.frames, s.now});
  });
  return result;
}

std::optional<Job> Store::ClaimJob(const std::string& owner, int64_t now, int64_t leaseUntil, int64_t maxAttempts) {
  std::optional<Job> job;
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    job.reset();
    const char* takeable = "(j.state = 'queued' OR j.lease_until < $1)";
    const std::string exhausted = std::string("SELECT j.game_id FROM jobs j WHERE ") + takeable + " AND j.attempts >= $2";
    for (const Row& r : t.Query(exhausted, {now, maxAttempts})) {
      t.Execute("UPDATE games SET state = 'refused', reason = $2, verified = $3 WHERE id = $1 AND state = 'pending'",
                {r[0], std::string("it could not be verified: the verifier failed ") + std::to_string(maxAttempts) +
                           " times",
                 now});
      t.Execute("DELETE FROM jobs WHERE game_id = $1", {r[0]});
    }
    // Boards sharing PostgreSQL pass over a job another one is taking.
    const std::string lock = db_.GetDialect() == Database::Dialect::kPostgres ? " FOR UPDATE SKIP LOCKED" : "";
    const std::vector<Row> next =
        t.Query(std::string("SELECT j.game_id FROM jobs j WHERE ") + takeable + " ORDER BY j.queued, j.game_id LIMIT 1" +
                    lock,
                {now});
    if (next.empty()) return;
    const std::vector<Row> taken = t.Query(
        "UPDATE jobs SET state = 'running', attempts = attempts + 1, lease_owner = $2, lease_until = $3 "
        "WHERE game_id = $1 RETURNING attempts",
        {next[0][0], owner, leaseUntil});
    const std::vector<Row> replay = t.Query("SELECT replay FROM games WHERE id = $1", {next[0][0]});
    job = Job{Int(next[0][0]), Int(taken.at(0).at(0)), Bytes(replay.at(0).at(0))};
  });
  return job;
}

bool Store::RenewLease(int64_t gameId, const std::string& owner, int64_t leaseUntil) {
  bool held = false;
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    held = t.Execute("UPDATE jobs SET lease_until = $3 WHERE game_id = $1 AND lease_owner = $2 AND state = 'running'",
                     {gameId, owner, leaseUntil}) == 1;
  });
  return held;
}

bool Store::FinishJob(int64_t gameId, const std::string& owner, const verify::Verdict& v, int64_t now,
                      int64_t keepBest) {
  bool stored = false;
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    stored = t.Execute("DELETE FROM jobs WHERE game_id = $1 AND lease_owner = $2 AND state = 'running'",
                       {gameId, owner}) == 1;
    if (!stored) return;
    const std::vector<Row> game =
        t.Query("SELECT player_id, season, state, COALESCE(verified, $2) FROM games WHERE id = $1", {gameId, now});
    if (game.empty() || Text(game[0][2]) == "refused") return;
    // A game ranked before, verified again. The ranking's generation is
    // bumped last: its one row is the lock every storing transaction takes.
    const bool again = Text(game[0][2]) == "accepted";
    if (v.outcome != verify::Verdict::Outcome::kAccepted) {
      t.Execute("UPDATE games SET state = 'refused', reason = $2, verified = $3 WHERE id = $1",
                {gameId, again ? "verified again: " + v.reason : v.reason, now});
      if (again) t.Execute(kBumpRanking);
      return;
    }
    // The first verified sender owns the game. Two copies verified at once
    // meet at the key: PostgreSQL holds the second insert until the first
    // commits, SQLite has one writer at a time.
    const int64_t since = Int(game[0][3]);
    t.Execute("INSERT INTO owners (identity, player_id, game_id, verified) VALUES ($1, $2, $3, $4) "
              "ON CONFLICT (identity) DO NOTHING",
              {v.game, game[0][0], gameId, since});
    const std::string lock = db_.GetDialect() == Database::Dialect::kPostgres ? " FOR UPDATE OF o" : "";
    Owner first = *FindOwner(t, v.game, lock);
    // Verified again, a game ranked before the copy that took its identity
    // since is the first: that copy becomes its duplicate.
    if (first.gameId != gameId && again && std::pair(since, gameId) < std::pair(first.verified, first.gameId)) {
      t.Execute("UPDATE owners SET player_id = $2, game_id = $3, verified = $4 WHERE identity = $1",
                {v.game, game[0][0], gameId, since});
      const Owner copy = first;
      first = *FindOwner(t, v.game);
      MarkDuplicate(t, copy.gameId, v.game, first, now);
    }
    if (first.gameId != gameId) {
      MarkDuplicate(t, gameId, v.game, first, now);
      if (again) t.Execute(kBumpRanking);
      return;
    }
    t.Execute("UPDATE games SET state = 'accepted', identity = $2, score = $3, stage = $4, frames = $5, checksum = $6, "
              "verified = $7 WHERE id = $1",
              {gameId, v.game, int64_t{v.score}, int64_t{v.stage}, int64_t{v.frames}, std::to_string(v.checksum),
               since});
    // The player's best games of the season stay; the rest go.
    const std::vector<Row> beyond = t.Query(
        "SELECT id FROM games WHERE player_id = $1 AND season = $2 AND state = 'accepted' "
        "ORDER BY score DESC, received, id LIMIT 1000000000 OFFSET $3",
        {game[0][0], game[0][1], keepBest});
    for (const Row& r : beyond) t.Execute("DELETE FROM games WHERE id = $1", {r[0]});
    t.Execute(kBumpRanking);
  });
  return stored;
}

void Store::ReleaseJob(int64_t gameId, const std::string& owner) {
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    t.Execute("UPDATE jobs SET state = 'queued', lease_owner = NULL, lease_until = NULL "
              "WHERE game_id = $1 AND lease_owner = $2",
              {gameId, owner});
  });
}

std::optional<GameInfo> Store::FindGame(int64_t id) {
  std::optional<GameInfo> game;
  db_.Transact(Access::kRead, [&](Transaction& t) {
    const std::vector<Row> rows = t.Query(std::string(kGameColumns) + "WHERE g.id = $1 AND" + kShown, {id});
    if (!rows.empty()) game = GameFrom(rows[0]);
  });
  return game;
}

std::optional<Blob> Store::GameReplay(int64_t id) {
  std::optional<Blob> replay;
  db_.Transact(Access::kRead, [&](Transaction& t) {
    const std::vector<Row> rows = t.Query(
        std::string("SELECT g.replay FROM games g JOIN players p ON p.id = g.player_id WHERE g.id = $1 AND") + kShown,
        {id});
    if (!rows.empty()) replay = Bytes(rows[0][0]);
  });
  return replay;
}

std::optional<std::vector<GameInfo>> Store::PlayerGames(const std::string& nameKey) {
  std::optional<std::vector<GameInfo>> games;
  db_.Transact(Access::kRead, [&](Transaction& t) {
    if (t.Query("SELECT id FROM players WHERE name_key = $1 AND banned = 0", {nameKey}).empty()) return;
    games.emplace();
    for (const Row& r : t.Query(std::string(kGameColumns) + "WHERE p.name_key = $1 AND" + kShown +
                                    "ORDER BY g.received DESC, g.id DESC",
                                {nameKey}))
      games->push_back(GameFrom(r));
  });
  return games;
}

Store::DeleteResult Store::DeletePlayer(const std::string& nameKey, const TokenCheck& tokenMatches) {
  DeleteResult result = DeleteResult::kNoSuchPlayer;
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    const std::vector<Row> player = t.Query("SELECT id, token_hash FROM players WHERE name_key = $1", {nameKey});
    if (player.empty()) return void(result = DeleteResult::kNoSuchPlayer);
    if (!tokenMatches(Text(player[0][1]))) return void(result = DeleteResult::kWrongToken);
    // Games, their jobs and the submissions go with the player.
    t.Execute("DELETE FROM players WHERE id = $1", {player[0][0]});
    t.Execute(kBumpRanking);
    result = DeleteResult::kDeleted;
  });
  return result;
}

std::vector<RankedGame> Store::Ranking(int64_t season) {
  std::vector<RankedGame> ranking;
  db_.Transact(Access::kRead, [&](Transaction& t) {
    ranking.clear();
    for (const Row& r : t.Query(std::string("SELECT g.id, p.id, p.name, g.score, g.stage, g.frames, g.received "
                                            "FROM games g JOIN players p ON p.id = g.player_id "
                                            "WHERE g.season = $1 AND g.state = 'accepted' AND g.score > 0 AND") +
                                    kShown + "ORDER BY g.score DESC, g.received, g.id",
                                {season}))
      ranking.push_back({Int(r[0]), Int(r[1]), Text(r[2]), Int(r[3]), Int(r[4]), Int(r[5]), Int(r[6])});
  });
  return ranking;
}

std::vector<int64_t> Store::Seasons() {
  std::vector<int64_t> seasons;
  db_.Transact(Access::kRead, [&](Transaction& t) {
    seasons.clear();
    for (const Row& r : t.Query("SELECT DISTINCT season FROM games WHERE state = 'accepted' ORDER BY season DESC"))
      seasons.push_back(Int(r[0]));
  });
  return seasons;
}

int64_t Store::RankingGeneration() {
  int64_t generation = 0;
  db_.Transact(Access::kRead, [&](Transaction& t) {
    generation = Int(t.Query("SELECT generation FROM ranking_generation").at(0).at(0));
  });
  return generation;
}

void Store::CheckWritable() {
  db_.Transact(Access::kWrite, [](Transaction& t) {
    t.Execute("UPDATE ranking_generation SET generation = generation");
  });
}

int64_t Store::QueueLength() {
  int64_t length = 0;
  db_.Transact(Access::kRead, [&](Transaction& t) { length = Int(t.Query("SELECT COUNT(*) FROM jobs").at(0).at(0)); });
  return length;
}

bool Store::HideGame(int64_t id, bool hidden) {
  bool found = false;
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    found = t.Execute("UPDATE games SET hidden = $2 WHERE id = $1", {id, int64_t{hidden}}) == 1;
    t.Execute(kBumpRanking);
  });
  return found;
}

bool Store::RenamePlayer(const std::string& nameKey, const std::string& newName, const std::string& newNameKey) {
  bool renamed = false;
  try {
    db_.Transact(Access::kWrite, [&](Transaction& t) {
      renamed = t.Execute("UPDATE players SET name = $2, name_key = $3 WHERE name_key = $1",
                          {nameKey, newName, newNameKey}) == 1;
      t.Execute(kBumpRanking);
    });
  } catch (const StorageError& e) {
    if (e.kind() != StorageError::Kind::kConflict) throw;
    return false;
  }
  return renamed;
}

bool Store::BanPlayer(const std::string& nameKey, bool banned) {
  bool found = false;
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    found = t.Execute("UPDATE players SET banned = $2 WHERE name_key = $1", {nameKey, int64_t{banned}}) == 1;
    t.Execute(kBumpRanking);
  });
  return found;
}

void Store::Prune(int64_t refusedBefore, int64_t addressesBefore) {
  db_.Transact(Access::kWrite, [&](Transaction& t) {
    t.Execute("DELETE FROM games WHERE state = 'refused' AND verified < $1", {refusedBefore});
    t.Execute("DELETE FROM submissions WHERE at < $1", {addressesBefore});
  });
}

}  // namespace board
