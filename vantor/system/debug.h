#pragma once
// TVantorDebug: the library's one log file and the switches for trace lines
// and method timing. All members are static; the log is off until SetDebug is
// given a file name. The library's texts are CP932; the file is UTF-8.
#include <atomic>
#include <ostream>
#include <memory>

#include "vantor/system/profiler.h"

namespace VantorDebugSystem {

class TVantorDebug {
 public:
  TVantorDebug() = default;
  ~TVantorDebug();

  static void SetDebug(const char* fileName, bool debug, bool profile);
  static bool GetDebug() { return debug_.load(std::memory_order_relaxed); }
  static bool GetProfile() { return profile_.load(std::memory_order_relaxed); }
  static VantorSystem::TVantorProfiler* GetProfiler() { return defaultProfiler_.load(std::memory_order_acquire); }

 private:
  static void Close();
  static void WriteHeader(std::ostream& out);

  static std::atomic<VantorSystem::TVantorProfiler*> defaultProfiler_;
  static std::ostream* outputStrm_;
  static std::atomic<bool> debug_;
  static std::atomic<bool> profile_;
};

// The header lines of the log and of the profiling report: exactly 77 bytes
// of CP932 (77 columns in the UTF-8 file).
constexpr size_t kLogLineWidth = 77;
// "// " and 74 equals signs.
const char* RuleLine();
// `text` padded with blanks to the line width.
std::string PadLine(const std::string& cp932Text);
// "//", blanks, then `text` right-aligned to the line width.
std::string RightLine(const std::string& cp932Text);

}  // namespace VantorDebugSystem
