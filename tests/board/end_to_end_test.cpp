// The board end to end, on SQLite and on PostgreSQL: games the runner
// records, submitted with its --submit, verified by solvara-verify processes,
// ranked in order and shown on the page; a replay with one input changed is
// refused with the verifier's reason; a board killed while verifying loses
// and doubles nothing.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "game/records/replay_file.h"
#include "platform/base64.h"
#include "platform/child_process.h"
#include "server/html.h"
#include "tests/board/board_fixture.h"

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
  EXPECT_NE(again.output.find("(sent before) accepted"), std::string::npos) << again.output;

  const Printed changed =
      Probe({"--submit", recorded.changed.string(), "--server", board->Url(), "--name", "Ace", "--home", home.string()});
  EXPECT_EQ(changed.status, 1);
  EXPECT_NE(changed.output.find("refused: " + RunnerReason(recorded.changed, home)), std::string::npos)
      << changed.output;

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

INSTANTIATE_TEST_SUITE_P(Backends, BoardEndToEnd, ::testing::Values(Backend::kSqlite, Backend::kPostgres),
                         [](const auto& info) { return info.param == Backend::kSqlite ? "Sqlite" : "Postgres"; });

}  // namespace
}  // namespace board_test
