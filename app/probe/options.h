#pragma once
// The runner's command line: a table of options, each with its own parser,
// so a new option is one entry of the table.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace probe {

struct Options {
  int frames = 1000;
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
};

// Parses argv[1..]. On a bad command line returns false and a one-line
// reason in `error`.
bool ParseOptions(int argc, const char* const argv[], Options& options, std::string& error);

// The usage text listing every option of the table.
std::string Usage();

}  // namespace probe
