#pragma once
#include <cstdint>
#include <memory>

namespace platform {

// A worker thread's wait on the clock: a thread that runs a step at regular
// times (the MIDI sequencer) sleeps here between its steps. On the virtual
// clock of the headless backend the clock stops at every deadline until the
// thread has taken its step and waits again, so the steps fall at the same
// virtual times in every run.
class ClockTimer {
 public:
  virtual ~ClockTimer() = default;
  // Returns once the clock has reached `deadline`, or at once when Wake was
  // called since the last return.
  virtual void WaitUntil(uint32_t deadline) = 0;
  // Ends the current wait (or the next one) early. Safe from any thread.
  virtual void Wake() = 0;
};

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
  // A timer for one worker thread; it must not outlive the clock.
  virtual std::unique_ptr<ClockTimer> CreateTimer() = 0;
};

// True when `now` has reached `deadline` on the wrapping 32-bit clock.
inline bool Reached(uint32_t now, uint32_t deadline) {
  return static_cast<int32_t>(now - deadline) >= 0;
}

}  // namespace platform
