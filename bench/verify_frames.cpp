// Frames per second of a replay played to its end by the verifier of
// submitted games (solvara-verify's core: the world without SDL, every frame
// drawn into nothing) against the drawing runner (solvara-probe --replay
// --verify: the form on the headless backend, every frame drawn and
// presented), measured on the same game in the same run. Start-up is left
// out of both: only the frames are timed. The verifier's "x_runner" is its
// frames per second over the runner's (the goal: at least 5).
//
// The game is recorded first by the runner itself (fire held near the top
// of the field, a stage-1 game of about 4200 frames); the generated assets
// are read from the program's folder (bmp/, sound/).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/probe/runner.h"
#include "app/verify/verifier.h"
#include "game/form.h"
#include "game/records/replay_file.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "vantor/midi/midi.h"

namespace {

namespace fs = std::filesystem;

struct RecordedGame {
  std::vector<uint8_t> bytes;
  std::shared_ptr<game::Replay> replay;
  std::string error;
};

const RecordedGame& Game() {
  static const RecordedGame recorded = [] {
    RecordedGame g;
    const fs::path home = fs::temp_directory_path() / ("solvara_bench_verify_" + std::to_string(::getpid()));
    fs::create_directories(home);
    std::ofstream(home / "keys.txt") << "30 Z\n40-9000 Up+X\n";
    probe::Options o;
    o.keys = (home / "keys.txt").string();
    o.frames = 6000;
    o.framesGiven = true;
    o.home = home.string();
    o.record = (home / "game.rpl").string();
    std::ostringstream log;
    probe::Runner(o).Run(log);
    auto replay = std::make_shared<game::Replay>();
    if (game::ReadReplayFile(o.record, *replay, g.error)) {
      std::ifstream in(o.record, std::ios::binary);
      g.bytes.assign(std::istreambuf_iterator<char>(in), {});
      g.replay = std::move(replay);
    } else {
      g.error = "no game recorded: " + g.error + " " + log.str();
    }
    fs::remove_all(home);
    return g;
  }();
  return recorded;
}

double gRunnerFps = 0;

// Frames played and the wall-clock time they took, over every iteration.
struct Played {
  uint32_t frames = 0;
  double seconds = 0;
  template <class Play>
  void Time(benchmark::State& state, Play play) {
    const auto start = std::chrono::steady_clock::now();
    frames += play();
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(took);
    seconds += took;
  }
  double Fps(benchmark::State& state) const {
    const double fps = seconds > 0 ? frames / seconds : 0;
    state.counters["frames"] = double(frames) / state.iterations();
    state.counters["fps"] = fps;
    return fps;
  }
};

// The runner's loop over a watched replay: the form on the headless backend
// with SDL's picture decoding and text, MIDI going nowhere.
void BM_DrawingRunner(benchmark::State& state) {
  const RecordedGame& g = Game();
  if (!g.replay) return state.SkipWithError(g.error.c_str());
  const fs::path home = fs::temp_directory_path() / ("solvara_bench_runner_" + std::to_string(::getpid()));
  fs::create_directories(home);
  platform::SetHomeDir(home.string());
  platform::MapFolder("bmp", platform::ProgramDir() + "/bmp");
  platform::MapFolder("sound", platform::ProgramDir() + "/sound");
  Played played;
  for (auto _ : state) {
    auto backend = std::make_unique<platform::headless::Backend>();
    backend->midi.Use(platform::headless::HeadlessMidi::Sink::Null);
    auto form = std::make_unique<game::TForm1>(nullptr, g.replay);
    form->cmid->WaitReady();
    played.Time(state, [&] {
      uint32_t frames = 0;
      for (; frames < g.replay->frames && !form->replays.GameEnded(); ++frames) backend->app.Step();
      return frames;
    });
    if (!form->replays.GameEnded() || !form->replays.Mismatch().empty()) {
      state.SkipWithError("the runner did not play the game as recorded");
      break;
    }
    form->Close();
  }
  platform::ClearFolderMaps();
  fs::remove_all(home);
  gRunnerFps = played.Fps(state);
}
BENCHMARK(BM_DrawingRunner)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

void BM_Verifier(benchmark::State& state) {
  const RecordedGame& g = Game();
  if (!g.replay) return state.SkipWithError(g.error.c_str());
  Played played;
  for (auto _ : state) {
    verify::Verifier verifier;
    std::string error;
    if (!verifier.Prepare(platform::ProgramDir(), error)) return state.SkipWithError(error.c_str());
    verify::Verdict verdict;
    played.Time(state, [&] {
      verdict = verifier.Verify(g.bytes);
      return verdict.frames;
    });
    if (verdict.outcome != verify::Verdict::Outcome::kAccepted)
      return state.SkipWithError(("the verifier refused the game: " + verdict.reason).c_str());
  }
  const double fps = played.Fps(state);
  if (gRunnerFps > 0) state.counters["x_runner"] = fps / gRunnerFps;
}
BENCHMARK(BM_Verifier)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
