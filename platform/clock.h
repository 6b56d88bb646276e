#pragma once
#include <cstdint>

namespace platform {

// The millisecond clock: a 32-bit counter that wraps, like the system's
// multimedia timer. The headless backend's clock is virtual and only moves
// when somebody waits on it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t Milliseconds() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // Returns once Milliseconds() has reached `deadline` (compared as the
  // wrapping difference, so a deadline just past a wrap works).
  virtual void WaitUntil(uint32_t deadline) = 0;
};

// True when `now` has reached `deadline` on the wrapping 32-bit clock.
inline bool Reached(uint32_t now, uint32_t deadline) {
  return static_cast<int32_t>(now - deadline) >= 0;
}

}  // namespace platform
