// What a board meets from the network and from its machine: malformed and
// oversized submissions, bad names and tokens, SQL and HTML in every field,
// limits out of range, clients too slow to finish a request, a database that
// goes away and comes back, a disk that fills. Each answer is an error the
// client can read; the board goes on serving and loses nothing it took.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <pqxx/pqxx>
#include <thread>
#include <vector>

#include "platform/base64.h"
#include "tests/board/board_fixture.h"

namespace board_test {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

std::string Body(const std::string& name, const std::vector<uint8_t>& replay) {
  return json{{"name", name}, {"replay", platform::Base64Encode(replay)}}.dump();
}

struct Request {
  const char* what;
  std::string method, path, body;
  httplib::Headers headers;
  int status;
  std::string says;  // in the answer's body
};

void Check(httplib::Client& client, const Request& r) {
  httplib::Result res = r.method == "POST"     ? client.Post(r.path, r.headers, r.body, "application/json")
                        : r.method == "DELETE" ? client.Delete(r.path, r.headers)
                                               : client.Get(r.path, r.headers);
  ASSERT_TRUE(res) << r.what;
  EXPECT_EQ(res->status, r.status) << r.what << ": " << res->body.substr(0, 300);
  EXPECT_NE(res->body.find(r.says), std::string::npos) << r.what << ": " << res->body.substr(0, 300);
}

// The state a submitted game reaches, asked until it is not pending.
std::string Outcome(httplib::Client& client, int64_t id) {
  for (int i = 0; i < 300; ++i, std::this_thread::sleep_for(100ms)) {
    const auto res = client.Get("/api/games/" + std::to_string(id));
    if (res && res->status == 200 && json::parse(res->body)["state"] != "pending") return json::parse(res->body)["state"];
  }
  return "pending";
}

// The name "Owner" registered by its first game, `game`, which is ranked:
// the game's id and the Authorization header of the name's token (none when
// that went wrong).
struct Owner {
  int64_t id = 0;
  httplib::Headers token;
};
Owner RegisterOwner(httplib::Client& client, const std::vector<uint8_t>& game) {
  const auto first = client.Post("/api/games", Body("Owner", game), "application/json");
  if (!first || first->status != 202) {
    ADD_FAILURE() << (first ? first->body : "no answer");
    return {};
  }
  const int64_t id = json::parse(first->body)["id"];
  EXPECT_EQ(Outcome(client, id), "accepted");
  return {id, {{"Authorization", "Bearer " + json::parse(first->body)["token"].get<std::string>()}}};
}

TEST(BoardHostileInput, EveryBadRequestGetsAnErrorAndTheBoardGoesOn) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("hostile");
  BoardProcess board(folder.path(), {"--data", (folder.path() / "data").string(), "--timeout", "1"});
  ASSERT_TRUE(board.Started()) << board.Log();
  auto client = board.Client();
  const std::vector<uint8_t> game = ReadBytes(recorded.games[0].file);
  const Owner owner = RegisterOwner(*client, game);
  ASSERT_FALSE(owner.token.empty());
  const int64_t id = owner.id;

