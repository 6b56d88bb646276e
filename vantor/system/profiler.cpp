#include "vantor/system/profiler.h"

#include <iostream>

#include "platform/processor.h"

namespace VantorSystem {

TVantorProfiler::TVantorProfiler(std::ostream* stream) : stream_(stream ? stream : &std::cout) {}

TVantorProfiler::~TVantorProfiler() { PrintOut(); }

void TVantorProfiler::Start() {}

void TVantorProfiler::End(const char* name) {
  std::lock_guard lock(mutex_);
  statistics_[name].count++;
}

void TVantorProfiler::Trace(const char* text) {
  std::lock_guard lock(mutex_);
  *stream_ << text << '\n';
  stream_->flush();
}

void TVantorProfiler::PrintOut() {}

void WriteCpuReport(std::ostream&) {}

}  // namespace VantorSystem
