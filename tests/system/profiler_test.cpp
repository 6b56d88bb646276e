#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/encoding.h"
#include "test_files.h"
#include "vantor/system/debug.h"
#include "vantor/system/frame.h"
#include "vantor/system/profiler.h"

using VantorDebugSystem::TVantorDebug;
using VantorSystem::TVantorProfiler;

namespace {

// The tick counter the tests move by hand.
std::atomic<uint64_t> g_now{0};
uint64_t FakeTicks() { return g_now.load(); }

void StartAt(TVantorProfiler& p, uint64_t t) {
  g_now = t;
  p.Start();
}
void EndAt(TVantorProfiler& p, const char* name, uint64_t t) {
  g_now = t;
  p.End(name);
}

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932(utf8); }

std::string Row(uint64_t count, uint64_t total, uint64_t average, const std::string& name) {
  auto right = [](uint64_t value, size_t width) {
    std::string digits = std::to_string(value);
    return std::string(width - digits.size(), ' ') + digits;
  };
  return right(count, 10) + right(total, 20) + right(average, 15) + " " + name;
}

// The lines of the report that follow the column header.
std::vector<std::string> RowsOf(const std::string& report) {
  auto lines = testfiles::Lines(report);
  const std::string header = VantorDebugSystem::PadLine(Cp932("回数       全実行時間          平均           関数名"));
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == header) return {lines.begin() + static_cast<long>(i) + 1, lines.end()};
  ADD_FAILURE() << "no column header in:\n" << report;
  return {};
}

TEST(ProfilerTest, EmptyProfilerPrintsTheHeaderAndTheColumnHeaderOnly) {
  std::ostringstream out;
  { TVantorProfiler profiler(&out, FakeTicks); }
  const std::string rule = "// " + std::string(74, '=');
  const std::vector<std::string> expected = {
      rule,
      VantorDebugSystem::PadLine(Cp932("// プロファイリング結果出力")),
      "//" + std::string(49, ' ') + "Created by TVantorProfiler",
      "//" + std::string(54, ' ') + Cp932("時間単位はCPUクロック"),
      rule,
      "",
      VantorDebugSystem::PadLine(Cp932("回数       全実行時間          平均           関数名")),
  };
  EXPECT_EQ(testfiles::Lines(out.str()), expected);
  for (size_t i : {1, 2, 3, 6}) EXPECT_EQ(expected[i].size(), 77u) << i;
}

TEST(ProfilerTest, RowsHaveWidthsTenTwentyFifteenAndTheAverageRoundsDown) {
  std::ostringstream out;
  static const char kThree[] = "TVantorDraw::Draw";
  static const char kTwo[] = "TVantorDraw::Update";
  {
    TVantorProfiler profiler(&out, FakeTicks);
    for (uint64_t t : {1000, 2000, 3000}) {
      StartAt(profiler, t);
      EndAt(profiler, kThree, t + 100);
    }
    StartAt(profiler, 10);
    EndAt(profiler, kTwo, 13);
    StartAt(profiler, 20);
    EndAt(profiler, kTwo, 24);
    out.str("");
  }
  auto rows = RowsOf(out.str());
  ASSERT_EQ(rows.size(), 2u);
  const std::string three = "         3                 300            100 TVantorDraw::Draw";
  const std::string two = "         2                   7              3 TVantorDraw::Update";
  // Rows come in the order of the names' addresses.
  const bool threeFirst = std::less<const char*>()(kThree, kTwo);
  EXPECT_EQ(rows[threeFirst ? 0 : 1], three);
  EXPECT_EQ(rows[threeFirst ? 1 : 0], two);
}

TEST(ProfilerTest, NestedScopesCountInBothRows) {
  std::ostringstream out;
  static const char kOuter[] = "TVantorSound::Play";
  static const char kInner[] = "TVantorSoundBuffer::Play";
  {
    TVantorProfiler profiler(&out, FakeTicks);
    StartAt(profiler, 100);
    StartAt(profiler, 110);
    EndAt(profiler, kInner, 130);
    EndAt(profiler, kOuter, 150);
    out.str("");
  }
  auto rows = RowsOf(out.str());
  ASSERT_EQ(rows.size(), 2u);
  std::vector<std::string> expected = {Row(1, 50, 50, kOuter), Row(1, 20, 20, kInner)};
  if (std::less<const char*>()(kInner, kOuter)) std::swap(expected[0], expected[1]);
  EXPECT_EQ(rows, expected);
}