  std::vector<uint8_t> damaged = game;
  damaged[100] ^= 1;
  const httplib::Headers wrongToken{{"Authorization", "Bearer " + std::string(32, '0')}};
  const httplib::Headers& ownerToken = owner.token;
  const std::string idPath = "/api/games/" + std::to_string(id);
  const Request requests[] = {
      {"not JSON", "POST", "/api/games", "SOLVREPL", {}, 400, "not a JSON object"},
      {"a JSON array", "POST", "/api/games", "[1,2]", {}, 400, "not a JSON object"},
      {"a member too many", "POST", "/api/games", R"({"name":"a","replay":"AAAA","score":99999})", {}, 400, "unknown"},
      {"a number for a name", "POST", "/api/games", R"({"name":5,"replay":"AAAA"})", {}, 400, "strings"},
      {"replay not base64", "POST", "/api/games", R"({"name":"a","replay":"@@@@"})", {}, 400, "not base64"},
      {"an empty name", "POST", "/api/games", Body("", game), {}, 400, "a name is needed"},
      {"a name too long", "POST", "/api/games", Body(std::string(17, 'a'), game), {}, 400, "at most 16"},
      {"a control byte in a name", "POST", "/api/games", Body("a\nb", game), {}, 400, "printable ASCII"},
      {"a name beyond ASCII", "POST", "/api/games", Body("\xc3\xa9t\xc3\xa9", game), {}, 400, "printable ASCII"},
      {"a space ending a name", "POST", "/api/games", Body("Owner ", game), {}, 400, "space"},
      {"not a replay", "POST", "/api/games", Body("a", std::vector<uint8_t>(600, 'x')), {}, 422,
       "not a SOLVARA 2001 replay"},
      {"a damaged replay", "POST", "/api/games", Body("a", damaged), {}, 422, "damaged"},
      {"a truncated replay", "POST", "/api/games", Body("a", std::vector<uint8_t>(game.begin(), game.begin() + 100)),
       {}, 422, "truncated"},
      {"a body past the bound", "POST", "/api/games", std::string(2 << 20, ' '), {}, 413, ""},
      {"another's name, no token", "POST", "/api/games", Body("OWNER", game), {}, 401, "send its token"},
      {"another's name, a wrong token", "POST", "/api/games", Body("owner", game), wrongToken, 401, "send its token"},
      {"a malformed token", "POST", "/api/games", Body("Owner", game), {{"Authorization", "Bearer a b"}}, 401, "token"},
      {"the same game again", "POST", "/api/games", Body("Owner", game), ownerToken, 200, "\"duplicate\":true"},
      {"SQL in an id", "GET", "/api/games/1%20OR%201=1", "", {}, 404, "no such game"},
      {"SQL in a player's page", "GET", "/players/x'%20OR%20'1'='1", "", {}, 404, "No such player"},
      {"SQL in a season", "GET", "/api/ranking?season=1;DROP%20TABLE%20games", "", {}, 400, "season"},
      {"a negative limit", "GET", "/api/ranking?limit=-1", "", {}, 400, "limit"},
      {"a zero limit", "GET", "/api/ranking?limit=0", "", {}, 400, "limit"},
      {"a huge limit", "GET", "/api/ranking?limit=99999999999999999999", "", {}, 400, "limit"},
      {"a negative offset", "GET", "/api/ranking?offset=-5", "", {}, 400, "offset"},
      {"an offset past the end", "GET", "/api/ranking?offset=1000000", "", {}, 200, "\"entries\":[]"},
      {"all neither 0 nor 1", "GET", "/api/ranking?all=yes", "", {}, 400, "all"},
      {"a negative page", "GET", "/?page=-1", "", {}, 400, "page"},
      {"a season with no games", "GET", "/api/ranking?season=77", "", {}, 200, "\"total\":0"},
      {"an id past every game", "GET", "/api/games/999999999999999", "", {}, 404, "no such game"},
      {"a replay of no game", "GET", "/api/games/0/replay", "", {}, 404, "no such game"},
      {"deleting with a wrong token", "DELETE", "/api/players/Owner", "", wrongToken, 401, "token"},
      {"deleting nobody", "DELETE", "/api/players/Nobody", "", ownerToken, 404, "no such player"},
      {"the game still there", "GET", idPath, "", {}, 200, "\"state\":\"accepted\""},
  };
  for (const Request& r : requests) Check(*client, r);

  // The ranking's entity tag: the same ranking is not sent again.
  const auto ranking = client->Get("/api/ranking?limit=10");
  ASSERT_TRUE(ranking);
  const std::string etag = ranking->get_header_value("ETag");
  EXPECT_FALSE(etag.empty());
  Check(*client, {"the ranking the client has", "GET", "/api/ranking?limit=10", "", {{"If-None-Match", etag}}, 304, ""});
  Check(*client, {"another page of it", "GET", "/api/ranking?limit=11", "", {{"If-None-Match", etag}}, 200, "Owner"});

