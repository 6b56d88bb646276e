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
  if (priority == ThreadPriority::Normal) return;
  if (priority == ThreadPriority::TimeCritical) {
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;
  }
  // Fall back to the best nice value the system allows for this thread.
  setpriority(PRIO_PROCESS, 0, -10);
}

}  // namespace platform
