// The whole game over a long run of seeded random input on the headless
// backend: every screen is reached, no frame throws, every game starts from
// a start world the game knows, and the heap stays flat once the game has
// started.
//
// CI runs a reduced form. The full run of 200,000 frames:
//   SOLVARA_LONGRUN_FRAMES=200000 ./test_longrun
// (SOLVARA_LONGRUN_SEED picks another input sequence.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "game/records/replay.h"
#include "game/records/score_file.h"
#include "game/world/start_worlds.h"
#include "platform/random.h"
#include "tests/game/form_fixture.h"
#include "tests/longrun/cpp_heap.h"
#include "vantor/input/input.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LONGRUN_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LONGRUN_SANITIZED 1
#endif
#ifdef LONGRUN_SANITIZED
// The sanitizer runtimes' own count (gcc ships no header declaring it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

using VantorInputSystem::ScanCode;
using VantorInputSystem::TInputKeys;

constexpr int kReducedFrames = 12000;
constexpr uint32_t kDefaultSeed = 2001;
// Heap samples are taken this often; the first part of the run is start-up.
constexpr int kSampleEvery = 500;
constexpr int kStartUpFrames = 3000;
// What the second half of the run may hold above the first half's peak.
// Our own code's heap: room for a few map nodes of the text renderer's
// cache, far less than a leak of a few bytes a frame adds up to.
constexpr size_t kCppHeapSlack = 32 * 1024;
// The whole heap: room as well for the rendered texts that cache keeps
// (bounded; it takes the new date texts of the ranking).
constexpr size_t kHeapSlack = 256 * 1024;
// Every other game keeps the ship unhurt for this many frames, so the run
// also reaches the later parts of the stages and the bosses.
constexpr int kUnhurtFrames = 3000;
// One frame of 44.1 kHz audio, mixed so the effects really play.
constexpr uint32_t kAudioFramesPerFrame = 44100 * game::kFrameMilliseconds / 1000;

constexpr TInputKeys kKeys[] = {VantorInputSystem::ikUp, VantorInputSystem::ikDown, VantorInputSystem::ikLeft,
                                VantorInputSystem::ikRight, VantorInputSystem::ikZ, VantorInputSystem::ikX,
                                VantorInputSystem::ikC};
constexpr int kAllScreens[] = {game::ScreenTitle,   game::ScreenPlay,    game::ScreenGameOver,
                               game::ScreenResults, game::ScreenRanking, game::ScreenHowToPlay};
// The boss programs' behaviours, counted when they appear.
constexpr int kBossBehaviours[] = {9, 20, 33};

size_t LiveHeapBytes() {
#ifdef LONGRUN_SANITIZED
  return __sanitizer_get_current_allocated_bytes();
#else
  // Large blocks are mapped on their own and counted apart.
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

int EnvNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::atoi(text) : fallback;
}

// Random input in phases: a set of held keys for up to one and a half
// seconds, or now and then hands off for long enough that the title's
// attract screens and the results screen run out on their own.
class RandomPlayer {
 public:
  explicit RandomPlayer(uint32_t seed) : random_(seed) {}

  uint8_t Next() {
    if (left_ == 0) Choose();
    --left_;
    return held_;
  }

