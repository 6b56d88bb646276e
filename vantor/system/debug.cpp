#include "vantor/system/debug.h"

#include <string>

#include "vantor/system/text.h"

namespace VantorDebugSystem {

std::atomic<VantorSystem::TVantorProfiler*> TVantorDebug::defaultProfiler_{nullptr};
std::ofstream* TVantorDebug::outputStrm_ = nullptr;
std::atomic<bool> TVantorDebug::debug_{false};
std::atomic<bool> TVantorDebug::profile_{false};

namespace {
// The single instance; its destruction at program end closes the log.
TVantorDebug g_instance;
}  // namespace

const char* RuleLine() {
  return "// ==========================================================================";
}

std::string PadLine(const std::string& cp932Text) {
  std::string line = cp932Text;
  if (line.size() < kLogLineWidth) line.append(kLogLineWidth - line.size(), ' ');
  return line;
}

std::string RightLine(const std::string& cp932Text) {
  std::string line = "//";
  if (line.size() + cp932Text.size() < kLogLineWidth)
    line.append(kLogLineWidth - line.size() - cp932Text.size(), ' ');
  return line + cp932Text;
}

TVantorDebug::~TVantorDebug() { Close(); }

void TVantorDebug::Close() {
  if (outputStrm_) *outputStrm_ << "\n\n\n";
  // The profiler's destructor writes the profiling report to the log.
  delete defaultProfiler_.exchange(nullptr);
  delete outputStrm_;
  outputStrm_ = nullptr;
  debug_ = false;
  profile_ = false;
}

void TVantorDebug::WriteHeader(std::ostream& out) {
  out << RuleLine() << '\n';
  out << PadLine(VN_TEXT("// Vantor Game Library 0.80 デバッグ＆プロファイリングシステム出力")) << '\n';
  out << RightLine("SOLVARA 2001 team ") << '\n';
  out << RuleLine() << '\n';
  out << '\n';
  VantorSystem::WriteCpuReport(out);
  out << "\n\n\n";
  out << RuleLine() << '\n';
  out << PadLine(VN_TEXT("// プログラムトレース出力")) << '\n';
  out << RightLine("Created by TVantorDebug") << '\n';
  out << RuleLine() << '\n';
  out << '\n';
  out.flush();
}

void TVantorDebug::SetDebug(const char* fileName, bool debug, bool profile) {
  Close();
  if (!fileName) return;
  // A file that cannot be created leaves the stream failed; every write is
  // then dropped, as the caller asked for a log and gets none.
  outputStrm_ = new std::ofstream(fileName, std::ios::out | std::ios::trunc);
  defaultProfiler_.store(new VantorSystem::TVantorProfiler(outputStrm_), std::memory_order_release);
  debug_ = debug;
  profile_ = profile;
  WriteHeader(*outputStrm_);
}

}  // namespace VantorDebugSystem
