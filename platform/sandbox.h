#pragma once
// Closing a process in before it handles untrusted input: resource limits,
// then a system-call filter (seccomp, through libseccomp) that leaves every
// thread only reading and writing the descriptors it already has, managing
// memory without making it executable, waiting on futexes, and exiting. Any
// other call, an open or a socket among them, ends the process with SIGSYS.
// Whatever needs a file must therefore be done before.
#include <cstdint>
#include <string>

namespace platform {

struct SandboxLimits {
  uint64_t cpuSeconds = 0;    // RLIMIT_CPU (soft: SIGXCPU; hard one second later: SIGKILL)
  uint64_t addressBytes = 0;  // RLIMIT_AS; 0 leaves it unset
};

// True in a build with the address, thread or undefined-behaviour
// sanitizers: their runtimes reserve terabytes of address space, so an
// address-space limit cannot be set there.
bool SanitizerBuild();

// Sets the limits (and RLIMIT_FSIZE 0: no file may grow) and loads the
// filter into every thread of the process. False with the reason when the
// system refused any of it; the process must not go on then.
bool EnterSandbox(const SandboxLimits& limits, std::string& error);

}  // namespace platform