  // A client that starts a request and goes silent is let go after the
  // timeout; the others are served meanwhile.
  const int slow = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(board.Port()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(slow, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
  ASSERT_GT(send(slow, "GET /healthz HTTP/1.1\r\nHost: x\r\n", 32, 0), 0);
  EXPECT_EQ(client->Get("/healthz")->status, 200);
  timeval wait{10, 0};
  setsockopt(slow, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  char reply[256];
  const auto before = std::chrono::steady_clock::now();
  while (recv(slow, reply, sizeof reply, 0) > 0) {
  }
  EXPECT_LT(std::chrono::steady_clock::now() - before, 8s);
  close(slow);

  // The owner deletes the name: games and addresses go with it.
  Check(*client, {"deleting with the token", "DELETE", "/api/players/owner", "", ownerToken, 204, ""});
  Check(*client, {"the game gone", "GET", idPath, "", {}, 404, "no such game"});
  Check(*client, {"the ranking empty", "GET", "/api/ranking", "", {}, 200, "\"total\":0"});
}

// A burst of new connections waits in the listening queue: with the board
// stopped the system alone completes their handshakes, and a short queue
// would drop the rest (each then waits a second for TCP to try again).
TEST(BoardHostileInput, ABurstOfConnectionsIsQueuedNotDropped) {
  TempFolder folder("burst");
  BoardProcess board(folder.path(), {"--data", (folder.path() / "data").string()});
  ASSERT_TRUE(board.Started()) << board.Log();
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(board.Port()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(kill(board.Pid(), SIGSTOP), 0);
  constexpr int kBurst = 64;
  std::vector<pollfd> sockets;
  for (int i = 0; i < kBurst; ++i) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(fd, 0);
    connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    sockets.push_back({fd, POLLOUT, 0});
  }
  int connected = 0;
  for (auto deadline = std::chrono::steady_clock::now() + 500ms;
       connected < kBurst && std::chrono::steady_clock::now() < deadline;) {
    poll(sockets.data(), sockets.size(), 50);
    connected = static_cast<int>(std::count_if(sockets.begin(), sockets.end(), [](pollfd& p) {
      int error = 0;
      socklen_t size = sizeof error;
      return (p.revents & POLLOUT) && getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }));
  }
  for (const pollfd& p : sockets) close(p.fd);
  ASSERT_EQ(kill(board.Pid(), SIGCONT), 0);
  EXPECT_EQ(connected, kBurst);
  auto client = board.Client();
  Check(*client, {"health after the burst", "GET", "/healthz", "", {}, 200, ""});
}

// A port in use is refused: a second board sharing it would take half the
// connections to its own games.
TEST(BoardHostileInput, ASecondBoardOnAPortInUseDoesNotStart) {
  TempFolder folder("twice");
  BoardProcess first(folder.path(), {"--data", (folder.path() / "one").string()});
  ASSERT_TRUE(first.Started()) << first.Log();
  const std::string address = "127.0.0.1:" + std::to_string(first.Port());
  const fs::path log = folder.path() / "second.log";
  // Bounded: a board that did start is ended by timeout (status 124).
  const std::string command = "timeout 10 " + kBuild + "/solvara-board --listen " + address + " --data " +
                              (folder.path() / "two").string() + " 2>" + log.string();
  const int status = std::system(command.c_str());
  std::ifstream in(log);
  const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << "\n" << said;
  EXPECT_NE(said.find("cannot listen on " + address), std::string::npos) << said;
}

TEST(BoardHostileInput, ADatabaseThatGoesAwayIsAnErrorAndTheJobIsDoneWhenItIsBack) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("away");
  PostgresServer postgres;
  ASSERT_TRUE(postgres.Running()) << postgres.Error();
  BoardProcess board(folder.path(), {"--postgres", postgres.Url(), "--lease", "5"});
  ASSERT_TRUE(board.Started()) << board.Log();
  auto client = board.Client();
  // Queued, then the database stops before or while the game is verified.
  const auto queued = client->Post("/api/games", Body("Ace", ReadBytes(recorded.games[1].file)), "application/json");
  ASSERT_TRUE(queued);
  ASSERT_EQ(queued->status, 202) << queued->body;
  const int64_t id = json::parse(queued->body)["id"];
  ASSERT_TRUE(postgres.Stop()) << postgres.Error();
  Check(*client, {"a game while the database is away", "GET", "/api/games/" + std::to_string(id), "", {}, 503,
                  "database is unavailable"});
  Check(*client, {"a submission while the database is away", "POST", "/api/games",
                  Body("Ace", ReadBytes(recorded.games[2].file)), {}, 503, "database is unavailable"});
  Check(*client, {"the board's health", "GET", "/healthz", "", {}, 503, "\"status\":\"unhealthy\""});
  std::this_thread::sleep_for(2s);
  ASSERT_TRUE(postgres.Start()) << postgres.Error();
  EXPECT_EQ(Outcome(*client, id), "accepted");
  const json all = json::parse(client->Get("/api/ranking?all=1")->body);
  EXPECT_EQ(all["total"], 1) << all.dump();
}

TEST(BoardHostileInput, AFullDiskRefusesSubmissionsAndKeepsServing) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("full");
  const fs::path data = folder.path() / "data";
  fs::create_directories(data);
  // A small file system of the board's own, in a mount namespace that ends
  // with it.
  BoardProcess board(folder.path(), {"--data", data.string()},
                     {"/usr/bin/unshare", "--map-root-user", "--mount", "/bin/sh", "-c",
                      "mount -t tmpfs -o size=320k tmpfs \"$0\" && exec \"$@\"", data.string()});
  ASSERT_TRUE(board.Started()) << board.Log();
  auto client = board.Client();
  int full = 0, taken = 0;
  httplib::Headers token;
  for (uint16_t frames = 30; frames < 400 && full == 0; ++frames) {
    const auto res = client->Post("/api/games", token, Body("Ace", ShortReplay(recorded.games[0].file, frames)),
                                  "application/json");
    ASSERT_TRUE(res);
    if (res->status == 202 && token.empty())
      token.emplace("Authorization", "Bearer " + json::parse(res->body)["token"].get<std::string>());
    if (res->status == 202) ++taken;
    else if (res->status == 503 && res->body.find("disk is full") != std::string::npos) ++full;
    else if (res->status != 503) FAIL() << res->status << " " << res->body;
  }
  EXPECT_EQ(full, 1);
  EXPECT_GT(taken, 0);
  Check(*client, {"the health on a full disk", "GET", "/healthz", "", {}, 503, "disk is full"});
  Check(*client, {"the ranking on a full disk", "GET", "/api/ranking", "", {}, 200, "\"entries\""});
  Check(*client, {"the first game on a full disk", "GET", "/api/games/1", "", {}, 200, "\"id\":1"});
}

// The verifier under a wrapper that counts its runs.
struct CountedVerifier {
  explicit CountedVerifier(const fs::path& folder) : script(folder / "verify.sh"), runs(folder / "runs") {
    std::ofstream(script) << "#!/bin/sh\necho run >> '" << runs.string() << "'\nexec '" << kBuild
                          << "/solvara-verify' \"$@\"\n";
    fs::permissions(script, fs::perms::owner_all);
  }
  size_t Runs() const {
    std::ifstream in(runs);
    return static_cast<size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
  }
  fs::path script, runs;
};

// Wrong tokens are refused before any process starts, and each costs its
// address a hundredth of its frames an hour: the hundred-and-first, and any
// game from there, waits for the hour.
TEST(BoardHostileInput, WrongTokensStartNoProcessAndCostTheirAddress) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("tokens");
  const CountedVerifier verifier(folder.path());
  BoardProcess board(folder.path(),
                     {"--data", (folder.path() / "data").string(), "--verifier", verifier.script.string()});
  ASSERT_TRUE(board.Started()) << board.Log();
  auto client = board.Client();
  const std::vector<uint8_t> game = ReadBytes(recorded.games[0].file);
  const Owner owner = RegisterOwner(*client, game);
  ASSERT_FALSE(owner.token.empty());
  const size_t runs = verifier.Runs();
  EXPECT_EQ(runs, 2u) << "read, then played";

