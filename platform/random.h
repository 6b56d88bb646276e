#pragma once
#include <cstdint>

namespace platform {

// The one generator the game and the library draw from, with the classic
// srand/rand behaviour: a 32-bit linear congruential state and 15-bit results.
class Random {
 public:
  void Seed(uint32_t seed) { state_ = seed; }
  // The whole state: seeding with it later continues the same sequence.
  uint32_t State() const { return state_; }
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }
  static constexpr int kMax = 0x7FFF;

 private:
  uint32_t state_ = 1;
};

// The process-wide generator (main thread only).
Random& Rand();

}  // namespace platform
