#pragma once
// The end of the mix: a peak limiter that keeps every sample below its
// ceiling by turning the whole mix down for a moment instead of clipping.
// Below the ceiling it passes the samples unchanged.
#include <cstdint>

namespace platform::sdl {

class SoftLimiter {
 public:
  // -1 dBFS: room for the peaks between samples that a resampler or a
  // digital-to-analogue converter would otherwise clip.
  static constexpr float kCeiling = 0.891251f;
  // How long the gain takes to come back (to within 1/e of full).
  static constexpr float kReleaseSeconds = 0.2f;

  // Limits `frames` interleaved frames of `channels` samples at `rate` Hz in
  // place. The gain is shared by the channels, so the stereo image stays.
  void Process(float* samples, uint32_t frames, int channels, uint32_t rate);

  // The gain applied to the last frame (1 when the limiter rests).
  float Gain() const { return gain_; }

 private:
  float gain_ = 1.0f;
};

}  // namespace platform::sdl
