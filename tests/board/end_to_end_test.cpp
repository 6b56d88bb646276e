// The board end to end, on SQLite and on PostgreSQL: games the runner
// records, submitted with its --submit, verified by solvara-verify processes,
// ranked in order and shown on the page; a replay with one input changed is
// refused with the verifier's reason; a board killed while verifying loses
// and doubles nothing.
#include <gtest/gtest.h>
#include <httplib.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "game/records/replay_file.h"
#include "platform/base64.h"
#include "platform/child_process.h"
#include "server/html.h"
#include "tests/board/board_fixture.h"
#include "tests/recorded_games.h"

namespace board_test {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

// The runner's own verdict on a replay, for the reason the board must give.
std::string RunnerReason(const fs::path& replay, const fs::path& home) {
  const Printed p = Probe({"--replay", replay.string(), "--verify", "--home", home.string()});
  const std::string reason = After(p.output, "did not play as recorded: ");
  return reason.empty() ? "no refusal in: " + p.output : reason;
}

enum class Backend { kSqlite, kPostgres };

class BoardEndToEnd : public ::testing::TestWithParam<Backend> {
 protected:
  // The options that choose the database, starting PostgreSQL when needed.
  std::vector<std::string> Database() {
    if (GetParam() == Backend::kSqlite) return {"--data", (folder_.path() / "data").string()};
    postgres_ = std::make_unique<PostgresServer>();
    EXPECT_TRUE(postgres_->Running()) << postgres_->Error();
    return {"--postgres", postgres_->Url()};
  }

  TempFolder folder_{"e2e"};
  std::unique_ptr<PostgresServer> postgres_;
};

TEST_P(BoardEndToEnd, RanksVerifiedGamesAndRefusesAChangedOne) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_EQ(recorded.games.size(), 3u);
  ASSERT_FALSE(recorded.late.empty());
  std::vector<std::string> options = Database();
  if (HasFailure()) return;
  options.insert(options.end(), {"--verifiers", "2", "--lease", "5"});
  auto board = std::make_unique<BoardProcess>(folder_.path(), options);
  ASSERT_TRUE(board->Started()) << board->Log();

  // Names that are HTML and SQL, sent as they are.
  const std::string names[] = {"Ace", "<i>Zed&\"", "x');DROP TABLE x"};
  const fs::path home = folder_.path() / "home";
  // Sent first: once its game is ranked, a file claiming that game is
  // answered by it, without being played.
  const Printed changed =
      Probe({"--submit", recorded.changed.string(), "--server", board->Url(), "--name", "Ace", "--home", home.string()});
  EXPECT_EQ(changed.status, 1);
  EXPECT_NE(changed.output.find("refused: " + RunnerReason(recorded.changed, home)), std::string::npos)
      << changed.output;
  for (size_t i = 0; i < recorded.games.size(); ++i) {
    const Printed p =
        Probe({"--submit", recorded.games[i].file.string(), "--server", board->Url(), "--name", names[i], "--home",
               home.string()});
    EXPECT_EQ(p.status, 0) << p.output;
    EXPECT_NE(p.output.find("accepted: " + std::to_string(recorded.games[i].score) + " points"), std::string::npos)
        << p.output;
  }
  // The same game again is the same game, whatever its file says.
  const Printed again =
      Probe({"--submit", recorded.games[0].file.string(), "--server", board->Url(), "--name", "Ace", "--home",
             home.string()});
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_NE(again.output.find("(sent before, under Ace) accepted"), std::string::npos) << again.output;

