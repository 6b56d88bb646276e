#pragma once
// The runner's command line.
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace probe {

struct Options {
  int frames = 1000;
  bool framesGiven = false;  // --frames on the command line (a replay otherwise runs its game's frames)
  uint32_t seed = 1;
  std::string home;    // empty: a fresh temporary folder
  std::string assets;  // empty: the build's folder
  std::string keys;
  std::vector<std::pair<int, std::string>> shots;  // frame, PNG file
  std::string trace;
  bool invincible = false;  // the ship is never hit
  bool bot = false;         // a simple pilot plays one game
  std::string logFile;      // the library's debug log (empty: none)
  bool profile = false;     // with logFile: method timing and its report
  std::string wav;          // the sound of the run (empty: none)
  std::string record;       // the first game of the run, written as a replay (empty: none)
  std::string replay;       // a replay played in place of keys and pilot (empty: none)
  bool verify = false;      // with replay: exit 0 only if it ends as recorded
  bool fast = false;        // with replay: watched at fast play's speed throughout
  int practice = 0;         // 1-5: a practice from that start point (0: none)
  int power = 0;            // with practice: the ship's power
  std::string submit;       // a replay sent to a shared-ranking board (empty: none)
  std::string server;       // with submit: the board's address
  std::string name;         // with submit: the player's name there
};

// Parses argv[1..] into `options`. Returns command_line::kRun to go on, else
// the status to exit with: 0 after --help, 2 after a bad command line (the
// reason and the usage are on `err` then).
int ParseOptions(int argc, const char* const argv[], Options& options, std::ostream& out, std::ostream& err);

}  // namespace probe
