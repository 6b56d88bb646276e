// One game, ranked once, by its first verified sender: the store's rules on
// SQLite and on PostgreSQL, without processes. Copies waiting or refused
// never make a duplicate; the first copy verified owns the game, later ones
// are told whose it is; two copies verified at the same moment rank once; a
// wrong token costs its address; and the migration that proves the stored
// games' identities leaves a game ranked more than once ranked as its first.
#include <gtest/gtest.h>

#include <barrier>
#include <map>
#include <pqxx/pqxx>
#include <thread>

#include "platform/board_rules.h"
#include "server/migrations.h"
#include "server/players.h"
#include "server/store.h"
#include "tests/board/board_fixture.h"

namespace board_test {
namespace {

using board::SubmitResult;
using Kind = SubmitResult::Kind;

constexpr int64_t kNow = 1800000000;

enum class Backend { kSqlite, kPostgres };

// One PostgreSQL server for the program, a database of its own per test.
const PostgresServer& SharedPostgres() {
  static PostgresServer server;
  return server;
}

class Ownership : public ::testing::TestWithParam<Backend> {
 protected:
  // A fresh database, at the schema's first version when `old`.
  std::unique_ptr<board::Database> Open(bool old = false) {
    std::unique_ptr<board::Database> db;
    if (GetParam() == Backend::kSqlite) {
      db = board::OpenSqlite((folder_.path() / ("data" + std::to_string(++opened_))).string(), 4);
    } else {
      const PostgresServer& server = SharedPostgres();
      if (!server.Running()) return nullptr;
      static int databases = 0;
      const std::string name = "t" + std::to_string(++databases);
      pqxx::connection c(server.Url());
      pqxx::nontransaction(c).exec("CREATE DATABASE " + name);
      std::string url = server.Url();
      url.replace(url.find("/postgres?"), 10, "/" + name + "?");
      db = board::OpenPostgres(url, 4);
    }
    if (!old) {
      board::Migrate(*db);
      return db;
    }
    const char* dialect = GetParam() == Backend::kSqlite ? "sqlite" : "postgres";
    for (const board::Migration& m : board::kMigrations)
      if (m.version == 1 && std::string(m.dialect) == dialect)
        db->Transact(board::Database::Access::kWrite, [&](board::Transaction& t) {
          t.ExecuteScript(m.sql);
          t.ExecuteScript("CREATE TABLE schema_migrations (version BIGINT PRIMARY KEY, applied BIGINT NOT NULL)");
          t.Execute("INSERT INTO schema_migrations VALUES (1, 0)");
        });
    return db;
  }

  static board::Submission Game(const std::string& name, int game, int64_t now, const std::string& address = "a") {
    return StoreSubmission(name, Identity(game), 1000, 100 * game, address, now);
  }
  // Every name's token is its own name.
  static SubmitResult Send(board::Store& store, const std::string& name, int game, int64_t now,
                           board::SubmitLimits limits = {}) {
    return store.Submit(Game(name, game, now), board::TokenHash(name), board::MatchesToken(name), limits);
  }
  static verify::Verdict Accepted(int game) { return AcceptedVerdict(Identity(game), 100 * game); }
  static std::string Identity(int game) { return "proven " + std::to_string(game); }

