#pragma once
// TVantorProfiler: per-method call counts and processor ticks, and the log
// stream's one writer of trace lines.
#include <cstdint>
#include <map>
#include <mutex>
#include <ostream>
#include <thread>
#include <unordered_map>
#include <vector>

// The log header writes the CPU report beside the profiler's own.
#include "vantor/system/cpu_report.h"

namespace VantorSystem {

class TVantorProfiler {
 public:
  using TickSource = uint64_t (*)();

  // A null stream writes to the standard output. Ticks come from the
  // processor's time-stamp counter unless another source is given.
  explicit TVantorProfiler(std::ostream* stream, TickSource ticks = nullptr);
  // Writes the report; the stream is not closed.
  virtual ~TVantorProfiler();
  TVantorProfiler(const TVantorProfiler&) = delete;
  TVantorProfiler& operator=(const TVantorProfiler&) = delete;

  // The table of calls and ticks, one row per name, in address order.
  virtual void PrintOut();

  // Opens a measurement on the calling thread.
  void Start();
  // Closes the calling thread's innermost open measurement and counts it
  // under `name` (keyed by the text's address, not its characters).
  void End(const char* name);
  // Writes one line and flushes. Serialised: components driven from several
  // threads never interleave their lines.
  void Trace(const char* text);

 private:
  struct Stats {
    uint32_t count = 0;
    uint64_t total = 0;
  };
  std::ostream* stream_;
  TickSource ticks_;
  std::mutex mutex_;
  std::map<const char*, Stats> statistics_;
  // One start stack per thread: a scope opened on another thread never pops
  // the main thread's start times.
  std::unordered_map<std::thread::id, std::vector<uint64_t>> startStacks_;
};

// The method scope: timing of one library method while profiling is on.
class TVantorFunctionProfile {
 public:
  TVantorFunctionProfile(TVantorProfiler* profiler, const char* name) : name_(name), profiler_(profiler) {
    if (profiler_) profiler_->Start();
  }
  ~TVantorFunctionProfile() {
    if (profiler_) profiler_->End(name_);
  }
  TVantorFunctionProfile(const TVantorFunctionProfile&) = delete;
  TVantorFunctionProfile& operator=(const TVantorFunctionProfile&) = delete;

 private:
  const char* name_;
  TVantorProfiler* profiler_;
};

}  // namespace VantorSystem
