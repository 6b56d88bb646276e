#include "platform/processor.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace platform {

bool CpuidAvailable() {
#if defined(__x86_64__)
  return true;
#elif defined(__i386__)
  // Tests the flags register's bit 21; 0 when it cannot be toggled.
  return __get_cpuid_max(0, nullptr) != 0;
#else
  return false;
#endif
}

CpuidResult Cpuid(uint32_t leaf) {
  CpuidResult r{0, 0, 0, 0};
#if defined(__x86_64__) || defined(__i386__)
  __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
#else
  (void)leaf;
#endif
  return r;
}

uint64_t ReadTimeStampCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return 0;
#endif
}

void SetCurrentThreadPriority(ThreadPriority priority) {
  if (priority == ThreadPriority::Normal) {
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
    setpriority(PRIO_PROCESS, 0, 0);
    return;
  }
  if (priority == ThreadPriority::TimeCritical) {
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;
  }
  // Fall back to the best nice value the system allows for this thread.
  setpriority(PRIO_PROCESS, 0, -10);
}

void NameCurrentThread(const char* name) { pthread_setname_np(pthread_self(), name); }

}  // namespace platform
