// The store's rules on a real SQLite database, without processes: the queue's
// leases and attempts, a verdict stored once, the best ten kept, the frame
// budgets, and what is forgotten when.
#include <gtest/gtest.h>

#include "server/migrations.h"
#include "server/players.h"
#include "server/store.h"
#include "tests/board/board_fixture.h"

namespace board_test {
namespace {

using board::SubmitResult;

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() : db_(board::OpenSqlite((folder_.path() / "data").string(), 4)), store_(*db_) { board::Migrate(*db_); }

  // A game of `frames` frames from `address`, under `name` (the first use of
  // a name registers it with the token "t").
  SubmitResult Send(const std::string& name, int id, int64_t frames = 1000, const std::string& address = "a",
                    int64_t now = kNow) {
    return store_.Submit(StoreSubmission(name, Identity(id), frames, id, address, now), board::TokenHash("t"),
                         board::MatchesToken("t"), limits_);
  }
  static verify::Verdict Accepted(const std::string& identity, int32_t score) {
    return AcceptedVerdict(identity, score);
  }
  static std::string Identity(int id) { return "game " + std::to_string(id); }

  static constexpr int64_t kNow = 1800000000;
  TempFolder folder_{"store"};
  std::unique_ptr<board::Database> db_;
  board::Store store_;
  board::SubmitLimits limits_;
};

TEST_F(StoreTest, AJobIsLeasedRetriedAndJudgedOnce) {
  const int64_t game = Send("Ace", 1).gameId;
  const auto first = store_.ClaimJob("one", kNow, kNow + 30, 3);
  ASSERT_TRUE(first);
  EXPECT_FALSE(store_.ClaimJob("two", kNow + 10, kNow + 40, 3)) << "leased to one";
  // One's lease runs out: two takes the job and judges it; one's late
  // verdict is not stored.
  const auto second = store_.ClaimJob("two", kNow + 31, kNow + 61, 3);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->attempts, 2);
  EXPECT_FALSE(store_.RenewLease(game, "one", kNow + 90));
  EXPECT_TRUE(store_.FinishJob(game, "two", Accepted(Identity(1), 500), kNow + 40, 10));
  EXPECT_FALSE(store_.FinishJob(game, "one", verify::Verdict::Refused("late"), kNow + 41, 10));
  EXPECT_EQ(store_.FindGame(game)->state, "accepted");
  EXPECT_EQ(store_.QueueLength(), 0);
}

TEST_F(StoreTest, AGameTheVerifierFailsOnIsRefusedAfterTheLastAttempt) {
  const int64_t game = Send("Ace", 1).gameId;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    const auto job = store_.ClaimJob("one", kNow + attempt, kNow + attempt + 30, 3);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->attempts, attempt);
    store_.ReleaseJob(game, "one");
  }
  EXPECT_FALSE(store_.ClaimJob("one", kNow + 10, kNow + 40, 3));
  EXPECT_EQ(store_.FindGame(game)->state, "refused");
  EXPECT_NE(store_.FindGame(game)->reason.find("could not be verified"), std::string::npos);
}

TEST_F(StoreTest, APlayerKeepsTheBestTenOfASeason) {
  for (int i = 1; i <= 12; ++i) {
    const int64_t game = Send("Ace", i).gameId;
    ASSERT_TRUE(store_.ClaimJob("one", kNow, kNow + 30, 3));
    ASSERT_TRUE(store_.FinishJob(game, "one", Accepted(Identity(i), 100 * (i % 7 + 1)), kNow, 10));
  }
  const auto ranking = store_.Ranking(1);
  ASSERT_EQ(ranking.size(), 10u);
  for (size_t i = 1; i < ranking.size(); ++i) {
    EXPECT_GE(ranking[i - 1].score, ranking[i].score);
    if (ranking[i - 1].score == ranking[i].score) {
      EXPECT_LT(ranking[i - 1].id, ranking[i].id);
    }
  }
  EXPECT_EQ(ranking.back().score, 200);  // the two 100-point games went
}

TEST_F(StoreTest, FramesAreBudgetedPerNameAndPerAddressAndTheQueueIsBounded) {
  limits_.framesPerHourByName = 3000;
  limits_.framesPerHourByAddress = 5000;
  limits_.queueBound = 6;
  using Kind = SubmitResult::Kind;
  const struct {
    const char* name;
    int64_t frames;
    const char* address;
    int64_t at;
    Kind kind;
    int64_t retryAfter;
  } rows[] = {
      {"Ace", 2000, "a", 0, Kind::kQueued, 0},
      {"Ace", 1500, "b", 100, Kind::kNameLimited, 3500},   // 3500 > 3000 until the first leaves the hour
      {"Bob", 2500, "a", 200, Kind::kQueued, 0},
      {"Cy", 1000, "a", 300, Kind::kAddressLimited, 3300},
      {"Ace", 1000, "b", 400, Kind::kQueued, 0},
      {"Ace", 1500, "c", 3601, Kind::kQueued, 0},          // the first game is an hour old
      {"Dee", 10, "d", 3700, Kind::kQueued, 0},
      {"Eve", 10, "e", 3700, Kind::kQueued, 0},
      {"Fay", 10, "f", 3700, Kind::kQueueFull, 0},
  };
  int id = 1;
  for (const auto& row : rows) {
    const SubmitResult r = Send(row.name, id++, row.frames, row.address, kNow + row.at);
    EXPECT_EQ(r.kind, row.kind) << row.name << " at " << row.at;
    EXPECT_EQ(r.retryAfter, row.retryAfter) << row.name << " at " << row.at;
  }
}

TEST_F(StoreTest, RefusedGamesGoAfterAWeekAndAddressesAfterAMonth) {
  const int64_t refused = Send("Ace", 1).gameId;
  const int64_t accepted = Send("Ace", 2).gameId;
  ASSERT_TRUE(store_.ClaimJob("one", kNow, kNow + 30, 3));
  ASSERT_TRUE(store_.FinishJob(refused, "one", verify::Verdict::Refused("no"), kNow, 10));
  ASSERT_TRUE(store_.ClaimJob("one", kNow, kNow + 30, 3));
  ASSERT_TRUE(store_.FinishJob(accepted, "one", Accepted(Identity(2), 10), kNow, 10));
  constexpr int64_t kDay = 86400;
  store_.Prune(kNow - 7 * kDay, kNow - 30 * kDay);
  EXPECT_TRUE(store_.FindGame(refused));
  store_.Prune(kNow + 1, kNow - 30 * kDay);
  EXPECT_FALSE(store_.FindGame(refused));
  EXPECT_TRUE(store_.FindGame(accepted));
  // The addresses: a budget counted from them is gone with them.
  limits_.framesPerHourByAddress = 1500;
  EXPECT_EQ(Send("Bob", 3, 1000, "a", kNow + 10).kind, SubmitResult::Kind::kAddressLimited);
  store_.Prune(kNow, kNow + 1);
  EXPECT_EQ(Send("Bob", 3, 1000, "a", kNow + 10).kind, SubmitResult::Kind::kQueued);
}

}  // namespace
}  // namespace board_test
