#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "test_files.h"
#include "vantor/system/cpu_report.h"

using VantorSystem::TVantorCpuInfo;

namespace {

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932(utf8); }
std::string Utf8(const std::string& cp932) { return platform::Cp932ToUtf8(cp932); }

uint32_t Chars(const char* four) {
  uint32_t value;
  std::memcpy(&value, four, 4);
  return value;
}

// A processor made up for the tests: CPUID answers from a table, the
// millisecond clock moves by a fixed step at each reading.
class FakeProcessor final : public VantorSystem::ProcessorAccess {
 public:
  bool CpuidAvailable() override { return available; }
  platform::CpuidResult Cpuid(uint32_t leaf) override {
    leavesRead.push_back(leaf);
    auto it = leaves.find(leaf);
    return it == leaves.end() ? platform::CpuidResult{0xBAD, 0xBAD, 0xBAD, 0xBAD} : it->second;
  }
  uint64_t TimeStampCounter() override { return counterReadings.at(counterReads++); }
  uint32_t Milliseconds() override {
    ++clockReads;
    uint32_t now = clock;
    clock += clockStep;
    return now;
  }
  void SetTimeCritical(bool on) override { priorities.push_back(on); }

  bool available = true;
  std::map<uint32_t, platform::CpuidResult> leaves;
  std::vector<uint32_t> leavesRead;
  std::vector<uint64_t> counterReadings;
  size_t counterReads = 0;
  uint32_t clock = 0;
  uint32_t clockStep = 1;
  int clockReads = 0;
  std::vector<bool> priorities;
};

// An Intel family 6, model 8, stepping 6 with a time-stamp counter, MMX,
// SSE and the extended 3DNow! bit, and a brand text.
FakeProcessor MadeUpIntel(uint32_t maxExtended) {
  FakeProcessor p;
  p.leaves[0] = {2, Chars("Genu"), Chars("ntel"), Chars("ineI")};
  p.leaves[1] = {0x686, 0, 0, (1u << 0) | (1u << 4) | (1u << 23) | (1u << 25)};
  p.leaves[0x80000000] = {maxExtended, 0, 0, 0};
  p.leaves[0x80000001] = {0, 0, 0, 1u << 31};
  p.leaves[0x80000002] = {Chars("Made"), Chars(" Up "), Chars("Pent"), Chars("ium ")};
  p.leaves[0x80000003] = {Chars("III "), Chars("733M"), Chars("Hz\0\0"), 0};
  p.leaves[0x80000004] = {0, 0, 0, 0};
  return p;
}

std::vector<std::string> ReportLines(const TVantorCpuInfo& info) {
  std::ostringstream out;
  VantorSystem::WriteCpuReport(out, info);
  return testfiles::Lines(out.str());
}

std::string LabelLine(const char* label, const std::string& valueCp932) {
  std::string line = Cp932(label);
  line.append(31 - line.size(), ' ');
  return line + Cp932("：") + valueCp932;
}

TEST(CpuInfoTest, FillsTheRecordFromTheLeaves) {
  FakeProcessor p = MadeUpIntel(0x80000004);
  TVantorCpuInfo info;
  std::memset(&info, 0x5A, sizeof info);
  VantorSystem::FillCpuInfo(info, p);
  EXPECT_EQ(info.CpuidAvailable, 1u);
  EXPECT_EQ(info.MaxStandardLeaf, 2u);
  EXPECT_EQ(info.MaxExtendedLeaf, 0x80000004u);
  EXPECT_STREQ(info.Vendor, "GenuineIntel");
  EXPECT_STREQ(info.Brand, "Made Up Pentium III 733MHz");
  EXPECT_EQ(info.VendorCode, 1);
  EXPECT_EQ(info.Family, 6u);
  EXPECT_EQ(info.Model, 8u);
  EXPECT_EQ(info.Stepping, 6u);
  EXPECT_EQ(info.Clock, 0u);
  std::vector<int> set;
  for (int i = 0; i < VantorSystem::kCpuFeatureCount; ++i)
    if (info.Feature[i]) set.push_back(i);
  // FPU, time-stamp counter, MMX, SSE, 3DNow!
  EXPECT_EQ(set, (std::vector<int>{0, 4, 21, 23, 28}));
}

