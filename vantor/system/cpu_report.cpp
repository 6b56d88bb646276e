#include "vantor/system/cpu_report.h"

#include <chrono>
#include <cstring>

#include "platform/clock.h"
#include "vantor/system/debug.h"
#include "vantor/system/text.h"

namespace VantorSystem {
namespace {

using VantorDebugSystem::PadLine;
using VantorDebugSystem::RightLine;
using VantorDebugSystem::RuleLine;

constexpr uint32_t kExtendedBase = 0x80000000;
constexpr uint32_t kExtendedFeatureLeaf = 0x80000001;
constexpr uint32_t kFirstBrandLeaf = 0x80000002;
constexpr uint32_t kLastBrandLeaf = 0x80000004;
constexpr uint32_t kMeasureMilliseconds = 200;
constexpr uint64_t kMeasuresPerSecond = 1000 / kMeasureMilliseconds;
constexpr size_t kLabelWidth = 31;

enum class Leaf { Standard, Extended };

struct FeatureLine {
  const char* label;  // UTF-8
  Leaf leaf;
  int bit;
};

constexpr FeatureLine kFeatures[kCpuFeatureCount] = {
    {"浮動小数点ユニット", Leaf::Standard, 0},
    {"仮想8086モード", Leaf::Standard, 1},
    {"デバッグ拡張", Leaf::Standard, 2},
    {"ページサイズ拡張", Leaf::Standard, 3},
    {"タイムスタンプカウンタ", Leaf::Standard, 4},
    {"モデル固有レジスタ", Leaf::Standard, 5},
    {"物理アドレス拡張", Leaf::Standard, 6},
    {"マシンチェック例外", Leaf::Standard, 7},
    {"CMPXCHG8B命令", Leaf::Standard, 8},
    {"オンチップAPIC", Leaf::Standard, 9},
    {"高速システムコール", Leaf::Standard, 11},
    {"メモリタイプ範囲レジスタ", Leaf::Standard, 12},
    {"PTEグローバルフラグ", Leaf::Standard, 13},
    {"マシンチェックアーキテクチャ", Leaf::Standard, 14},
    {"条件付転送および比較命令", Leaf::Standard, 15},
    {"ページ属性テーブル", Leaf::Standard, 16},
    {"36ビットページサイズ拡張", Leaf::Standard, 17},
    {"プロセッサ番号", Leaf::Standard, 18},
    {"CLFLUSH命令", Leaf::Standard, 19},
    {"デバッグトレースストア", Leaf::Standard, 21},
    {"CPUACPIサポート", Leaf::Standard, 22},
    {"MMXテクノロジ", Leaf::Standard, 23},
    {"FPU/MMX/SSE命令の高速保存&復元", Leaf::Standard, 24},
    {"SSEテクノロジ", Leaf::Standard, 25},
    {"SSE2テクノロジ", Leaf::Standard, 26},
    {"Self-Snoop", Leaf::Standard, 27},
    {"温度モニタサポート", Leaf::Standard, 29},
    {"拡張MMXテクノロジ", Leaf::Extended, 22},
    {"3DNow!テクノロジ", Leaf::Extended, 31},
    {"拡張3DNow!テクノロジ", Leaf::Extended, 30},
};
// The feature whose bit says there is a time-stamp counter to measure.
constexpr int kTimeStampCounterFeature = 4;

struct VendorName {
  const char* id;    // the 12 characters of CPUID leaf 0
  const char* name;  // UTF-8
};
// Indexed by vendor code; code 0 is the name for a vendor that matched none.
constexpr VendorName kVendors[] = {
    {"", "不明"},
    {"GenuineIntel", "Intel"},
    {"AuthenticAMD", "AMD"},
    {"CyrixInstead", "Cyrix"},
    {"CentaurHauls", "IDT"},
};
constexpr uint8_t kVendorCount = sizeof kVendors / sizeof kVendors[0];

void CopyRegister(char* to, uint32_t value) { std::memcpy(to, &value, 4); }

class RealProcessor final : public ProcessorAccess {
 public:
  bool CpuidAvailable() override { return platform::CpuidAvailable(); }
  platform::CpuidResult Cpuid(uint32_t leaf) override { return platform::Cpuid(leaf); }
  uint64_t TimeStampCounter() override { return platform::ReadTimeStampCounter(); }
  // Real time, not the platform's clock service: the headless backend's
  // clock is virtual and would never move while this spins.
  uint32_t Milliseconds() override {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  void SetTimeCritical(bool on) override {
    platform::SetCurrentThreadPriority(on ? platform::ThreadPriority::TimeCritical
                                          : platform::ThreadPriority::Normal);
  }
};

// A label padded to 31 bytes and the full-width colon.
AnsiString Label(const char* utf8) {
  AnsiString label = platform::Utf8ToCp932(utf8);
  if (label.size() < kLabelWidth) label.append(kLabelWidth - label.size(), ' ');
  return label + VN_TEXT("：");
}

const AnsiString& YesNo(bool yes) { return yes ? VN_TEXT("ＹＥＳ") : VN_TEXT("ＮＯ"); }

void EndLine(std::ostream& out) { out << '\n' << std::flush; }

}  // namespace

ProcessorAccess& ThisProcessor() {
  static RealProcessor processor;
  return processor;
}

void FillCpuInfo(TVantorCpuInfo& info, ProcessorAccess& processor) {
  info = TVantorCpuInfo{};
  if (!processor.CpuidAvailable()) return;
  info.CpuidAvailable = 1;

  const platform::CpuidResult leaf0 = processor.Cpuid(0);
  info.MaxStandardLeaf = leaf0.eax;
  CopyRegister(info.Vendor, leaf0.ebx);
  CopyRegister(info.Vendor + 4, leaf0.edx);
  CopyRegister(info.Vendor + 8, leaf0.ecx);
  const platform::CpuidResult leaf1 = processor.Cpuid(1);
  info.Signature = leaf1.eax;
  info.Features = leaf1.edx;

  info.MaxExtendedLeaf = processor.Cpuid(kExtendedBase).eax;
  if (info.MaxExtendedLeaf >= kExtendedFeatureLeaf) {
    info.ExtendedFeatures = processor.Cpuid(kExtendedFeatureLeaf).edx;
    // The brand needs all three of its leaves; a leaf beyond the maximum
    // answers with another leaf's data, which is no brand.
    if (info.MaxExtendedLeaf >= kLastBrandLeaf) {
      char* brand = info.Brand;
      for (uint32_t leaf = kFirstBrandLeaf; leaf <= kLastBrandLeaf; ++leaf) {
        const platform::CpuidResult r = processor.Cpuid(leaf);
        for (uint32_t value : {r.eax, r.ebx, r.ecx, r.edx}) {
          CopyRegister(brand, value);
          brand += 4;
        }
      }
    }
  }

  info.Family = (info.Signature >> 8) & 0xF;
  info.Model = (info.Signature >> 4) & 0xF;
  info.Stepping = info.Signature & 0xF;
  for (int i = 0; i < kCpuFeatureCount; ++i) {
    const uint32_t flags = kFeatures[i].leaf == Leaf::Standard ? info.Features : info.ExtendedFeatures;
    info.Feature[i] = (flags >> kFeatures[i].bit) & 1;
  }
  for (uint8_t code = 1; code < kVendorCount; ++code)
    if (std::memcmp(info.Vendor, kVendors[code].id, 12) == 0) info.VendorCode = code;
}

uint64_t MeasureClock(const TVantorCpuInfo& info, ProcessorAccess& processor) {
  if (!info.Feature[kTimeStampCounterFeature]) return 0;
  processor.SetTimeCritical(true);
  const uint32_t start = processor.Milliseconds();
  const uint64_t before = processor.TimeStampCounter();
  while (!platform::Reached(processor.Milliseconds(), start + kMeasureMilliseconds)) {
  }
  const uint64_t after = processor.TimeStampCounter();
  processor.SetTimeCritical(false);
  return kMeasuresPerSecond * (after - before);
}

void WriteCpuReport(std::ostream& out, const TVantorCpuInfo& info) {
  out << RuleLine();
  EndLine(out);
  out << PadLine(VN_TEXT("// ＣＰＵ情報出力"));
  EndLine(out);
  out << RightLine("Created by TVantorCPUID");
  EndLine(out);
  out << RuleLine();
  EndLine(out);
  EndLine(out);

  out.precision(5);
  const uint8_t vendor = info.VendorCode < kVendorCount ? info.VendorCode : 0;
  out << Label("CPUメーカー") << platform::Utf8ToCp932(kVendors[vendor].name);
  EndLine(out);
  out << Label("CPU周波数") << static_cast<float>(static_cast<double>(info.Clock) * 1e-6) << "MHz";
  EndLine(out);
  EndLine(out);

  out << Label("メーカー識別文字列") << info.Vendor;
  EndLine(out);
  if (info.Brand[0] != '\0') {
    out << Label("プロセッサ名文字列") << info.Brand;
    EndLine(out);
  }
  EndLine(out);

  out << Label("CPU命令ファミリ") << info.Family << "86";
  EndLine(out);
  out << Label("CPUモデル") << info.Model;
  EndLine(out);
  out << Label("CPUステッピングID") << info.Stepping;
  EndLine(out);
  EndLine(out);

  out << Label("最大CPUID関数") << std::hex << info.MaxStandardLeaf;
  EndLine(out);
  out << Label("最大CPUID拡張関数") << info.MaxExtendedLeaf << std::dec;
  EndLine(out);
  EndLine(out);

  out << Label("CPUID命令サポート") << YesNo(info.CpuidAvailable != 0);
  EndLine(out);
  for (int i = 0; i < kCpuFeatureCount; ++i) {
    out << Label(kFeatures[i].label) << YesNo(info.Feature[i]);
    EndLine(out);
  }
}

void WriteCpuReport(std::ostream& out) {
  TVantorCpuInfo info;
  FillCpuInfo(info, ThisProcessor());
  info.Clock = MeasureClock(info, ThisProcessor());
  WriteCpuReport(out, info);
}

}  // namespace VantorSystem
