#pragma once
#include <cstdint>

namespace platform {

struct CpuidResult {
  uint32_t eax, ebx, ecx, edx;
};

// Whether the processor has the identification instruction (the flags
// register's bit 21 can be toggled; always so on x86-64).
bool CpuidAvailable();
// The processor-identification instruction (zeros on processors without it).
CpuidResult Cpuid(uint32_t leaf);
// The time-stamp counter (0 where there is none).
uint64_t ReadTimeStampCounter();

enum class ThreadPriority { Normal, High, TimeCritical };
// Best effort: when the system refuses (no privilege for real-time
// scheduling), the thread keeps its priority and nothing is reported.
// Normal puts a raised thread back to ordinary scheduling.
void SetCurrentThreadPriority(ThreadPriority priority);
// Names the calling thread for the system's tools (top, /proc): at most 15
// characters are kept.
void NameCurrentThread(const char* name);

}  // namespace platform
