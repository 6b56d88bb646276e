#include "tests/board/board_fixture.h"

#include <fcntl.h>
#include <glob.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "game/records/replay_file.h"
#include "platform/board_rules.h"
#include "platform/child_process.h"
#include "server/players.h"
#include "tests/recorded_games.h"

extern char** environ;

namespace board_test {

using namespace std::chrono_literals;

namespace {

// The unprivileged account PostgreSQL runs as when the test runs as root.
constexpr uid_t kNobody = 65534;

std::vector<char*> Arguments(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return args;
}

}  // namespace

TempFolder::TempFolder(const std::string& name)
    : path_(fs::temp_directory_path() / ("solvara_board_" + name + "_" + std::to_string(getpid()))) {
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

BoardProcess::BoardProcess(const fs::path& folder, std::vector<std::string> options, std::vector<std::string> wrapper)
    : log_(folder / ("board-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".log")) {
  std::vector<std::string> argv = wrapper;
  argv.insert(argv.end(), {kBuild + "/solvara-board", "--listen", "127.0.0.1:0"});
  argv.insert(argv.end(), options.begin(), options.end());
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args = Arguments(argv);
  if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  constexpr std::string_view kListening = "listening on http://127.0.0.1:";
  for (int i = 0; i < 500 && pid_ > 0 && port_ == 0; ++i) {
    const std::string log = Log();
    if (const size_t at = log.find(kListening); at != std::string::npos) port_ = std::atoi(log.c_str() + at + kListening.size());
    else if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    else std::this_thread::sleep_for(20ms);
  }
}

BoardProcess::~BoardProcess() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 500 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(20ms);
  Kill();
}

void BoardProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::unique_ptr<httplib::Client> BoardProcess::Client() const {
  auto client = std::make_unique<httplib::Client>("127.0.0.1", port_);
  client->set_read_timeout(60, 0);
  return client;
}

std::string BoardProcess::Log() const {
  std::ifstream in(log_);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

PostgresServer::PostgresServer() {
  glob_t found{};
  if (glob("/usr/lib/postgresql/*/bin/initdb", 0, nullptr, &found) == 0 && found.gl_pathc > 0)
    bin_ = fs::path(found.gl_pathv[found.gl_pathc - 1]).parent_path();
  globfree(&found);
  if (bin_.empty()) {
    error_ = "no PostgreSQL server programs (Debian package postgresql)";
    return;
  }
  if (getuid() == 0 && chown(folder_.path().c_str(), kNobody, kNobody) != 0) {
    error_ = "cannot hand the folder to the unprivileged user";
    return;
  }
  const std::string data = (folder_.path() / "data").string();
  if (!Run({bin_ + "/initdb", "-D", data, "-U", "board", "--auth=trust", "--no-sync", "-E", "UTF8"})) return;
  url_ = "postgresql:///postgres?host=" + folder_.path().string() + "&port=5439&user=board";
  running_ = Start();
}

PostgresServer::~PostgresServer() {
  if (running_) Stop();
}

bool PostgresServer::Start() {
  // No TCP at all: the socket in the folder is the only way in.
  running_ = Run({bin_ + "/pg_ctl", "-D", (folder_.path() / "data").string(), "-w", "-l",
                  (folder_.path() / "server.log").string(), "-o",
                  "-k " + folder_.path().string() + " -p 5439 -c listen_addresses='' -c fsync=off", "start"});
  return running_;
}

bool PostgresServer::Stop() {
  running_ = !Run({bin_ + "/pg_ctl", "-D", (folder_.path() / "data").string(), "-w", "-m", "immediate", "stop"});
  return !running_;
}

bool PostgresServer::Run(std::vector<std::string> argv) {
  if (getuid() == 0)
    argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  const platform::ChildResult r = platform::RunChild(argv, {}, {.deadline = 120s, .keepStderr = false});
  if (r.exitStatus == 0) return true;
  error_ = argv[argv.size() - 1] + " failed (status " + std::to_string(r.exitStatus) + "): " + r.output;
  return false;
}

Recorded& Recorded::Get() {
  static Recorded games;
  return games;
}

Recorded::Recorded() {
  for (const char* seed : {"5", "11", "7", "13"}) {
    const fs::path file = test_games::Recorded(seed);
    game::Replay replay;
    std::string reason;
    if (!game::ReadReplayFile(file.string(), replay, reason)) continue;
    if (games.size() == 3) {
      late = file;
      continue;
    }
    games.push_back({file, replay.finalScore});
    if (games.size() > 1) continue;
    // Down (or up) held through a run of ten frames or more, once the ship
    // has flown in.
    uint32_t frame = 0;
    for (game::InputRun& run : replay.runs) {
      frame += run.frames;
      if (frame > 200 && run.frames >= 10) {
        run.code = run.code == 2 << 2 ? 2 : 2 << 2;
        break;
      }
    }
    changed = folder_.path() / "changed.rpl";
    WriteBytes(changed, game::EncodeReplay(replay));
  }
}

Printed Probe(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$@\" 2>&1", "sh", kBuild + "/solvara-probe"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const platform::ChildResult r = platform::RunChild(argv, {}, {.deadline = 300s});
  return {r.exitStatus, r.output};
}

std::vector<uint8_t> ShortReplay(const fs::path& game, uint16_t frames, uint16_t code) {
  game::Replay replay;
  std::string reason;
  if (!game::ReadReplayFile(game.string(), replay, reason)) return {};
  replay.frames = frames;
  replay.runs.assign(1, {code, frames});
  // As many checkpoints as its frames have, or the reader refuses the file:
  // the game's own, else empty ones, which the verifier finds astray.
  replay.checkpoints.resize(game::CheckpointsOf(frames));
  return game::EncodeReplay(replay);
}

std::string After(const std::string& text, const std::string& marker) {
  const size_t at = text.find(marker);
  if (at == std::string::npos) return {};
  const size_t from = at + marker.size();
  return text.substr(from, text.find('\n', from) - from);
}

board::Submission StoreSubmission(const std::string& name, const std::string& identity, int64_t frames,
                                  int64_t claimedScore, const std::string& address, int64_t now) {
  board::Submission s;
  s.name = name;
  s.nameKey = platform::BoardNameKey(name);
  s.address = address;
  s.identity = identity;
  s.season = 1;
  s.frames = frames;
  s.claimedScore = claimedScore;
  s.replay = {1, 2, 3};
  s.now = now;
  return s;
}

verify::Verdict AcceptedVerdict(const std::string& identity, int32_t score) {
  verify::Verdict v;
  v.outcome = verify::Verdict::Outcome::kAccepted;
  v.game = identity;
  v.score = score;
  v.frames = 1000;
  v.stage = 1;
  return v;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace board_test
