#pragma once
// Runs a program to its end: bytes on its standard input, its standard output
// collected (up to a bound), its standard error passed through or dropped,
// and a wall-clock deadline after which it is killed. From the first call on
// this process ignores SIGPIPE: a child that stops reading must not end it.
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct ChildResult {
  bool started = false;  // false: the program could not be run (`error` says why)
  std::string error;
  int exitStatus = -1;   // when it exited
  int signal = 0;        // when a signal ended it (SIGKILL after the deadline)
  bool timedOut = false;
  std::string output;    // its standard output, at most `maxOutput` bytes
};

struct ChildOptions {
  std::chrono::milliseconds deadline{60000};
  size_t maxOutput = 64 * 1024;
  bool keepStderr = true;  // false: to /dev/null
  // Called about every `tick` while the program runs (a lease kept alive).
  std::chrono::milliseconds tick{1000};
  std::function<void()> onTick = nullptr;
};

ChildResult RunChild(const std::vector<std::string>& argv, std::span<const uint8_t> input,
                     const ChildOptions& options = {});

}  // namespace platform
