// Fifty players submitting at once to a board whose queue holds eight: the
// board answers the overflow "busy" (503), the client asks again, and every
// game is verified and answered once, none lost. (Throughput is measured in
// bench/board_load.sh, not here.)
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "platform/board_client.h"
#include "tests/board/board_fixture.h"

namespace board_test {
namespace {

TEST(BoardLoad, FiftyAtOnceAreEachVerifiedOnceThroughABoundedQueue) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("load");
  // The fifty come from one address, as players behind one proxy would.
  BoardProcess board(folder.path(), {"--data", (folder.path() / "data").string(), "--queue", "8",
                                     "--connections-per-address", "64"});
  ASSERT_TRUE(board.Started()) << board.Log();
  constexpr int kPlayers = 50;
  std::vector<platform::BoardAnswer> answers(kPlayers);
  std::vector<std::thread> players;
  for (int i = 0; i < kPlayers; ++i)
    players.emplace_back([&, i] {
      const std::string name = "Player " + std::to_string(i);
      answers[i] = platform::SubmitReplay(board.Url(), name,
                                          ShortReplay(recorded.games[0].file, static_cast<uint16_t>(30 + i)),
                                          (folder.path() / name).string());
    });
  for (std::thread& t : players) t.join();
  std::set<int64_t> ids;
  int busy = 0;
  for (int i = 0; i < kPlayers; ++i) {
    const platform::BoardAnswer& a = answers[i];
    // Each game's own verdict: its input ends before its game does.
    EXPECT_EQ(a.kind, platform::BoardAnswer::Kind::kRefused) << i << ": " << a.reason;
    EXPECT_EQ(a.reason, "its game had not ended after the " + std::to_string(30 + i) + " frames run");
    ids.insert(a.gameId);
    busy += a.busyRetries;
  }
  EXPECT_EQ(ids.size(), static_cast<size_t>(kPlayers));
  EXPECT_GT(busy, 0);
  // No verification failed or was stored twice.
  EXPECT_EQ(board.Log().find("game "), std::string::npos) << board.Log();
}

}  // namespace
}  // namespace board_test