  const httplib::Headers wrongToken{{"Authorization", "Bearer " + std::string(32, '0')}};
  int refused = 0;
  for (; refused < 150; ++refused) {
    const auto res = client->Post("/api/games", wrongToken, Body("Owner", game), "application/json");
    ASSERT_TRUE(res);
    if (res->status == 401) continue;
    EXPECT_EQ(res->status, 429) << res->body;
    EXPECT_NE(res->body.find("this address"), std::string::npos) << res->body;
    break;
  }
  // The owner's first game took some of the hour too, less than a wrong token.
  EXPECT_EQ(refused, 100);
  EXPECT_EQ(verifier.Runs(), runs);
  Check(*client, {"the right token from that address", "POST", "/api/games", Body("Owner", game), owner.token, 429,
                  "this address"});
  Check(*client, {"the ranking", "GET", "/api/ranking", "", {}, 200, "Owner"});
}

// board.db removed or replaced under a running board: writes are refused
// (503, said on stderr) until the board's own file is back, /healthz says
// so, reads go on, and nothing taken is lost at the next start.
TEST(BoardHostileInput, ADatabaseFileRemovedWhileRunningRefusesWritesUntilItIsBack) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("removed");
  const fs::path data = folder.path() / "data";
  const fs::path file = data / "board.db", kept = folder.path() / "kept.db";
  std::vector<std::string> options{"--data", data.string()};
  auto board = std::make_unique<BoardProcess>(folder.path(), options);
  ASSERT_TRUE(board->Started()) << board->Log();
  auto client = board->Client();
  httplib::Headers token;
  uint16_t frames = 30;
  // A game of its own each time (the verifier refuses it quickly).
  const auto send = [&] {
    const auto res = client->Post("/api/games", token, Body("Ace", ShortReplay(recorded.games[0].file, frames++)),
                                  "application/json");
    if (res && res->status == 202 && token.empty())
      token.emplace("Authorization", "Bearer " + json::parse(res->body)["token"].get<std::string>());
    return res ? res->status : -1;
  };
  // /healthz within the second it keeps its finding.
  const auto health = [&] {
    std::this_thread::sleep_for(1100ms);
    const auto res = client->Get("/healthz");
    return res ? res->status : -1;
  };
  fs::create_hard_link(file, kept);
  const struct {
    const char* what;
    std::function<void()> act;
    int submission, health;
    const char* logged;
  } steps[] = {
      {"as started", [] {}, 202, 200, nullptr},
      {"removed", [&] { fs::remove(file); }, 503, 503, "board.db is gone"},
      {"back", [&] { fs::create_hard_link(kept, file); }, 202, 200, "submissions are taken again"},
      {"replaced by a copy",
       [&] {
         fs::remove(file);
         fs::copy_file(kept, file);
       },
       503, 503, "is another file than the one the board opened"},
      {"back over the copy", [&] { fs::rename(kept, file); }, 202, 200, nullptr},
  };
  int taken = 0;
  for (const auto& step : steps) {
    step.act();
    const int status = send();
    EXPECT_EQ(status, step.submission) << step.what;
    taken += status == 202;
    EXPECT_EQ(health(), step.health) << step.what;
    if (step.logged) {
      EXPECT_NE(board->Log().find(step.logged), std::string::npos) << step.what << "\n" << board->Log();
    }
    Check(*client, {"the ranking meanwhile", "GET", "/api/ranking", "", {}, 200, "entries"});
  }
  board = std::make_unique<BoardProcess>(folder.path(), options);
  ASSERT_TRUE(board->Started()) << board->Log();
  client = board->Client();
  for (int id = 1; id <= taken; ++id) EXPECT_NE(Outcome(*client, id), "pending") << id;
  const auto gone = client->Get("/api/games/" + std::to_string(taken + 1));
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->status, 404) << "no game past those taken";
}

