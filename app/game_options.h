#pragma once
// The game's command line. What it gives overrides the settings file.
#include <optional>
#include <ostream>
#include <string>

#include "platform/display.h"

struct GameOptions {
  std::optional<bool> fullScreen;  // --fullscreen / --window
  std::optional<platform::Scaling> scaling;
  std::optional<platform::VSync> vsync;
  std::string dataDir;  // empty: the player's data folder
  bool mute = false;
  std::string replay;   // a replay file to watch (empty: play)
  int replayRank = 0;   // 1-7: watch the replay of that ranking row (0: none)
  std::string logFile;  // empty: no debug log
};

// Parses argv[1..] into `options`. Returns command_line::kRun to go on, else
// the status to exit with: 0 after --help or --version, 2 after a bad
// command line (the reason and the usage are on `err` then).
int ParseGameOptions(int argc, const char* const argv[], GameOptions& options, std::ostream& out, std::ostream& err);
