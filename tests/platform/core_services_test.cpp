#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/app.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/headless/clock.h"
#include "platform/random.h"
#include "platform/startup.h"
#include "platform/user_dirs.h"

namespace {

TEST(RandomTest, FollowsTheClassicGenerator) {
  platform::Random r;
  r.Seed(1);
  EXPECT_EQ(r.Next(), 41);
  EXPECT_EQ(r.Next(), 18467);
  EXPECT_EQ(r.Next(), 6334);
  for (int i = 0; i < 1000; ++i) {
    int v = r.Next();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, platform::Random::kMax);
  }
}

// The start-up line of the debug log: a stage timed inside another counts
// for itself only, and one timed twice adds up.
TEST(StartUpStagesTest, NestedStagesCountOnceAndRepeatsAddUp) {
  using namespace std::chrono_literals;
  platform::TakeStartUpStages();
  {
    platform::StageTimer outer("outer");
    std::this_thread::sleep_for(10ms);
    for (int i = 0; i < 2; ++i) platform::TimeStage("inner", [] { std::this_thread::sleep_for(100ms); });
  }
  const std::vector<platform::StartUpStage> stages = platform::TakeStartUpStages();
  ASSERT_EQ(stages.size(), 2u);
  EXPECT_EQ(stages[0].name, "inner");
  EXPECT_GE(stages[0].milliseconds, 200);
  EXPECT_EQ(stages[1].name, "outer");
  EXPECT_GE(stages[1].milliseconds, 10);
  EXPECT_LT(stages[1].milliseconds, 150);  // without the inner 200
  EXPECT_TRUE(platform::TakeStartUpStages().empty());
}

TEST(ClockTest, WrappingDeadlinesCompareByDifference) {
  EXPECT_TRUE(platform::Reached(5, 0xFFFFFFF0u));   // 21 ms past a deadline before the wrap
  EXPECT_FALSE(platform::Reached(0xFFFFFFF0u, 5));  // deadline still ahead across the wrap
  platform::headless::VirtualClock clock;
  clock.Set(0xFFFFFFF0u);
  clock.WaitUntil(0xFFFFFFF0u + 33);
  EXPECT_EQ(clock.Milliseconds(), 17u);
  clock.WaitUntil(10);  // already reached: time stays
  EXPECT_EQ(clock.Milliseconds(), 17u);
}

// A worker stepping every 10 ms on the virtual clock, as the sequencer does:
// however the threads are scheduled, its steps fall on its deadlines, a wake
// adds one step at the current time, and the step hook sees every stop.
TEST(VirtualClockThread, StopsAtEveryDeadlineOfAWaitingWorker) {
  platform::headless::VirtualClock clock;
  std::vector<uint32_t> hooked;
  clock.OnStep([&](uint32_t to) { hooked.push_back(to); });
  std::unique_ptr<platform::ClockTimer> timer = clock.CreateTimer();
  std::vector<uint32_t> steps;  // written by the worker while the clock waits
  std::atomic<bool> done{false};
  std::thread worker([&] {
    while (!done) {
      const uint32_t start = clock.Milliseconds();
      steps.push_back(start);
      timer->WaitUntil(start + 10);
    }
  });
  clock.Advance(35);
  EXPECT_EQ(steps, (std::vector<uint32_t>{0, 10, 20, 30}));
  EXPECT_EQ(hooked, (std::vector<uint32_t>{10, 20, 30, 35}));
  timer->Wake();
  clock.WaitUntil(36);  // the woken step runs at 35 before the clock moves on
  clock.WaitUntil(45);
  EXPECT_EQ(steps, (std::vector<uint32_t>{0, 10, 20, 30, 35, 45}));
  done = true;
  timer->Wake();
  worker.join();
}

// Held, the clock jumps past the worker's deadlines without waiting for it;
// the worker steps again only when woken.
TEST(VirtualClockThread, HeldMovesWithoutTheWorkerUntilWoken) {
  using namespace std::chrono_literals;
  platform::headless::VirtualClock clock;
  std::unique_ptr<platform::ClockTimer> timer = clock.CreateTimer();
  std::atomic<int> steps{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    while (!done) {
      const uint32_t start = clock.Milliseconds();
      ++steps;
      timer->WaitUntil(start + 10);
    }
  });
  // Not held yet, the clock waits until the worker waits on its deadline: a
  // worker not yet waiting would find the deadline passed and step again.
  clock.Set(0);
  clock.HoldTimers();
  clock.Advance(35);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(clock.Milliseconds(), 35u);
  EXPECT_EQ(steps, 1);
  timer->Wake();
  while (steps == 1) std::this_thread::yield();
  done = true;
  timer->Wake();
  worker.join();
}