TEST(CpuInfoTest, VendorCodesNeedAllTwelveCharacters) {
  const std::pair<const char*, int> vendors[] = {
      {"AuthenticAMD", 2}, {"CyrixInstead", 3}, {"CentaurHauls", 4}, {"GenuineIntex", 0}, {"AuthenticAM\0", 0}};
  for (const auto& [id, code] : vendors) {
    FakeProcessor p = MadeUpIntel(0x80000000);
    p.leaves[0] = {1, Chars(id), Chars(id + 8), Chars(id + 4)};
    TVantorCpuInfo info;
    VantorSystem::FillCpuInfo(info, p);
    EXPECT_EQ(info.VendorCode, code) << id;
  }
}

// Leaves beyond the maximum are never asked: a brand needs all three of its
// leaves, extended features need 0x80000001.
TEST(CpuInfoTest, ReadsOnlyTheExtendedLeavesTheProcessorHas) {
  const std::pair<uint32_t, std::vector<uint32_t>> cases[] = {
      {0x80000000, {0, 1, 0x80000000}},
      {0x80000001, {0, 1, 0x80000000, 0x80000001}},
      {0x80000003, {0, 1, 0x80000000, 0x80000001}},
      {0x80000004, {0, 1, 0x80000000, 0x80000001, 0x80000002, 0x80000003, 0x80000004}},
  };
  for (const auto& [maximum, read] : cases) {
    FakeProcessor p = MadeUpIntel(maximum);
    TVantorCpuInfo info;
    VantorSystem::FillCpuInfo(info, p);
    EXPECT_EQ(p.leavesRead, read) << std::hex << maximum;
    EXPECT_EQ(info.Brand[0] != '\0', maximum == 0x80000004) << std::hex << maximum;
    EXPECT_EQ(info.Feature[28], maximum >= 0x80000001) << std::hex << maximum;
  }
}

TEST(CpuInfoTest, WithoutCpuidTheRecordStaysZero) {
  FakeProcessor p;
  p.available = false;
  TVantorCpuInfo info;
  std::memset(&info, 0x5A, sizeof info);
  VantorSystem::FillCpuInfo(info, p);
  EXPECT_TRUE(p.leavesRead.empty());
  const TVantorCpuInfo zero{};
  EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0);
  EXPECT_EQ(VantorSystem::MeasureClock(info, p), 0u);
  EXPECT_EQ(p.clockReads, 0);
}

