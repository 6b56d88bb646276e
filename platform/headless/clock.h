#pragma once
#include <atomic>

#include "platform/clock.h"

namespace platform::headless {

// A virtual millisecond clock: time moves only when the main thread sleeps or
// waits, or when a test advances it. Readable from any thread.
class VirtualClock final : public Clock {
 public:
  uint32_t Milliseconds() override { return now_.load(std::memory_order_acquire); }
  void Sleep(uint32_t ms) override { Advance(ms); }
  void WaitUntil(uint32_t deadline) override {
    uint32_t now = Milliseconds();
    if (!Reached(now, deadline)) Set(deadline);
  }
  void Advance(uint32_t ms) { now_.fetch_add(ms, std::memory_order_acq_rel); }
  void Set(uint32_t ms) { now_.store(ms, std::memory_order_release); }

 private:
  std::atomic<uint32_t> now_{0};
};

}  // namespace platform::headless
