// The cost of whole game frames on the headless backend in RGB565 (the
// game's display depth): the title screen's rotating, zooming background,
// and each boss fight with the enemy-bullet and effect pools full. A frame
// is one turn of the loop: clear, the screen's routines, the requests and
// the presentation. A replay watched at fast play's speed is measured
// against one watched at normal speed. Each benchmark reports its frame's
// processor time on the main thread as a share of the 33 ms budget
// ("budget_pct"), which other programs on the machine do not inflate. The replay recorder's share of a
// frame is measured on its own.
//
// The generated assets are read from the program's folder (bmp/, sound/).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "game/form.h"
#include "game/world_snapshot.h"
#include "game/records/replay.h"
#include "game/records/replay_deck.h"
#include "game/records/score_file.h"
#include "game/world/stage_data.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "platform/random.h"
#include "vantor/input/input.h"

namespace {

// Processor time of the calling thread, in nanoseconds.
int64_t ThreadNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

// The spawn operations that bring on each boss.
constexpr int kFirstBoss = 21;
constexpr int kStageOneBoss = 32;
constexpr int kStageTwoBoss = 50;
// Frames a boss runs before the measured scene is taken: each has flown in
// and opened by then.
constexpr int kBossLeadIn = 320;
constexpr int kBulletKinds = 22;
constexpr int kEffectKinds = 8;

// The real form with the generated assets, a fresh home for score.dat, and
// MIDI going nowhere.
class Game {
 public:
  // With `watch`, the form watches that replay.
  explicit Game(std::shared_ptr<const game::Replay> watch = nullptr) {
    home_ = std::filesystem::temp_directory_path() / ("solvara_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(home_);
    const std::string assets = platform::ProgramDir();
    platform::SetHomeDir(home_.string());
    // A ranking in place, so the form starts without its "creating" message.
    const game::RankEntry rows[game::kSavedRows] = {};
    game::WriteScoreFile((home_ / game::kScoreFile).string(), rows);
    platform::MapFolder("bmp", assets + "/bmp");
    platform::MapFolder("sound", assets + "/sound");
    backend_ = std::make_unique<platform::headless::Backend>();
    backend_->midi.Use(platform::headless::HeadlessMidi::Sink::Null);
    form_ = std::make_unique<game::TForm1>(nullptr, std::move(watch));
    platform::Rand().Seed(1);
  }
  ~Game() {
    form_->Close();
    form_.reset();
    backend_.reset();
    platform::ClearFolderMaps();
    std::filesystem::remove_all(home_);
  }

  bool Started() const { return backend_->app.Exceptions().empty(); }
  game::TForm1& Form() { return *form_; }
  platform::headless::Backend& Backend() { return *backend_; }
  void Frame() { backend_->app.Step(); }

 private:
  std::filesystem::path home_;
  std::unique_ptr<platform::headless::Backend> backend_;
  std::unique_ptr<game::TForm1> form_;
};

// The world as it was when the scene was set, put back before every frame
// so that each measured frame draws the same full scene.
using World = game::WorldSnapshot;

// Every free bullet and effect record becomes a live one, spread over the
// field, with every kind represented.
void FillPools(game::TForm1& f) {
  int i = 0;
  for (game::EnemyBullet& b : f.EnemyBullet) {
    ++i;
    if (b.active) continue;
    b = game::EnemyBullet{};
    b.active = 1;
    b.kind = i % kBulletKinds;
    b.x = 20 + (i * 37) % 600;
    b.y = 30 + (i * 53) % 420;
    b.halfW = b.halfH = 4;
    b.dx = i % 3 - 1;
    b.dy = i % 5 - 2;
    b.dir = i % 16;
  }
  for (game::Effect& e : f.Effect) {
    ++i;
    if (e.active) continue;
    e = game::Effect{};
    e.active = 1;
    e.kind = i % kEffectKinds;
    e.x = 20 + (i * 41) % 600;
    e.y = 30 + (i * 29) % 420;
    e.life = 1000;
    e.dx = i % 3 - 1;
    e.dy = i % 3 - 1;
    e.grow = i % 24;
  }
}

void ReportBudget(benchmark::State& state, int64_t spentNanoseconds) {
  const double perFrame = spentNanoseconds / 1e6 / state.iterations();
  state.counters["frame_ms"] = perFrame;
  state.counters["budget_pct"] = 100.0 * perFrame / game::kFrameMilliseconds;
}

void BM_TitleScreen(benchmark::State& state) {
  Game g;
  if (!g.Started()) return state.SkipWithError("the form did not start (are the assets built?)");
  game::TForm1& f = g.Form();
  int64_t spent = 0;
  for (auto _ : state) {
    // The title stays up; its background keeps turning and zooming.
    f.GameState.screenCounter = 0;
    const int64_t start = ThreadNanoseconds();
    g.Frame();
    spent += ThreadNanoseconds() - start;
  }
  ReportBudget(state, spent);
}
BENCHMARK(BM_TitleScreen)->Unit(benchmark::kMicrosecond);

// The boss fight of spawn operation `op` with full pools, set on `g`'s form:
// false when the boss is not on the field.
bool SetBossScene(Game& g, int op, World& scene) {
  game::TForm1& f = g.Form();
  f.ResetRun();
  f.ResetStage();
  f.GameState.screen = game::ScreenPlay;
  f.GameState.autopilot = 0;
  f.PlayerShip.x = 150;
  f.PlayerShip.y = 240;
  f.PlayerShip.power = 4;
  f.SetTrail(150, 240);
  f.keepShipUnhurt = true;
  game::SpawnMembers(f.Enemy, game::SpawnRows(op));
  for (int i = 0; i < kBossLeadIn; ++i) g.Frame();
  const bool bossOn = std::any_of(f.Enemy.begin(), f.Enemy.end(), [](const game::Enemy& e) {
    return e.state == 1 && (e.behaviour == 9 || e.behaviour == 20 || e.behaviour == 33);
  });
  if (!bossOn) return false;
  FillPools(f);
  scene.Take(f);
  return true;
}

// Each iteration sets the scene again and times one frame; reports and
// returns the time spent.
int64_t TimeSceneFrames(benchmark::State& state, Game& g, const World& scene) {
  int64_t spent = 0;
  for (auto _ : state) {
    scene.Restore(g.Form());
    const int64_t start = ThreadNanoseconds();
    g.Frame();
    spent += ThreadNanoseconds() - start;
  }
  ReportBudget(state, spent);
  return spent;
}

void BM_BossFight(benchmark::State& state) {
  Game g;
  if (!g.Started()) return state.SkipWithError("the form did not start (are the assets built?)");
  World scene;
  if (!SetBossScene(g, static_cast<int>(state.range(0)), scene))
    return state.SkipWithError("the boss is not on the field");
  TimeSceneFrames(state, g, scene);
  state.counters["bullets"] = game::LiveCount(scene.bullets);
  state.counters["effects"] = game::LiveCount(scene.effects);
  state.counters["enemies"] = game::LiveCount(scene.enemies);
}
BENCHMARK(BM_BossFight)
    ->ArgName("spawn_op")
    ->Arg(kFirstBoss)
    ->Arg(kStageOneBoss)
    ->Arg(kStageTwoBoss)
    ->Unit(benchmark::kMicrosecond);

// A shown frame of a replay watched at normal speed (1) and at fast play's
// (4: three frames drawn into nothing, then the one shown), in the stage-2
// boss fight with full pools. The replay holds a new game whose input is
// nothing pressed, long enough for every iteration; the scene is set again
// before each shown frame. Fast play's "x_normal" is its frame against the
// normal one measured in the same run (at most 2).
double gNormalWatchedFrame = 0;

void BM_WatchedFrame(benchmark::State& state) {
  auto replay = std::make_shared<game::Replay>();
  {
    Game title;
    if (!title.Started()) return state.SkipWithError("the form did not start (are the assets built?)");
    title.Form().ResetRun();
    title.Form().ResetStage();
    title.Form().GameState.screen = game::ScreenPlay;
    title.Form().GameState.screenCounter = 1;
    game::TakeWorldStart(title.Form(), *replay);
  }
  for (int run = 0; run < 3; ++run) replay->runs.push_back({0, UINT16_MAX});
  replay->frames = 3 * UINT16_MAX;
  Game g(replay);
  game::TForm1& f = g.Form();
  World scene;
  g.Frame();
  if (!SetBossScene(g, kStageTwoBoss, scene)) return state.SkipWithError("the boss is not on the field");
  f.fastPlay = state.range(0) > 1;
  const uint32_t framesBefore = f.replays.Frame();
  const int64_t spent = TimeSceneFrames(state, g, scene);
  state.counters["world_frames"] = double(f.replays.Frame() - framesBefore) / state.iterations();
  const double frame = spent / 1e6 / state.iterations();
  if (!f.fastPlay) gNormalWatchedFrame = frame;
  else if (gNormalWatchedFrame > 0) state.counters["x_normal"] = frame / gNormalWatchedFrame;
}
BENCHMARK(BM_WatchedFrame)->ArgName("frames")->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

// What recording adds to a frame: the input poll a frame makes anyway, with
// the recorder idle (0) or recording a game whose input changes every frame
// (1), the most it ever stores. The iterations stay below what one game's
// runs may hold.
void BM_RecordingAFrame(benchmark::State& state) {
  Game g;
  if (!g.Started()) return state.SkipWithError("the form did not start (are the assets built?)");
  game::TForm1& f = g.Form();
  f.GameState.screen = state.range(0) ? game::ScreenPlay : game::ScreenTitle;
  game::ReplayDeck deck;
  VantorInputSystem::TVantorInputState input{};
  const uint8_t fire = VantorInputSystem::ScanCode(VantorInputSystem::ikX);
  bool held = false;
  for (auto _ : state) {
    deck.BeginFrame(f);
    held = !held;
    g.Backend().input.SetKey(fire, held);
    deck.Read(*f.chip, input);
    benchmark::DoNotOptimize(input);
  }
}
BENCHMARK(BM_RecordingAFrame)->ArgName("recording")->Arg(0)->Arg(1)->Iterations(200000);

}  // namespace

BENCHMARK_MAIN();
