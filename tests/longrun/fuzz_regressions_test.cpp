// Replays the inputs the fuzz targets found (fuzz/regressions/<target>/)
// through the same loaders, each in a child process of its own. A file named
// "reject-..." must be refused with the component's exception, any other
// must load, and neither may make the loader take more than a little memory
// (a few bytes of header once made it clear gigabytes).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/form.h"
#include "game/records/ranking.h"
#include "game/records/replay_file.h"
#include "game/records/score_file.h"
#include "platform/headless/backend.h"
#include "vantor/draw/draw.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"
#include "vantor/system/exceptions.h"

// A picture header may ask for terabytes: the allocator then answers null, as
// it does outside the address sanitizer, and the loader has to refuse it.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

namespace fs = std::filesystem;

constexpr long kMaxGrowthKb = 64 * 1024;

// Loads one found input; throws the component's exception when it refuses it.
using Loader = std::function<void(platform::headless::Backend&, const std::string& path)>;

struct Target {
  const char* folder;
  Loader load;
};

void LoadPicture(platform::headless::Backend&, const std::string& path) {
  VantorDrawSystem::TVantorDraw draw(nullptr);
  draw.SetFullScreen(true);
  draw.Init();
  draw.CreateSurface("x", path, 0, 0);
  const int last = draw.GetSurfaceInfo("x").CellCount - 1;
  draw.Draw(0, 0, "x", last, VantorDrawSystem::beAlpha, 128);
  draw.RotZoomDraw(320, 240, 9000, 900, "x", last);
}

void LoadWave(platform::headless::Backend& backend, const std::string& path) {
  VantorSoundSystem::TVantorSound sound(nullptr);
  sound.Init(nullptr);
  for (bool streaming : {false, true}) {
    sound.CreateBuffer("x", path, streaming);
    sound.Play("x", false);
    backend.sound.Advance(64);
    sound.DeleteBuffer("x");
  }
}

void LoadSong(platform::headless::Backend&, const std::string& path) {
  VantorMidiSystem::TVantorMidi midi(nullptr);
  midi.CreateData("x", path);
}

// A score file is never refused: the rows take whatever bytes it has.
void LoadScores(platform::headless::Backend&, const std::string& path) {
  game::RankEntry rows[game::kRankRows] = {};
  ASSERT_EQ(game::ReadScoreFile(path, rows), game::ScoreFileState::kRead);
  for (const game::RankEntry& row : rows) EXPECT_LE(game::RankText(row).size(), sizeof row.text);
}

void LoadReplay(platform::headless::Backend&, const std::string& path) {
  game::Replay replay;
  std::string reason;
  if (!game::ReadReplayFile(path, replay, reason)) throw Exception(reason);
}

const Target kTargets[] = {
    {"picture", LoadPicture},
    {"wave", LoadWave},
    {"smf", LoadSong},
    {"score", LoadScores},
    {"replay", LoadReplay},
};

struct Outcome {
  bool refused = false;
  long growthKb = 0;  // the child's peak resident memory above its start
};

// Runs one replay in a child; false when the child did not finish cleanly.
bool Replay(const Target& target, const std::string& path, Outcome& outcome) {
  int pipe_[2];
  if (pipe(pipe_) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_[0]);
    // Failures the parent recorded before the fork are not this replay's.
    const bool failedBefore = ::testing::Test::HasFailure();
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    Outcome found;
    {
      platform::headless::Backend backend;
      try {
        target.load(backend, path);
      } catch (const Exception&) {
        found.refused = true;
      }
    }
    getrusage(RUSAGE_SELF, &after);
    found.growthKb = after.ru_maxrss - before.ru_maxrss;
    const bool sent = write(pipe_[1], &found, sizeof found) == sizeof found;
    _exit(sent && (failedBefore || !::testing::Test::HasFailure()) ? 0 : 1);
  }
  close(pipe_[1]);
  const bool received = child > 0 && read(pipe_[0], &outcome, sizeof outcome) == sizeof outcome;
  close(pipe_[0]);
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  return received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FuzzRegressions, FoundInputsAreRefusedOrLoadedAsNamedInLittleMemory) {
  int replayed = 0;
  for (const Target& target : kTargets) {
    const fs::path folder = fs::path(SOLVARA_SOURCE_DIR) / "fuzz" / "regressions" / target.folder;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string path = entry.path().string();
      SCOPED_TRACE(path);
      Outcome outcome;
      ASSERT_TRUE(Replay(target, path, outcome)) << "the replay crashed or failed a check";
      EXPECT_EQ(outcome.refused, entry.path().filename().string().rfind("reject-", 0) == 0);
      EXPECT_LT(outcome.growthKb, kMaxGrowthKb);
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0) << "no found inputs in fuzz/regressions";
}

}  // namespace