 private:
  void Choose() {
    if (Roll(4) == 0) {
      held_ = 0;
      left_ = 400 + Roll(1000);
      return;
    }
    held_ = 0;
    for (size_t k = 0; k < std::size(kKeys); ++k)
      if (Roll(2) == 0) held_ |= 1 << k;
    left_ = 1 + Roll(45);
  }
  int Roll(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  std::mt19937 random_;
  uint8_t held_ = 0;
  int left_ = 0;
};

using LongRun = game::testing::FormTest;

TEST_F(LongRun, RandomInputThroughEveryScreenKeepsTheHeapFlat) {
  const int frames = EnvNumber("SOLVARA_LONGRUN_FRAMES", kReducedFrames);
  const auto seed = static_cast<uint32_t>(EnvNumber("SOLVARA_LONGRUN_SEED", kDefaultSeed));
  ASSERT_GE(frames, 4 * kStartUpFrames) << "too short a run to compare its halves";

  // The recording sink would keep every message of the run.
  backend.midi.Use(platform::headless::HeadlessMidi::Sink::Null);
  CreateForm();
  game::TForm1& f = *form;
  ASSERT_TRUE(backend.app.Exceptions().empty()) << backend.app.Exceptions().front();
  platform::Rand().Seed(seed);
  RandomPlayer player(seed);

  std::set<int> screens, bosses;
  int games = 0, gameFrames = 0, lastScreen = -1;
  // Peaks of each half: [0] the whole heap, [1] our own code's.
  size_t firstHalfPeak[2] = {}, secondHalfPeak[2] = {};
  for (int frame = 1; frame <= frames; ++frame) {
    const uint8_t held = player.Next();
    for (size_t k = 0; k < std::size(kKeys); ++k) backend.input.SetKey(ScanCode(kKeys[k]), held & (1 << k));
    ASSERT_TRUE(backend.app.Step()) << "the form closed at frame " << frame;
    backend.sound.Advance(kAudioFramesPerFrame);
    backend.sound.ClearCaptured();
    ASSERT_TRUE(backend.app.Exceptions().empty()) << "frame " << frame << ": " << backend.app.Exceptions().front();

    const int screen = f.GameState.screen;
    screens.insert(screen);
    // A game the title starts starts from a world the table of start worlds
    // has (what the screens before leave behind is in its ranges).
    if (screen == game::ScreenPlay && lastScreen == game::ScreenTitle) {
      game::Replay start;
      game::TakeWorldStart(f, start);
      std::string reason;
      EXPECT_TRUE(game::IsNewGameStart(start.world, &reason)) << "the game started at frame " << frame << ": " << reason;
      // One field off, and it is no new game, with the field named.
      start.world[offsetof(game::GameState, lives) / 4] = 99;
      EXPECT_FALSE(game::IsNewGameStart(start.world, &reason));
      EXPECT_EQ(reason, "GameState.lives is 99, where a new game from the title has 2");
    }
    if (screen == game::ScreenPlay && lastScreen != game::ScreenPlay) {
      ++games;
      gameFrames = 0;
      f.keepShipUnhurt = games % 2 == 0;
    }
    if (++gameFrames > kUnhurtFrames) f.keepShipUnhurt = false;
    lastScreen = screen;
    for (const game::Enemy& e : f.Enemy)
      if (e.state == 1 && std::find(std::begin(kBossBehaviours), std::end(kBossBehaviours), e.behaviour) !=
                              std::end(kBossBehaviours))
        bosses.insert(e.behaviour);

    if (frame % kSampleEvery != 0 || frame <= kStartUpFrames) continue;
    size_t* peak = frame <= (frames + kStartUpFrames) / 2 ? firstHalfPeak : secondHalfPeak;
    peak[0] = std::max(peak[0], LiveHeapBytes());
    peak[1] = std::max(peak[1], longrun::LiveCppHeapBytes());
  }

  for (int s : kAllScreens) EXPECT_TRUE(screens.count(s)) << "screen " << s << " never reached";
  EXPECT_LE(secondHalfPeak[0], firstHalfPeak[0] + kHeapSlack)
      << "the heap grew from " << firstHalfPeak[0] << " to " << secondHalfPeak[0] << " bytes";
  EXPECT_LE(secondHalfPeak[1], firstHalfPeak[1] + kCppHeapSlack)
      << "our own heap grew from " << firstHalfPeak[1] << " to " << secondHalfPeak[1] << " bytes";
  RecordProperty("games", games);
  RecordProperty("bosses", static_cast<int>(bosses.size()));
  std::printf("%d frames, %d games, bosses met: %zu of 3, heap peak %zu then %zu bytes (own code %zu then %zu), "
              "%zu cached texts\n",
              frames, games, bosses.size(), firstHalfPeak[0], secondHalfPeak[0], firstHalfPeak[1],
              secondHalfPeak[1], backend.text.CachedTexts());

  f.Close();
  EXPECT_TRUE(backend.app.Terminated());
  EXPECT_EQ(std::filesystem::file_size(ScorePath()), game::kScoreFileSize);
}

}  // namespace