// A database that takes no writes (here PostgreSQL made read-only) is
// unhealthy, as submissions are refused; it is healthy again once it does.
TEST(BoardHostileInput, AReadOnlyDatabaseIsUnhealthy) {
  const Recorded& recorded = Recorded::Get();
  ASSERT_FALSE(recorded.games.empty());
  TempFolder folder("readonly");
  PostgresServer postgres;
  ASSERT_TRUE(postgres.Running()) << postgres.Error();
  BoardProcess board(folder.path(), {"--postgres", postgres.Url()});
  ASSERT_TRUE(board.Started()) << board.Log();
  auto client = board.Client();
  const auto readOnly = [&](bool on) {
    pqxx::connection c(postgres.Url());
    pqxx::nontransaction t(c);
    t.exec(std::string("ALTER SYSTEM SET default_transaction_read_only = ") + (on ? "on" : "off"));
    t.exec("SELECT pg_reload_conf()");
    std::this_thread::sleep_for(1100ms);
  };
  Check(*client, {"healthy", "GET", "/healthz", "", {}, 200, "\"status\":\"ok\""});
  readOnly(true);
  Check(*client, {"read-only", "GET", "/healthz", "", {}, 503, "\"status\":\"unhealthy\""});
  Check(*client, {"a game then", "POST", "/api/games", Body("Ace", ShortReplay(recorded.games[0].file, 30)), {}, 503,
                  "unavailable"});
  readOnly(false);
  Check(*client, {"writable again", "GET", "/healthz", "", {}, 200, "\"status\":\"ok\""});
  Check(*client, {"a game then", "POST", "/api/games", Body("Ace", ShortReplay(recorded.games[0].file, 30)), {}, 202,
                  "pending"});
}

}  // namespace
}  // namespace board_test
