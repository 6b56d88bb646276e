#pragma once
#include "platform/clock.h"

namespace platform::sdl {

class SteadyClock final : public Clock {
 public:
  uint32_t Milliseconds() override;
  void Sleep(uint32_t ms) override;
  void WaitUntil(uint32_t deadline) override;
  std::unique_ptr<ClockTimer> CreateTimer() override;
};

}  // namespace platform::sdl
