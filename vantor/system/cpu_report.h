#pragma once
// The CPU report of the log header: which processor the program runs on, its
// clock rate and its feature flags, as CPUID and the time-stamp counter tell.
#include <cstdint>
#include <ostream>

#include "platform/processor.h"

namespace VantorSystem {

constexpr int kCpuFeatureCount = 30;

// All zero until filled.
struct TVantorCpuInfo {
  uint32_t CpuidAvailable;
  uint32_t Signature;
  uint32_t Features;          // leaf 1, EDX
  uint32_t ExtendedFeatures;  // leaf 0x80000001, EDX
  uint32_t MaxStandardLeaf;
  uint32_t MaxExtendedLeaf;
  char Vendor[13];  // 12 characters and a zero
  char Brand[49];   // 48 characters and a zero, so a full brand text still ends
  // Ticks per second. 64 bits: a 32-bit count wraps above 4.29 GHz.
  uint64_t Clock;
  uint32_t Family;
  uint32_t Model;
  uint32_t Stepping;
  bool Feature[kCpuFeatureCount];  // in the order of the report's feature lines
  uint8_t VendorCode;              // 1 Intel, 2 AMD, 3 Cyrix, 4 Centaur (IDT), else 0
};

// What the report reads from the machine; tests put a made-up processor here.
class ProcessorAccess {
 public:
  virtual ~ProcessorAccess() = default;
  virtual bool CpuidAvailable() = 0;
  virtual platform::CpuidResult Cpuid(uint32_t leaf) = 0;
  virtual uint64_t TimeStampCounter() = 0;
  // A real millisecond clock (32 bits, wrapping).
  virtual uint32_t Milliseconds() = 0;
  virtual void SetTimeCritical(bool on) = 0;
};

// The processor this program runs on.
ProcessorAccess& ThisProcessor();

// Clears `info` and fills it from CPUID (the clock stays 0).
void FillCpuInfo(TVantorCpuInfo& info, ProcessorAccess& processor);
// Counts time-stamp ticks over 200 ms of the millisecond clock at
// time-critical priority; ticks per second. 0 without a time-stamp counter.
uint64_t MeasureClock(const TVantorCpuInfo& info, ProcessorAccess& processor);
// Writes the report of `info`.
void WriteCpuReport(std::ostream& out, const TVantorCpuInfo& info);
// Fills, measures and writes the report of this machine (blocks 200 ms).
void WriteCpuReport(std::ostream& out);

}  // namespace VantorSystem