// 200 ms across the wrap of the millisecond clock, read in 50 ms steps:
// the start, then 50, 100, 150 and 200 ms later.
TEST(CpuClockTest, CountsTicksOverTwoHundredMillisecondsAcrossTheWrap) {
  FakeProcessor p = MadeUpIntel(0x80000004);
  TVantorCpuInfo info;
  VantorSystem::FillCpuInfo(info, p);
  p.clock = 0xFFFFFFA0;
  p.clockStep = 50;
  p.counterReadings = {0xFFFFFFF0, uint64_t{0xFFFFFFF0} + 146'602'469};
  EXPECT_EQ(VantorSystem::MeasureClock(info, p), 733'012'345u);
  EXPECT_EQ(p.clockReads, 5);
  EXPECT_EQ(p.priorities, (std::vector<bool>{true, false}));

  // A counter faster than 4.29 GHz still gives its rate.
  p.counterReads = 0;
  p.counterReadings = {1000, 1000 + 1'000'000'000};
  EXPECT_EQ(VantorSystem::MeasureClock(info, p), 5'000'000'000u);
}

TEST(CpuReportTest, LinesOfAMadeUpProcessor) {
  FakeProcessor p = MadeUpIntel(0x80000004);
  TVantorCpuInfo info;
  VantorSystem::FillCpuInfo(info, p);
  info.Clock = 733'012'345;
  auto lines = ReportLines(info);

  const std::string rule = "// " + std::string(74, '=');
  ASSERT_EQ(lines.size(), 5u + 14u + 30u);
  EXPECT_EQ(lines[0], rule);
  std::string title = Cp932("// ＣＰＵ情報出力");
  EXPECT_EQ(lines[1], title + std::string(77 - title.size(), ' '));
  EXPECT_EQ(lines[2], "//" + std::string(52, ' ') + "Created by TVantorCPUID");
  EXPECT_EQ(lines[3], rule);
  EXPECT_EQ(lines[4], "");
  const std::vector<std::string> body = {
      LabelLine("CPUメーカー", "Intel"),
      LabelLine("CPU周波数", "733.01MHz"),
      "",
      LabelLine("メーカー識別文字列", "GenuineIntel"),
      LabelLine("プロセッサ名文字列", "Made Up Pentium III 733MHz"),
      "",
      LabelLine("CPU命令ファミリ", "686"),
      LabelLine("CPUモデル", "8"),
      LabelLine("CPUステッピングID", "6"),
      "",
      LabelLine("最大CPUID関数", "2"),
      LabelLine("最大CPUID拡張関数", "80000004"),
      "",
      LabelLine("CPUID命令サポート", Cp932("ＹＥＳ")),
      LabelLine("浮動小数点ユニット", Cp932("ＹＥＳ")),
      LabelLine("仮想8086モード", Cp932("ＮＯ")),
  };
  for (size_t i = 0; i < body.size(); ++i) EXPECT_EQ(Utf8(lines[5 + i]), Utf8(body[i])) << i;
  EXPECT_EQ(lines[5 + 14 + 22], LabelLine("FPU/MMX/SSE命令の高速保存&復元", Cp932("ＮＯ")));
  EXPECT_EQ(lines.back(), LabelLine("拡張3DNow!テクノロジ", Cp932("ＮＯ")));
  EXPECT_EQ(lines[lines.size() - 2], LabelLine("3DNow!テクノロジ", Cp932("ＹＥＳ")));
  // Every label is 31 bytes and the full-width colon.
  for (size_t i = 5; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    EXPECT_EQ(lines[i].substr(31, 2), Cp932("：")) << i;
  }
}

TEST(CpuReportTest, EmptyBrandLeavesOutTheProcessorNameLine) {
  FakeProcessor p = MadeUpIntel(0x80000001);
  TVantorCpuInfo info;
  VantorSystem::FillCpuInfo(info, p);
  auto lines = ReportLines(info);
  EXPECT_EQ(lines.size(), 5u + 13u + 30u);
  EXPECT_EQ(lines[5 + 3], LabelLine("メーカー識別文字列", "GenuineIntel"));
  EXPECT_EQ(lines[5 + 4], "");
  EXPECT_EQ(lines[5 + 5], LabelLine("CPU命令ファミリ", "686"));
}

TEST(CpuReportTest, AProcessorWithoutCpuidShowsUnknownZeroAndNo) {
  TVantorCpuInfo info{};
  auto lines = ReportLines(info);
  ASSERT_EQ(lines.size(), 5u + 13u + 30u);
  EXPECT_EQ(lines[5], LabelLine("CPUメーカー", Cp932("不明")));
  EXPECT_EQ(lines[6], LabelLine("CPU周波数", "0MHz"));
  EXPECT_EQ(lines[10], LabelLine("CPU命令ファミリ", "086"));
  for (size_t i = 17; i < lines.size(); ++i) EXPECT_EQ(lines[i].substr(33), Cp932("ＮＯ")) << i;
}

TEST(CpuReportTest, FrequencyKeepsFiveSignificantDigitsAndTheStreamItsDecimals) {
  TVantorCpuInfo info{};
  info.Clock = 2'594'987'654;
  info.MaxExtendedLeaf = 0x80000008;
  std::ostringstream out;
  VantorSystem::WriteCpuReport(out, info);
  out << 255;
  auto lines = testfiles::Lines(out.str());
  EXPECT_EQ(lines[6].substr(33), "2595MHz");
  EXPECT_EQ(lines[15].substr(33), "80000008");
  EXPECT_EQ(lines.back().substr(lines.back().size() - 3), "255");
}

#if defined(__x86_64__)
TEST(CpuReportTest, ThisMachineHasCpuidAndAMeasuredClock) {
  std::ostringstream out;
  VantorSystem::WriteCpuReport(out);
  const std::string report = out.str();
  EXPECT_NE(report.find(LabelLine("CPUID命令サポート", Cp932("ＹＥＳ"))), std::string::npos);
  EXPECT_NE(report.find(LabelLine("タイムスタンプカウンタ", Cp932("ＹＥＳ"))), std::string::npos);
  EXPECT_EQ(report.find(LabelLine("CPU周波数", "0MHz")), std::string::npos);
}
#endif

}  // namespace
