#include "vantor/system/profiler.h"

#include <cstdio>
#include <iostream>

#include "platform/processor.h"
#include "vantor/system/debug.h"
#include "vantor/system/text.h"

namespace VantorSystem {

TVantorProfiler::TVantorProfiler(std::ostream* stream, TickSource ticks)
    : stream_(stream ? stream : &std::cout), ticks_(ticks ? ticks : &platform::ReadTimeStampCounter) {}

TVantorProfiler::~TVantorProfiler() { PrintOut(); }

void TVantorProfiler::Start() {
  const uint64_t now = ticks_();
  std::lock_guard lock(mutex_);
  startStacks_[std::this_thread::get_id()].push_back(now);
}

void TVantorProfiler::End(const char* name) {
  const uint64_t now = ticks_();
  std::lock_guard lock(mutex_);
  std::vector<uint64_t>& starts = startStacks_[std::this_thread::get_id()];
  // An End without its Start has nothing to measure.
  if (starts.empty()) return;
  Stats& stats = statistics_[name];
  ++stats.count;
  stats.total += now - starts.back();
  starts.pop_back();
}

void TVantorProfiler::Trace(const char* text) {
  std::lock_guard lock(mutex_);
  *stream_ << text << '\n';
  stream_->flush();
}

void TVantorProfiler::PrintOut() {
  using VantorDebugSystem::PadLine;
  using VantorDebugSystem::RightLine;
  using VantorDebugSystem::RuleLine;
  std::lock_guard lock(mutex_);
  std::ostream& out = *stream_;
  auto line = [&out](const std::string& text) { out << text << '\n' << std::flush; };
  line(RuleLine());
  line(PadLine(VN_TEXT("// プロファイリング結果出力")));
  line(RightLine("Created by TVantorProfiler"));
  line(RightLine(VN_TEXT("時間単位はCPUクロック")));
  line(RuleLine());
  line("");
  line(PadLine(VN_TEXT("回数       全実行時間          平均           関数名")));
  for (const auto& [name, stats] : statistics_) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%10u%20llu%15llu ", static_cast<unsigned>(stats.count),
                  static_cast<unsigned long long>(stats.total),
                  static_cast<unsigned long long>(stats.total / stats.count));
    line(numbers + std::string(name ? name : ""));
  }
}

}  // namespace VantorSystem
