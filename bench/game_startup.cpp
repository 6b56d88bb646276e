// Start-up of the game on the headless backend, with the real synthesizer
// (so the SoundFont is loaded as the game loads it, alongside the way to the
// first frame): the whole way from the form's creation to the first
// presented frame, and its parts measured on their own with fresh
// components: the 488 pictures, the six songs, the SoundFont (opening the
// synthesizer until it is ready) and the ten effects.
//
// The generated assets are read from the program's folder (bmp/, sound/).
// Files come from the page cache after the first iteration: these are warm
// starts.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/form.h"
#include "game/records/score_file.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "vantor/draw/draw.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace {

namespace fs = std::filesystem;
using Sink = platform::headless::HeadlessMidi::Sink;

constexpr int kRuns = 5;

// A fresh home for score.dat and the asset folders mapped, for the life of
// one benchmark.
class Folders {
 public:
  Folders() : home_(fs::temp_directory_path() / ("solvara_startup_" + std::to_string(::getpid()))) {
    fs::create_directories(home_);
    platform::SetHomeDir(home_.string());
    // A ranking in place, so the form starts without its "creating" message.
    const game::RankEntry rows[game::kSavedRows] = {};
    game::WriteScoreFile((home_ / game::kScoreFile).string(), rows);
    platform::MapFolder("bmp", platform::ProgramDir() + "/bmp");
    platform::MapFolder("sound", platform::ProgramDir() + "/sound");
  }
  ~Folders() {
    platform::ClearFolderMaps();
    fs::remove_all(home_);
  }

 private:
  fs::path home_;
};

// The names of the asset files of one kind ("bmp", ".bmp" -> "title", ...),
// sorted.
std::vector<std::string> AssetNames(const std::string& folder, const std::string& extension) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(platform::ProgramDir() + "/" + folder))
    if (entry.path().extension() == extension) names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

void BM_StartUpToFirstFrame(benchmark::State& state) {
  Folders folders;
  for (auto _ : state) {
    platform::headless::Backend backend;
    backend.midi.Use(Sink::Synthesizer);
    auto form = std::make_unique<game::TForm1>(nullptr);
    backend.app.Step();
    if (!backend.app.Exceptions().empty() || backend.display.presents != 1)
      return state.SkipWithError("the form did not start (are the assets built?)");
    // Closing waits for the SoundFont, which the first frame did not.
    state.PauseTiming();
    form->Close();
    form.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToFirstFrame)->Iterations(kRuns)->Unit(benchmark::kMillisecond);

// Loads every asset file of one kind with fresh components, once per
// iteration.
template <class Load>
void LoadAll(benchmark::State& state, const std::string& folder, const std::string& extension, Load load) {
  Folders folders;
  const std::vector<std::string> names = AssetNames(folder, extension);
  for (auto _ : state) {
    platform::headless::Backend backend;
    load(names);
  }
  state.counters["files"] = static_cast<double>(names.size());
}

void BM_LoadPictures(benchmark::State& state) {
  LoadAll(state, "bmp", ".bmp", [](const std::vector<std::string>& names) {
    VantorDrawSystem::TVantorDraw draw(nullptr);
    draw.SetFullScreen(true);
    draw.Init();
    for (const std::string& name : names) draw.CreateSurface(name, "bmp\\" + name + ".bmp", 0, 0);
  });
}
BENCHMARK(BM_LoadPictures)->Iterations(kRuns)->Unit(benchmark::kMillisecond);

void BM_LoadSongs(benchmark::State& state) {
  LoadAll(state, "sound", ".mid", [](const std::vector<std::string>& names) {
    VantorMidiSystem::TVantorMidi midi(nullptr);
    for (const std::string& name : names) midi.CreateData(name, "sound\\" + name + ".mid");
  });
}
BENCHMARK(BM_LoadSongs)->Iterations(kRuns)->Unit(benchmark::kMillisecond);

void BM_LoadSoundFont(benchmark::State& state) {
  for (auto _ : state) {
    platform::headless::Backend backend;
    backend.midi.Use(Sink::Synthesizer);
    VantorMidiSystem::TVantorMidi midi(nullptr);
    midi.Init();
    midi.WaitReady();
  }
}
BENCHMARK(BM_LoadSoundFont)->Iterations(kRuns)->Unit(benchmark::kMillisecond);

void BM_LoadEffects(benchmark::State& state) {
  LoadAll(state, "sound", ".wav", [](const std::vector<std::string>& names) {
    VantorSoundSystem::TVantorSound sound(nullptr);
    sound.Init(nullptr);
    for (const std::string& name : names) sound.CreateBuffer(name, "sound\\" + name + ".wav", false);
  });
}
BENCHMARK(BM_LoadEffects)->Iterations(kRuns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