  // The ranking: highest score first.
  std::vector<std::pair<int32_t, std::string>> expected;
  for (size_t i = 0; i < recorded.games.size(); ++i) expected.emplace_back(recorded.games[i].score, names[i]);
  std::sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.first > b.first; });
  auto client = board->Client();
  const auto ranking = client->Get("/api/ranking");
  ASSERT_TRUE(ranking);
  ASSERT_EQ(ranking->status, 200);
  const json entries = json::parse(ranking->body)["entries"];
  ASSERT_EQ(entries.size(), expected.size()) << ranking->body;
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i]["rank"], i + 1);
    EXPECT_EQ(entries[i]["score"], expected[i].first);
    EXPECT_EQ(entries[i]["player"], expected[i].second);
  }
  // The page: the same order, names escaped.
  const auto page = client->Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->body.find("<i>Zed"), std::string::npos);
  size_t at = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    const std::string name = board::HtmlEscape(expected[i].second);
    const std::string row =
        "<tr><td class=\"n\">" + std::to_string(i + 1) + "</td><td class=\"text\"><a href=\"/players/";
    at = page->body.find(row, at);
    ASSERT_NE(at, std::string::npos) << "rank " << i + 1 << "\n" << page->body;
    EXPECT_NE(page->body.find(">" + name + "</a></td><td class=\"n\">" + std::to_string(expected[i].first), at),
              std::string::npos)
        << name;
  }

  // The operator's commands on the database the board runs on; the board
  // shows their effect within its refresh.
  const auto operate = [&](std::vector<std::string> command) {
    std::vector<std::string> argv{kBuild + "/solvara-board"};
    argv.insert(argv.end(), options.begin(), options.begin() + 2);
    argv.insert(argv.end(), command.begin(), command.end());
    return platform::RunChild(argv, {}, {.keepStderr = false}).exitStatus;
  };
  // Whether the ranking comes to pass `holds` within five seconds.
  const auto becomes = [&](const std::function<bool(const json&)>& holds) {
    for (int i = 0; i < 50; ++i, std::this_thread::sleep_for(100ms))
      if (holds(json::parse(client->Get("/api/ranking")->body)["entries"])) return true;
    return false;
  };
  const std::string top = std::to_string(entries[0]["id"].get<int64_t>());
  const std::string topName = entries[0]["player"];
  EXPECT_EQ(operate({"hide", top}), 0);
  EXPECT_TRUE(becomes([&](const json& e) { return e.size() == entries.size() - 1; }));
  EXPECT_EQ(operate({"show", top}), 0);
  EXPECT_TRUE(becomes([&](const json& e) { return e == entries; }));
  EXPECT_EQ(operate({"rename", topName, "Renamed"}), 0);
  EXPECT_TRUE(becomes([&](const json& e) { return e[0]["player"] == "Renamed"; }));
  EXPECT_EQ(operate({"rename", "Renamed", topName}), 0);
  EXPECT_EQ(operate({"ban", topName}), 0);
  EXPECT_TRUE(becomes([&](const json& e) { return e.size() == entries.size() - 1; }));
  EXPECT_EQ(operate({"unban", topName}), 0);
  EXPECT_TRUE(becomes([&](const json& e) { return e == entries; }));
  EXPECT_EQ(operate({"hide", "999999"}), 1);
  EXPECT_EQ(operate({"ban", "Nobody"}), 1);
  const fs::path copy = folder_.path() / "backup";
  EXPECT_EQ(operate({"backup", copy.string()}), 0);
  EXPECT_GT(fs::file_size(copy), 0u);

  // Killed while verifying and started again: the job's lease runs out and
  // the game is verified once.
  const std::vector<uint8_t> late = ReadBytes(recorded.late);
  const auto queued = client->Post(
      "/api/games", json{{"name", "Late"}, {"replay", platform::Base64Encode(late)}}.dump(), "application/json");
  ASSERT_TRUE(queued);
  ASSERT_EQ(queued->status, 202) << queued->body;
  const int64_t id = json::parse(queued->body)["id"];
  std::this_thread::sleep_for(100ms);
  board->Kill();
  board = std::make_unique<BoardProcess>(folder_.path(), options);
  ASSERT_TRUE(board->Started()) << board->Log();
  client = board->Client();
  std::string state;
  for (int i = 0; i < 300 && state != "accepted"; ++i, std::this_thread::sleep_for(100ms)) {
    const auto game = client->Get("/api/games/" + std::to_string(id));
    ASSERT_TRUE(game);
    state = json::parse(game->body).value("state", "");
  }
  EXPECT_EQ(state, "accepted");
  const json all = json::parse(client->Get("/api/ranking?all=1")->body);
  EXPECT_EQ(all["total"], expected.size() + 1);
  EXPECT_EQ(std::count_if(all["entries"].begin(), all["entries"].end(), [&](const json& e) { return e["id"] == id; }),
            1);
}

// A copy of `game` changed by `change`, in the folder.
fs::path Copy(const fs::path& game, const fs::path& folder, const std::string& name,
              const std::function<void(game::Replay&)>& change) {
  game::Replay replay;
  std::string reason;
  EXPECT_TRUE(game::ReadReplayFile(game.string(), replay, reason)) << reason;
  change(replay);
  const fs::path file = folder / (name + ".rpl");
  WriteBytes(file, game::EncodeReplay(replay));
  return file;
}

