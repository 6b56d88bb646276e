#pragma once
// Games the pilot plays to their end, recorded by this build's runner once
// and kept in the build folder for every test program after it (a lock keeps
// programs started together from recording at once; another build of the
// runner records them again).
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/records/replay.h"

#include "platform/child_process.h"

namespace test_games {

// The pilot's game with `seed` within 2400 frames; the path exists only when
// that game ended in time.
inline std::filesystem::path Recorded(const std::string& seed) {
  namespace fs = std::filesystem;
  const std::string build = SOLVARA_BUILD_DIR;
  const auto built = fs::last_write_time(build + "/solvara-probe").time_since_epoch().count();
  const fs::path folder = fs::path(build) / ("test-games-" + std::to_string(static_cast<uint64_t>(built)));
  fs::create_directories(folder);
  const fs::path file = folder / ("bot-" + seed + ".rpl");
  const int lock = open((folder / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  flock(lock, LOCK_EX);
  if (!fs::exists(file))
    platform::RunChild({build + "/solvara-probe", "--bot", "--seed", seed, "--frames", "2400", "--record",
                        file.string(), "--home", (folder / "home").string()},
                       {}, {.keepStderr = false});
  close(lock);
  return file;
}

// The same game in other bytes: the input of the first 30 frames cleared.
// They are the fly-in's (about 56 frames), which reads none, while the pilot
// holds keys through them.
inline void ClearFlyInInput(game::Replay& r) {
  constexpr uint16_t kCleared = 30;
  std::vector<game::InputRun> runs{{0, kCleared}};
  uint32_t skipped = 0;
  for (game::InputRun run : r.runs) {
    const uint16_t skip = static_cast<uint16_t>(std::min<uint32_t>(run.frames, kCleared - skipped));
    skipped += skip;
    run.frames = static_cast<uint16_t>(run.frames - skip);
    if (run.frames) runs.push_back(run);
  }
  r.runs = std::move(runs);
}

}  // namespace test_games
