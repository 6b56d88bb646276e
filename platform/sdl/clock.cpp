#include "platform/sdl/clock.h"

#include <chrono>
#include <thread>

namespace platform::sdl {

uint32_t SteadyClock::Milliseconds() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SteadyClock::WaitUntil(uint32_t deadline) {
  // Sleep until shortly before the deadline (the scheduler may wake us a
  // millisecond or two late), then wait out the rest precisely.
  for (;;) {
    int32_t left = static_cast<int32_t>(deadline - Milliseconds());
    if (left <= 0) return;
    if (left > 2) {
      Sleep(static_cast<uint32_t>(left - 2));
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
}

}  // namespace platform::sdl