TEST(ProfilerTest, EqualTextsAtTwoAddressesAreTwoRowsInAddressOrder) {
  static const char kNames[2][16] = {"TSame::Method", "TSame::Method"};
  std::ostringstream out;
  {
    TVantorProfiler profiler(&out, FakeTicks);
    StartAt(profiler, 0);
    EndAt(profiler, kNames[1], 8);
    StartAt(profiler, 0);
    EndAt(profiler, kNames[0], 4);
    out.str("");
  }
  EXPECT_EQ(RowsOf(out.str()), (std::vector<std::string>{Row(1, 4, 4, kNames[0]), Row(1, 8, 8, kNames[1])}));
}

TEST(ProfilerTest, EndWithoutStartCountsNothing) {
  std::ostringstream out;
  {
    TVantorProfiler profiler(&out, FakeTicks);
    EndAt(profiler, "TStray::End", 5);
    out.str("");
  }
  EXPECT_TRUE(RowsOf(out.str()).empty());
}

// A scope on another thread, opened before and closed inside the main
// thread's scope, measures its own time and leaves the main thread's alone.
TEST(ProfilerTest, EachThreadHasItsOwnStartStack) {
  static const char kMain[] = "TMain::Method";
  static const char kWorker[] = "TWorker::Method";
  std::ostringstream out;
  {
    TVantorProfiler profiler(&out, FakeTicks);
    std::promise<void> workerStarted, mainStarted;
    std::thread worker([&] {
      StartAt(profiler, 20);
      workerStarted.set_value();
      mainStarted.get_future().wait();
      EndAt(profiler, kWorker, 35);
    });
    workerStarted.get_future().wait();
    StartAt(profiler, 30);
    mainStarted.set_value();
    worker.join();
    EndAt(profiler, kMain, 50);
    out.str("");
  }
  std::vector<std::string> expected = {Row(1, 20, 20, kMain), Row(1, 15, 15, kWorker)};
  if (std::less<const char*>()(kWorker, kMain)) std::swap(expected[0], expected[1]);
  EXPECT_EQ(RowsOf(out.str()), expected);
}

TEST(ProfilerTest, ThreadsCountEveryCallAndNeverSplitATraceLine) {
  static const char kName[] = "TThreaded::Method";
  constexpr int kThreads = 4;
  constexpr int kCalls = 500;
  std::ostringstream out;
  {
    TVantorProfiler profiler(&out);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&] {
        for (int i = 0; i < kCalls; ++i) {
          VantorSystem::TVantorFunctionProfile scope(&profiler, kName);
          profiler.Trace("a line that stays whole");
        }
      });
    for (auto& t : threads) t.join();
  }
  auto lines = testfiles::Lines(out.str());
  ASSERT_GE(lines.size(), size_t{kThreads * kCalls});
  for (int i = 0; i < kThreads * kCalls; ++i) ASSERT_EQ(lines[i], "a line that stays whole") << i;
  auto rows = RowsOf(out.str());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].substr(0, 10), "      2000");
}

// The report is the last block of each log, and a second SetDebug closes
// the first log with its own report before the second starts afresh.
TEST(ProfilerTest, EachLogEndsWithTheReportOfItsOwnCalls) {
  static const char kName[] = "TProfiled::Method";
  const std::string first = testfiles::TempPath("profiled-first.log");
  const std::string second = testfiles::TempPath("profiled-second.log");
  TVantorDebug::SetDebug(first.c_str(), false, true);
  for (int i = 0; i < 2; ++i) VantorSystem::RunMethod(kName, [] {});
  TVantorDebug::SetDebug(second.c_str(), true, true);
  VantorSystem::RunMethod(kName, [] {});
  TVantorDebug::SetDebug(nullptr, false, false);

  for (const auto& [path, count] : {std::pair{first, "         2"}, std::pair{second, "         1"}}) {
    // The log is UTF-8; the report is laid out in CP932.
    const std::string log = Cp932(testfiles::ReadAll(path).c_str());
    EXPECT_EQ(log.rfind("// " + std::string(74, '='), 0), 0u) << path;
    EXPECT_NE(log.find("Created by TVantorCPUID"), std::string::npos) << path;
    auto rows = RowsOf(log);
    ASSERT_EQ(rows.size(), 1u) << path;
    EXPECT_EQ(rows[0].substr(0, 10), count) << path;
    EXPECT_EQ(rows[0].substr(45), std::string(" ") + kName) << path;
  }
}

}  // namespace