// One game in four files (its own, a copy with an edited score, a format-1
// copy, input on frames that read none), sent under three names: ranked once,
// for the first name that had it verified, and each sender told what became
// of it. Two copies of another game sent at once are ranked once too.
TEST_P(BoardEndToEnd, AGameIsRankedOnceForItsFirstVerifiedSender) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_EQ(recorded.games.size(), 3u);
  std::vector<std::string> options = Database();
  if (HasFailure()) return;
  options.insert(options.end(), {"--verifiers", "2"});
  BoardProcess board(folder_.path(), options);
  ASSERT_TRUE(board.Started()) << board.Log();
  const fs::path game = recorded.games[1].file;
  const std::string score = std::to_string(recorded.games[1].score);
  const fs::path edited = Copy(game, folder_.path(), "edited", [](game::Replay& r) { r.finalScore += 100; });
  const fs::path formatOne = Copy(game, folder_.path(), "format1", [](game::Replay& r) {
    r.format = 1;
    r.checkpoints.clear();
  });
  const fs::path unread = Copy(game, folder_.path(), "unread", test_games::ClearFlyInInput);
  const fs::path home = folder_.path() / "home";
  const struct {
    const char* what;
    fs::path file;
    std::string name;
    int status;
    std::string says;
  } steps[] = {
      {"the edited copy first", edited, "Ace", 1, "refused: the game ended with " + score + " points"},
      {"the game itself", game, "Ace", 0, "accepted: " + score + " points"},
      {"its format-1 copy, same name", formatOne, "ace", 0, "(sent before, under Ace) accepted: " + score + " points"},
      {"the unread input, another name", unread, "Bob", 1, "not taken (409): this game is ranked already, as game "},
      {"the format-1 copy, another name", formatOne, "Bob", 1, "refused: the same game as game "},
  };
  for (const auto& step : steps) {
    const Printed p = Probe({"--submit", step.file.string(), "--server", board.Url(), "--name", step.name, "--home",
                             home.string()});
    EXPECT_EQ(p.status, step.status) << step.what << ": " << p.output;
    EXPECT_NE(p.output.find(step.says), std::string::npos) << step.what << ": " << p.output;
    if (step.name == "Bob") {
      EXPECT_NE(p.output.find(" under Ace"), std::string::npos) << step.what << ": " << p.output;
    }
  }

  // Two copies of another game at once, under two names.
  auto client = board.Client();
  const fs::path other = recorded.games[2].file;
  const fs::path otherCopy = Copy(other, folder_.path(), "other", test_games::ClearFlyInInput);
  std::vector<int64_t> ids(2);
  std::vector<std::thread> senders;
  for (int i = 0; i < 2; ++i)
    senders.emplace_back([&, i] {
      const auto res = board.Client()->Post(
          "/api/games",
          json{{"name", i ? "Dee" : "Cy"}, {"replay", platform::Base64Encode(ReadBytes(i ? otherCopy : other))}}.dump(),
          "application/json");
      if (res && res->status == 202) ids[i] = json::parse(res->body)["id"];
    });
  for (std::thread& t : senders) t.join();
  ASSERT_TRUE(ids[0] && ids[1]) << "both taken before either is verified";
  std::vector<json> ends;
  for (int64_t id : ids) {
    json g = json::object();
    for (int i = 0; i < 300 && g.value("state", "pending") == "pending"; ++i, std::this_thread::sleep_for(100ms))
      g = json::parse(client->Get("/api/games/" + std::to_string(id))->body);
    ends.push_back(g);
  }
  const bool firstWon = ends[0]["state"] == "accepted";
  const json& loser = ends[firstWon ? 1 : 0];
  EXPECT_EQ(ends[firstWon ? 0 : 1]["state"], "accepted") << ends[0] << ends[1];
  EXPECT_EQ(loser["state"], "refused");
  EXPECT_EQ(loser["duplicate_of"], ids[firstWon ? 0 : 1]);
  EXPECT_EQ(loser["owner"], firstWon ? "Cy" : "Dee");

  const json ranking = json::parse(client->Get("/api/ranking?all=1")->body);
  ASSERT_EQ(ranking["total"], 2) << ranking;
  std::set<std::string> players;
  for (const json& e : ranking["entries"]) players.insert(e["player"].get<std::string>());
  EXPECT_EQ(players, (std::set<std::string>{"Ace", firstWon ? "Cy" : "Dee"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, BoardEndToEnd, ::testing::Values(Backend::kSqlite, Backend::kPostgres),
                         [](const auto& info) { return info.param == Backend::kSqlite ? "Sqlite" : "Postgres"; });

}  // namespace
}  // namespace board_test
