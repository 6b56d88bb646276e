#include "platform/sandbox.h"

#include <seccomp.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace platform {
namespace {

// What the filter lets through unconditionally: the descriptors the process
// already holds, memory, futexes (the threads started before, a mutex), time
// and sleeping on the process's own clocks, and the ways out.
constexpr int kAllowed[] = {
    SCMP_SYS(read),          SCMP_SYS(write),         SCMP_SYS(readv),           SCMP_SYS(writev),
    SCMP_SYS(close),         SCMP_SYS(brk),           SCMP_SYS(munmap),          SCMP_SYS(mremap),
    SCMP_SYS(madvise),       SCMP_SYS(futex),         SCMP_SYS(clock_gettime),   SCMP_SYS(clock_nanosleep),
    SCMP_SYS(nanosleep),     SCMP_SYS(sched_yield),   SCMP_SYS(rt_sigreturn),    SCMP_SYS(exit),
    SCMP_SYS(exit_group),
};

// Refused with an error instead of ending the process: a thread's best-effort
// priority and name, set at its start, may come after the filter.
constexpr int kRefused[] = {SCMP_SYS(sched_setscheduler), SCMP_SYS(setpriority), SCMP_SYS(prctl)};

bool Limit(int resource, rlim_t value, const char* name, std::string& error) {
  const rlimit limit{value, value};
  if (setrlimit(resource, &limit) == 0) return true;
  error = std::string("cannot set ") + name + ": " + std::strerror(errno);
  return false;
}

}  // namespace

bool SanitizerBuild() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(undefined_behavior_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

bool EnterSandbox(const SandboxLimits& limits, std::string& error) {
  if (!Limit(RLIMIT_FSIZE, 0, "RLIMIT_FSIZE", error)) return false;
  // The soft limit sends SIGXCPU, which ends the process; the hard one a
  // second later is SIGKILL, should SIGXCPU be caught.
  const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
  if (setrlimit(RLIMIT_CPU, &cpu) != 0) {
    error = std::string("cannot set RLIMIT_CPU: ") + std::strerror(errno);
    return false;
  }
  if (limits.addressBytes && !Limit(RLIMIT_AS, limits.addressBytes, "RLIMIT_AS", error)) return false;

  std::unique_ptr<void, void (*)(scmp_filter_ctx)> filter(seccomp_init(SCMP_ACT_KILL_PROCESS), seccomp_release);
  if (!filter) {
    error = "cannot create the system-call filter";
    return false;
  }
  int rc = seccomp_attr_set(filter.get(), SCMP_FLTATR_CTL_TSYNC, 1);
  for (int call : kAllowed)
    if (rc == 0) rc = seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, call, 0);
  for (int call : kRefused)
    if (rc == 0) rc = seccomp_rule_add(filter.get(), SCMP_ACT_ERRNO(EPERM), call, 0);
  // The sanitizers' runtime checks whether memory can be read by writing it
  // into a pipe of its own, puts its signal stack away at exit, and (the
  // thread sanitizer's) reads the time with the system call, not the vDSO.
  if (SanitizerBuild())
    for (int call : {SCMP_SYS(pipe), SCMP_SYS(pipe2), SCMP_SYS(sigaltstack), SCMP_SYS(gettimeofday)})
      if (rc == 0) rc = seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, call, 0);
  // Memory, never executable: no code can be brought in.
  if (rc == 0)
    rc = seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, SCMP_SYS(mmap), 1, SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0));
  if (rc == 0)
    rc = seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, SCMP_SYS(mprotect), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0));
  if (rc == 0) rc = seccomp_load(filter.get());
  if (rc != 0) {
    error = std::string("cannot load the system-call filter: ") + std::strerror(-rc);
    return false;
  }
  return true;
}

}  // namespace platform
