// The runner's --bot and --invincible: the pilot starts a game from the title
// and plays; the ship is never hit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/probe/runner.h"

namespace probe {
namespace {

namespace fs = std::filesystem;

// The value of `key` in a trace line.
int Field(const std::string& line, const std::string& key) {
  size_t at = line.find("\"" + key + "\":");
  if (at == std::string::npos) return -1;
  return std::stoi(line.substr(at + key.size() + 3));
}

TEST(BotRun, ThePilotStartsAGameAndScoresWithoutLosingAShip) {
  const fs::path dir = fs::temp_directory_path() / ("solvara_bot_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  Options o;
  o.home = (dir / "home").string();
  o.assets = SOLVARA_BUILD_DIR;
  o.trace = (dir / "t.jsonl").string();
  o.frames = 1500;
  o.bot = true;
  o.invincible = true;
  std::ostringstream log;
  ::testing::internal::CaptureStderr();
  const int status = Runner(o).Run(log);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 0) << log.str();

  std::ifstream in(o.trace);
  int frames = 0, playFrames = 0, lastScore = 0, fewestLives = 100, mostShots = 0;
  for (std::string line; std::getline(in, line);) {
    ++frames;
    if (Field(line, "screen") != 1) continue;
    ++playFrames;
    lastScore = Field(line, "score");
    fewestLives = std::min(fewestLives, Field(line, "lives"));
    mostShots = std::max(mostShots, Field(line, "shots"));
  }
  fs::remove_all(dir);
  EXPECT_EQ(frames, 1500);
  // the title takes the press on the second polled frame
  EXPECT_EQ(playFrames, 1499);
  EXPECT_GT(lastScore, 1000);
  EXPECT_GE(fewestLives, 2);
  EXPECT_GT(mostShots, 5);
}

}  // namespace
}  // namespace probe
