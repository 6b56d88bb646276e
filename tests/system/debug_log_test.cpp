#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "test_files.h"
#include "vantor/system/debug.h"
#include "vantor/system/frame.h"

using VantorDebugSystem::TVantorDebug;

namespace {

class DebugLogTest : public ::testing::Test {
 protected:
  void TearDown() override { TVantorDebug::SetDebug(nullptr, false, false); }
};

// The header is the first eleven lines before the CPU report, then the trace
// banner; every header line is 77 bytes of CP932, and the file is UTF-8 (so
// 77 columns).
TEST_F(DebugLogTest, HeaderLinesAreRuleAndPaddedTextsOf77Columns) {
  std::string path = testfiles::TempPath("header.log");
  TVantorDebug::SetDebug(path.c_str(), true, false);
  VantorSystem::VnTrace(VN_TEXT("一行目 first trace line"));
  TVantorDebug::SetDebug(nullptr, false, false);

  auto lines = testfiles::Lines(testfiles::ReadAll(path));
  ASSERT_GE(lines.size(), 10u);
  const std::string rule = "// " + std::string(74, '=');
  EXPECT_EQ(lines[0], rule);
  EXPECT_EQ(lines[1], "// Vantor Game Library 0.80 デバッグ＆プロファイリングシステム出力" + std::string(11, ' '));
  EXPECT_EQ(platform::Utf8ToCp932(lines[1]).size(), 77u);
  EXPECT_EQ(lines[2].size(), 77u);
  EXPECT_EQ(lines[2].substr(0, 2), "//");
  EXPECT_EQ(lines[2].back(), ' ');  // the credit text ends with one blank
  EXPECT_EQ(lines[3], rule);
  EXPECT_EQ(lines[4], "");

  // The trace banner follows the CPU report; find it by its right-aligned credit.
  const std::string credit = "Created by TVantorDebug";
  size_t banner = 0;
  for (size_t i = 5; i < lines.size(); ++i)
    if (lines[i].size() == 77 && lines[i].substr(77 - credit.size()) == credit) banner = i;
  ASSERT_GT(banner, 5u);
  EXPECT_EQ(lines[banner - 2], rule);
  EXPECT_EQ(lines[banner - 1], "// プログラムトレース出力" + std::string(52, ' '));
  EXPECT_EQ(platform::Utf8ToCp932(lines[banner - 1]).size(), 77u);
  EXPECT_EQ(lines[banner + 1], rule);
  EXPECT_EQ(lines[banner + 2], "");
  EXPECT_EQ(lines[banner + 3], "一行目 first trace line");
  // Closing writes three line feeds before the profiling report.
  std::string all = testfiles::ReadAll(path);
  size_t after = all.find("first trace line\n") + std::string("first trace line\n").size();
  EXPECT_EQ(all.substr(after, 3), "\n\n\n");
}

TEST_F(DebugLogTest, NullFileNameLeavesTheLogClosedAndFlagsOff) {
  TVantorDebug::SetDebug(nullptr, true, true);
  EXPECT_FALSE(TVantorDebug::GetDebug());
  EXPECT_FALSE(TVantorDebug::GetProfile());
  EXPECT_EQ(TVantorDebug::GetProfiler(), nullptr);
}

TEST_F(DebugLogTest, SecondSetDebugClosesTheFirstFileAndStartsAFullHeader) {
  std::string first = testfiles::TempPath("first.log");
  std::string second = testfiles::TempPath("second.log");
  TVantorDebug::SetDebug(first.c_str(), true, false);
  VantorSystem::VnTrace("only in the first");
  TVantorDebug::SetDebug(second.c_str(), true, true);
  EXPECT_TRUE(TVantorDebug::GetProfile());
  VantorSystem::VnTrace("only in the second");
  TVantorDebug::SetDebug(nullptr, false, false);

  std::string a = testfiles::ReadAll(first);
  std::string b = testfiles::ReadAll(second);
  EXPECT_NE(a.find("only in the first\n\n\n\n"), std::string::npos);
  EXPECT_EQ(a.find("only in the second"), std::string::npos);
  EXPECT_EQ(b.rfind("// " + std::string(74, '='), 0), 0u);
  EXPECT_NE(b.find("only in the second"), std::string::npos);
  EXPECT_EQ(b.find("only in the first"), std::string::npos);
}

TEST_F(DebugLogTest, TraceLinesNeedTheDebugFlag) {
  std::string path = testfiles::TempPath("quiet.log");
  TVantorDebug::SetDebug(path.c_str(), false, true);
  VantorSystem::VnTrace("must not appear");
  EXPECT_TRUE(TVantorDebug::GetProfile());
  TVantorDebug::SetDebug(nullptr, false, false);
  EXPECT_EQ(testfiles::ReadAll(path).find("must not appear"), std::string::npos);
}

TEST_F(DebugLogTest, PaddingHelpersFillTo77Bytes) {
  EXPECT_EQ(VantorDebugSystem::PadLine("// x"), "// x" + std::string(73, ' '));
  EXPECT_EQ(VantorDebugSystem::RightLine("abc"), "//" + std::string(72, ' ') + "abc");
}

}  // namespace