TEST(FilesTest, BackslashPathsResolveBesideTheProgramOrInMappedFolders) {
  platform::ClearFolderMaps();
  EXPECT_EQ(platform::ResolvePath("bmp\\title.bmp"), platform::ProgramDir() + "/bmp/title.bmp");
  platform::MapFolder("bmp", "/assets/bmp");
  platform::SetHomeDir("/home/player");
  EXPECT_EQ(platform::ResolvePath("bmp\\title.bmp"), "/assets/bmp/title.bmp");
  EXPECT_EQ(platform::ResolvePath("score.dat"), "/home/player/score.dat");
  EXPECT_EQ(platform::ResolvePath("sound\\bgm0.mid"), "/home/player/sound/bgm0.mid");
  platform::ClearFolderMaps();
}

TEST(FilesTest, AtomicWriteReplacesTheWholeFileOrNothing) {
  auto dir = std::filesystem::temp_directory_path() / ("solvara-atomic-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string path = (dir / "score.dat").string();
  std::string first(308, 'a'), second(308, 'b');
  ASSERT_TRUE(platform::WriteFileAtomically(path, first.data(), first.size()));
  ASSERT_TRUE(platform::WriteFileAtomically(path, second.data(), second.size()));
  std::ifstream in(path, std::ios::binary);
  std::string got((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(got, second);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  // A folder that does not exist: failure, nothing written.
  EXPECT_FALSE(platform::WriteFileAtomically((dir / "missing" / "x").string(), "x", 1));
  std::filesystem::remove_all(dir);
}

TEST(FilesTest, PlayerFoldersFollowTheXdgRulesUnlessChosen) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", "/home/p", 1);
  struct Case {
    const char* variable;
    const char* value;  // null: unset
    std::string (*folder)();
    const char* want;
  };
  const Case cases[] = {
      {"XDG_DATA_HOME", "/x/data", platform::DataDir, "/x/data/solvara"},
      {"XDG_DATA_HOME", "x/data", platform::DataDir, "/home/p/.local/share/solvara"},  // relative: ignored
      {"XDG_CONFIG_HOME", "/x/config", platform::ConfigDir, "/x/config/solvara"},
      {"XDG_STATE_HOME", "/x/state", platform::StateDir, "/x/state/solvara"},
      {"XDG_STATE_HOME", nullptr, platform::StateDir, "/home/p/.local/state/solvara"},
  };
  for (const Case& c : cases) {
    if (c.value) setenv(c.variable, c.value, 1);
    else unsetenv(c.variable);
    EXPECT_EQ(c.folder(), c.want) << c.variable << "=" << (c.value ? c.value : "(unset)");
  }
  platform::SetDataDir("/chosen");
  EXPECT_EQ(platform::DataDir(), "/chosen");
  platform::SetHomeDir("/sandbox");  // the runner's --home: every folder
  EXPECT_EQ(platform::DataDir() + platform::ConfigDir() + platform::StateDir(), "/sandbox/sandbox/sandbox");
  platform::ClearFolderMaps();
  EXPECT_EQ(platform::DataDir(), "/home/p/.local/share/solvara");
  setenv("HOME", home.c_str(), 1);
}

TEST(EncodingTest, RoundTripsJapaneseAndMarksBadBytes) {
  std::string sjis = platform::Utf8ToCp932("スコア記録ファイルを作成します。");
  EXPECT_EQ(sjis.size(), 32u);  // 16 double-byte characters
  EXPECT_EQ(platform::Cp932ToUtf8(sjis), "スコア記録ファイルを作成します。");
  EXPECT_EQ(platform::Cp932ToUtf8("ab\x81"), "ab?");  // a lead byte with no trail byte
}

TEST(PostedMessageTest, MessagesFromOtherThreadsArriveOnTheDispatchingThreadInOrder) {
  std::vector<uint32_t> received;
  std::thread::id where;
  platform::MessageWindow window([&](platform::Message& m) {
    received.push_back(m.id);
    where = std::this_thread::get_id();
  });
  std::thread poster([&] {
    for (uint32_t i = 1; i <= 100; ++i) window.Post(i, i, 0);
  });
  poster.join();
  platform::DispatchPostedMessages();
  ASSERT_EQ(received.size(), 100u);
  for (uint32_t i = 0; i < 100; ++i) EXPECT_EQ(received[i], i + 1);
  EXPECT_EQ(where, std::this_thread::get_id());
}

TEST(PostedMessageTest, MessagesOfADestroyedWindowAreDropped) {
  int calls = 0;
  {
    platform::MessageWindow window([&](platform::Message&) { ++calls; });
    window.Post(1, 0, 0);
  }
  platform::DispatchPostedMessages();
  EXPECT_EQ(calls, 0);
}

TEST(PaletteTest, RegisteredComponentsAreFoundOnTheirPage) {
  platform::RegisterComponent("Vantor", "TVantorExample");
  EXPECT_TRUE(platform::IsComponentRegistered("Vantor", "TVantorExample"));
  EXPECT_FALSE(platform::IsComponentRegistered("Other", "TVantorExample"));
}

}  // namespace