  TempFolder folder_{"ownership"};
  int opened_ = 0;
};

#define OPEN(db, ...)        \
  auto db = Open(__VA_ARGS__); \
  if (!db) FAIL() << "no PostgreSQL: " << SharedPostgres().Error();

TEST_P(Ownership, OnlyAVerifiedGameMakesAnotherADuplicate) {
  // A scenario's steps: a game sent under a name, or the next job verified.
  // Each says what came of it: games by the order they were sent (#0, #1 ...).
  enum class Do { kSend, kAccept, kRefuse, kFailThrice };
  struct Step {
    Do what;
    std::string name;  // kSend
    int game = 0;      // kSend: the game (its identity); a verdict is for the job's game
    std::string says;
  };
  const struct {
    const char* scenario;
    std::vector<Step> steps;
  } scenarios[] = {
      {"a copy with an edited score refused first",
       {{Do::kSend, "Ace", 1, "queued"},
        {Do::kRefuse, "", 0, "#0 refused"},
        {Do::kSend, "Ace", 1, "queued"},
        {Do::kAccept, "", 0, "#1 accepted"}}},
      {"a copy the verifier failed on first",
       {{Do::kSend, "Ace", 1, "queued"},
        {Do::kFailThrice, "", 0, "#0 refused"},
        {Do::kSend, "Bob", 1, "queued"},
        {Do::kAccept, "", 0, "#1 accepted"}}},
      {"copies waiting together: the first verified owns the game",
       {{Do::kSend, "Ace", 1, "queued"},
        {Do::kSend, "Bob", 1, "queued"},
        {Do::kSend, "Ace", 1, "queued"},
        {Do::kAccept, "", 0, "#0 accepted"},
        {Do::kAccept, "", 0, "#1 refused as #0's, Ace's"},
        {Do::kAccept, "", 0, "#2 refused as #0's, Ace's"}}},
      {"a verified game: its owner told it was sent, others whose it is",
       {{Do::kSend, "Ace", 1, "queued"},
        {Do::kAccept, "", 0, "#0 accepted"},
        {Do::kSend, "Ace", 1, "duplicate of #0, Ace's"},
        {Do::kSend, "Bob", 2, "queued"},
        {Do::kAccept, "", 0, "#1 accepted"},
        {Do::kSend, "Bob", 1, "another's: #0, Ace's"},
        {Do::kSend, "New", 1, "another's: #0, Ace's (not registered)"},
        {Do::kSend, "New", 3, "queued"}}},
      {"a game dropped from its owner's best stays the owner's",
       {{Do::kSend, "Ace", 1, "queued"},
        {Do::kAccept, "", 0, "#0 accepted"},
        {Do::kSend, "Ace", 2, "queued"},
        {Do::kAccept, "", 0, "#1 accepted"},  // the best one kept: #0 goes
        {Do::kSend, "Bob", 1, "another's: #0, Ace's (not registered)"}}},
  };
  for (const auto& scenario : scenarios) {
    SCOPED_TRACE(scenario.scenario);
    OPEN(db);
    board::Store store(*db);
    std::map<int64_t, int> sent;  // game id -> its place in the order sent
    const auto place = [&](int64_t id) { return "#" + std::to_string(sent.count(id) ? sent[id] : -1); };
    int64_t now = kNow;
    for (const Step& step : scenario.steps) {
      ++now;
      std::string says;
      if (step.what == Do::kSend) {
        const SubmitResult r = Send(store, step.name, step.game, now);
        if (r.kind == Kind::kQueued) sent.emplace(r.gameId, static_cast<int>(sent.size()));
        says = r.kind == Kind::kQueued         ? "queued"
               : r.kind == Kind::kDuplicate    ? "duplicate of " + place(r.gameId) + ", " + r.owner + "'s"
               : r.kind == Kind::kAnothersGame ? "another's: " + place(r.gameId) + ", " + r.owner + "'s"
                                               : "kind " + std::to_string(static_cast<int>(r.kind));
        if (!store.PlayerGames(platform::BoardNameKey(step.name))) says += " (not registered)";
      } else {
        std::optional<board::Job> job;
        for (int attempt = 0; attempt < (step.what == Do::kFailThrice ? 3 : 1); ++attempt) {
          job = store.ClaimJob("w", now, now + 30, 3);
          ASSERT_TRUE(job) << "no job for: " << step.says;
          if (step.what == Do::kFailThrice) store.ReleaseJob(job->gameId, "w");
        }
        if (step.what == Do::kFailThrice) EXPECT_FALSE(store.ClaimJob("w", now, now + 30, 3));
        else
          ASSERT_TRUE(store.FinishJob(job->gameId, "w",
                                      step.what == Do::kAccept ? Accepted(store.FindGame(job->gameId)->claimedScore / 100)
                                                               : verify::Verdict::Refused("edited"),
                                      now, 1));
        const std::optional<board::GameInfo> g = store.FindGame(job->gameId);
        ASSERT_TRUE(g);
        says = place(g->id) + " " + g->state;
        if (g->duplicateOf) {
          says += " as " + place(g->duplicateOf) + "'s, " + g->owner + "'s";
          EXPECT_EQ(g->reason, "the same game as game " + std::to_string(g->duplicateOf) + ", ranked already under " +
                                   g->owner);
        }
      }
      EXPECT_EQ(says, step.says);
    }
    // The ranking holds each game once.
    std::map<int64_t, int> ranked;
    for (const board::RankedGame& g : store.Ranking(1)) EXPECT_EQ(++ranked[g.score], 1) << g.score;
  }
}

// Two copies of one game verified at the same moment, each by its own
// verifier: one is ranked, the other told it is its duplicate.
TEST_P(Ownership, TwoCopiesVerifiedAtOnceRankOnce) {
  OPEN(db);
  board::Store store(*db);
  for (int round = 1; round <= 8; ++round) {
    const int64_t now = kNow + round;
    const int64_t first = Send(store, "Ace", round, now).gameId;
    const int64_t second = Send(store, "Bob", round, now).gameId;
    const auto a = store.ClaimJob("a", now, now + 30, 3);
    const auto b = store.ClaimJob("b", now, now + 30, 3);
    ASSERT_TRUE(a && b);
    std::barrier start(2);
    const auto finish = [&](const board::Job& job, const char* owner) {
      start.arrive_and_wait();
      EXPECT_TRUE(store.FinishJob(job.gameId, owner, Accepted(round), now, 10));
    };
    std::thread one(finish, *a, "a"), two(finish, *b, "b");
    one.join();
    two.join();
    const auto x = store.FindGame(first), y = store.FindGame(second);
    ASSERT_TRUE(x && y);
    EXPECT_EQ((x->state == "accepted") + (y->state == "accepted"), 1) << "round " << round;
    const board::GameInfo& loser = x->state == "accepted" ? *y : *x;
    const board::GameInfo& winner = x->state == "accepted" ? *x : *y;
    EXPECT_EQ(loser.duplicateOf, winner.id);
    EXPECT_EQ(loser.owner, winner.player);
  }
  EXPECT_EQ(store.Ranking(1).size(), 8u);
}

TEST_P(Ownership, AWrongTokenIsRefusedBeforeTheReplayIsReadAndCostsItsAddress) {
  OPEN(db);
  board::Store store(*db);
  board::SubmitLimits limits;
  limits.framesPerHourByAddress = 2000;  // a wrong token costs 20 frames
  ASSERT_EQ(Send(store, "Ace", 1, kNow, limits).kind, Kind::kQueued);
  ASSERT_EQ(Send(store, "Banned", 2, kNow, limits).kind, Kind::kQueued);
  ASSERT_TRUE(store.BanPlayer("banned", true));
  // Before any wrong token: the address "a" has 1000 of its 2000 frames left.
  const struct {
    const char* what;
    std::string name, token, address;
    std::optional<Kind> refused;
  } rows[] = {
      {"the name's token", "ace", "Ace", "b", std::nullopt},
      {"a new name", "Cy", "", "b", std::nullopt},
      {"a wrong token", "Ace", "Bob", "b", Kind::kNameTaken},
      {"no token", "Ace", "", "b", Kind::kNameTaken},
      {"a banned name, its token", "Banned", "Banned", "b", Kind::kBanned},
  };
  for (const auto& row : rows) {
    const auto r = store.CheckSender(platform::BoardNameKey(row.name), row.address, board::MatchesToken(row.token), limits, kNow);
    EXPECT_EQ(r ? std::optional(r->kind) : std::nullopt, row.refused) << row.what;
  }
  // 98 more wrong tokens: 100 in all, the address's whole hour.
  for (int i = 0; i < 98; ++i)
    ASSERT_EQ(store.CheckSender("ace", "b", board::MatchesToken("x"), limits, kNow)->kind, Kind::kNameTaken);
  const auto limited = store.CheckSender("ace", "b", board::MatchesToken("Ace"), limits, kNow + 60);
  ASSERT_TRUE(limited);
  EXPECT_EQ(limited->kind, Kind::kAddressLimited);
  EXPECT_EQ(limited->retryAfter, 3600 - 60);
  // Another address, and the name's own budget, are untouched.
  EXPECT_FALSE(store.CheckSender("ace", "c", board::MatchesToken("Ace"), limits, kNow));
  limits.framesPerHourByName = 2000;
  EXPECT_EQ(store.Submit(Game("Ace", 3, kNow, "c"), "", board::MatchesToken("Ace"), limits).kind, Kind::kQueued);
  // The wrong tokens are forgotten with the addresses.
  store.Prune(kNow, kNow + 1);
  EXPECT_FALSE(store.CheckSender("ace", "b", board::MatchesToken("Ace"), limits, kNow + 60));
}

// A board of the first schema with a game ranked twice (under two names, its
// two files of two identities then) is migrated: every ranked game is
// verified again, and the game stays ranked as the copy verified first, even
// when that copy's second verification ends last.
TEST_P(Ownership, TheMigrationVerifiesTheRankedGamesAgain) {
  OPEN(db, true);
  db->Transact(board::Database::Access::kWrite, [](board::Transaction& t) {
    t.Execute("INSERT INTO players (name, name_key, token_hash, created) VALUES ('Ace', 'ace', 'h', 0), "
              "('Bob', 'bob', 'h', 0)");
    const struct {
      const char* fileIdentity;
      int64_t player, score;
      const char* state;
      int64_t received;
    } games[] = {
        {"file 1", 1, 100, "accepted", 10},  // game 1, first verified
        {"file 1b", 2, 100, "accepted", 20}, // the same game, another file, another name
        {"file 3", 2, 300, "pending", 25},
        {"file 2", 1, 200, "accepted", 30},
        {"file 4", 1, 0, "refused", 40},
    };
    for (const auto& g : games) {
      const bool accepted = std::string(g.state) == "accepted";
      t.Execute("INSERT INTO games (identity, player_id, season, state, claimed_score, frames, score, stage, received, "
                "verified, replay) VALUES ($1, $2, 1, $3, $4, 1000, $5, $6, $7, $8, $9)",
                {g.fileIdentity, g.player, g.state, g.score, accepted ? board::Value(g.score) : board::Value(),
                 accepted ? board::Value(int64_t{1}) : board::Value(), g.received,
                 std::string(g.state) == "pending" ? board::Value() : board::Value(g.received + 1),
                 board::Blob{1}});
    }
    t.Execute("INSERT INTO jobs (game_id, state, queued) VALUES (3, 'queued', 25)");
  });
  EXPECT_EQ(board::Migrate(*db), 2);
  board::Store store(*db);
  EXPECT_EQ(store.Ranking(1).size(), 3u) << "ranked as they were until verified again";
  EXPECT_EQ(store.QueueLength(), 4);
  // The games verified again count against no bound: one game waits.
  board::SubmitLimits limits;
  limits.queueBound = 2;
  EXPECT_EQ(Send(store, "Cy", 5, kNow, limits).kind, Kind::kQueued);
  EXPECT_EQ(Send(store, "Cy", 6, kNow, limits).kind, Kind::kQueueFull);

  // The jobs come in the order the games were first verified; the two
  // copies of game 1 are verified at once, the later one finishing first.
  const auto first = store.ClaimJob("a", kNow, kNow + 30, 3), copy = store.ClaimJob("b", kNow, kNow + 30, 3);
  ASSERT_TRUE(first && copy);
  EXPECT_EQ(first->gameId, 1);
  EXPECT_EQ(copy->gameId, 2);
  EXPECT_TRUE(store.FinishJob(2, "b", Accepted(1), kNow, 10));
  EXPECT_TRUE(store.FinishJob(1, "a", Accepted(1), kNow, 10));
  for (int64_t id : {3, 4, 6}) {
    const auto job = store.ClaimJob("a", kNow, kNow + 30, 3);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->gameId, id);
    EXPECT_TRUE(store.FinishJob(id, "a", Accepted(static_cast<int>(store.FindGame(id)->claimedScore / 100)), kNow, 10));
  }
  const struct {
    int64_t id;
    const char* state;
    int64_t duplicateOf;
    int64_t verified;
  } expected[] = {{1, "accepted", 0, 11}, {2, "refused", 1, kNow}, {3, "accepted", 0, kNow}, {4, "accepted", 0, 31},
                  {5, "refused", 0, 41},      {6, "accepted", 0, kNow}};
  for (const auto& e : expected) {
    const auto g = store.FindGame(e.id);
    ASSERT_TRUE(g) << e.id;
    EXPECT_EQ(g->state, e.state) << e.id;
    EXPECT_EQ(g->duplicateOf, e.duplicateOf) << e.id;
    EXPECT_EQ(g->verified, e.verified) << e.id;
  }
  EXPECT_EQ(store.FindGame(2)->owner, "Ace");
  // Ranked once each: game 1 as Ace's, games 2, 3 and Cy's 5.
  EXPECT_EQ(store.Ranking(1).size(), 4u);
  EXPECT_EQ(Send(store, "Dee", 1, kNow, limits).kind, Kind::kAnothersGame);
}

INSTANTIATE_TEST_SUITE_P(Backends, Ownership, ::testing::Values(Backend::kSqlite, Backend::kPostgres),
                         [](const auto& info) { return info.param == Backend::kSqlite ? "Sqlite" : "Postgres"; });

}  // namespace
}  // namespace board_test
