#pragma once
// TVantorProfiler: per-method call counts and processor ticks, and the log
// stream's one writer of trace lines.
#include <cstdint>
#include <map>
#include <mutex>
#include <ostream>
#include <vector>

namespace VantorSystem {

class TVantorProfiler {
 public:
  explicit TVantorProfiler(std::ostream* stream);
  virtual ~TVantorProfiler();
  TVantorProfiler(const TVantorProfiler&) = delete;
  TVantorProfiler& operator=(const TVantorProfiler&) = delete;

  virtual void PrintOut();

  void Start();
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
  std::mutex mutex_;
  std::map<const char*, Stats> statistics_;
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

// Writes the CPU report of the log header to `out`.
void WriteCpuReport(std::ostream& out);

}  // namespace VantorSystem
