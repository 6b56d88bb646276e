#include <gtest/gtest.h>

#include <stdexcept>

#include "test_files.h"
#include "vantor/system/debug.h"
#include "vantor/system/frame.h"

using VantorDebugSystem::TVantorDebug;
using VantorSystem::RunMethod;
using VantorSystem::VnTrace;

namespace {

// A component shaped like the library's: Init writes its start line, sets up
// step by step, and on failure cleans up before throwing.
class FakeComponent {
 public:
  explicit FakeComponent(int failAtStep) : failAtStep_(failAtStep) {}
  void Init() {
    RunMethod("TFake::Init", [&] {
      VnTrace(VN_TEXT("TFake::初期化開始"));
      for (int step = 1; step <= 3; ++step) {
        if (step == failAtStep_) {
          CleanUp();
          throw VantorSystem::EVnSound(VN_TEXT("段階の失敗"));
        }
        VnTrace("TFake::step " + std::to_string(step));
      }
    });
  }
  void CleanUp() {
    RunMethod("TFake::CleanUp", [&] { VnTrace(VN_TEXT("TFake::クリーンアップ")); });
  }
  int Outer() {
    return RunMethod("TFake::Outer", [&] {
      Init();
      return 1;
    });
  }

 private:
  int failAtStep_;
};

std::vector<std::string> TraceLines(const std::string& path) {
  auto lines = testfiles::Lines(testfiles::ReadAll(path));
  const std::string credit = "Created by TVantorDebug";
  size_t i = 0;
  while (i < lines.size() && !(lines[i].size() == 77 && lines[i].substr(77 - credit.size()) == credit)) ++i;
  return std::vector<std::string>(lines.begin() + static_cast<long>(std::min(lines.size(), i + 3)), lines.end());
}

TEST(MethodFrameTest, FailingInitTracesStartStepsCleanUpAndTheWholeMessage) {
  std::string path = testfiles::TempPath("failing-init.log");
  TVantorDebug::SetDebug(path.c_str(), true, false);
  FakeComponent component(3);
  EXPECT_THROW(component.Init(), VantorSystem::EVnSound);
  TVantorDebug::SetDebug(nullptr, false, false);

  auto lines = TraceLines(path);
  ASSERT_GE(lines.size(), 7u);
  // The log is UTF-8.
  EXPECT_EQ(lines[0], "TFake::初期化開始");
  EXPECT_EQ(lines[1], "TFake::step 1");
  EXPECT_EQ(lines[2], "TFake::step 2");
  EXPECT_EQ(lines[3], "TFake::クリーンアップ");
  // The message spans three lines: prefix, empty line, detail.
  EXPECT_EQ(lines[4], "TVantorSound エラー");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "段階の失敗");
}

TEST(MethodFrameTest, AFailureIsTracedOnceByEveryMethodItPassesThrough) {
  std::string path = testfiles::TempPath("nested.log");
  TVantorDebug::SetDebug(path.c_str(), true, false);
  FakeComponent component(1);
  EXPECT_THROW(component.Outer(), VantorSystem::EVnSound);
  TVantorDebug::SetDebug(nullptr, false, false);
  std::string log = testfiles::ReadAll(path);
  size_t count = 0;
  for (size_t at = log.find("段階の失敗"); at != std::string::npos; at = log.find("段階の失敗", at + 1))
    ++count;
  EXPECT_EQ(count, 2u);
}

TEST(MethodFrameTest, StandardExceptionsAreTracedAndRethrownUnchanged) {
  std::string path = testfiles::TempPath("std.log");
  TVantorDebug::SetDebug(path.c_str(), true, false);
  EXPECT_THROW(RunMethod("TFake::Bad", [] { throw std::out_of_range("index out of range"); }),
               std::out_of_range);
  TVantorDebug::SetDebug(nullptr, false, false);
  auto lines = TraceLines(path);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "index out of range");
}

TEST(MethodFrameTest, WithTheLogClosedFailuresStillThrowAndValuesReturn) {
  EXPECT_THROW(RunMethod("TFake::Bad", [] { throw VantorSystem::EVnMidi("x"); }), VantorSystem::EVnMidi);
  EXPECT_EQ(RunMethod("TFake::Value", [] { return 42; }), 42);
}

}  // namespace
