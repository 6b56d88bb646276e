#pragma once
// What the board's tests run: a board process on a free port of 127.0.0.1,
// a PostgreSQL server of their own in a temporary folder, and replays the
// runner records.
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/verify/verdict.h"
#include "server/store.h"

namespace httplib {
class Client;
}

namespace board_test {

namespace fs = std::filesystem;

inline const std::string kBuild = SOLVARA_BUILD_DIR;

// A temporary folder removed with its contents.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name);
  ~TempFolder();
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// solvara-board with the given options (a database among them), its
// standard error in a file; started on construction, ended on destruction.
class BoardProcess {
 public:
  // `wrapper`: a command the board runs under (unshare, say).
  BoardProcess(const fs::path& folder, std::vector<std::string> options, std::vector<std::string> wrapper = {});
  ~BoardProcess();
  bool Started() const { return port_ > 0; }
  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::unique_ptr<httplib::Client> Client() const;
  std::string Log() const;
  // Ends it at once, as a crash would.
  void Kill();

 private:
  fs::path log_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A PostgreSQL server in a folder of its own, reached through a socket in
// that folder, run as an unprivileged user when the test runs as root.
class PostgresServer {
 public:
  PostgresServer();
  ~PostgresServer();
  bool Running() const { return running_; }
  const std::string& Url() const { return url_; }
  const std::string& Error() const { return error_; }
  bool Stop();
  bool Start();

 private:
  bool Run(std::vector<std::string> argv);

  TempFolder folder_{"pg"};
  std::string bin_;
  std::string url_;
  std::string error_;
  bool running_ = false;
};

// Games of the pilot (tests/recorded_games.h): three to rank, the first with
// one input changed, and a fourth.
class Recorded {
 public:
  static Recorded& Get();
  struct Game {
    fs::path file;
    int32_t score;
  };
  std::vector<Game> games;
  fs::path changed;
  fs::path late;

 private:
  Recorded();
  TempFolder folder_{"games"};  // the changed game, this program's own
};

// Runs the runner (solvara-probe) with `arguments`; its exit status and
// everything it printed.
struct Printed {
  int status = -1;
  std::string output;
};
Printed Probe(const std::vector<std::string>& arguments);

// A replay of `frames` frames of one input code from the start of `game`:
// a valid file of a game of its own, which the verifier refuses quickly
// (the game has not ended when its input does).
std::vector<uint8_t> ShortReplay(const fs::path& game, uint16_t frames, uint16_t code = 0);

// The rest of the line after `marker` in `text`; empty when it is not there.
std::string After(const std::string& text, const std::string& marker);

// What the store's tests send and verify, without processes: a game of
// season 1 (its replay three bytes), and a verdict accepting one.
board::Submission StoreSubmission(const std::string& name, const std::string& identity, int64_t frames,
                                  int64_t claimedScore, const std::string& address, int64_t now);
verify::Verdict AcceptedVerdict(const std::string& identity, int32_t score);

std::vector<uint8_t> ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes);

}  // namespace board_test
