#include "platform/sdl/sound_limiter.h"

#include <algorithm>
#include <cmath>

namespace platform::sdl {

void SoftLimiter::Process(float* samples, uint32_t frames, int channels, uint32_t rate) {
  const float recovery = std::exp(-1.0f / (kReleaseSeconds * static_cast<float>(rate)));
  for (uint32_t i = 0; i < frames; ++i) {
    float* frame = samples + size_t{i} * channels;
    float peak = 0.0f;
    for (int c = 0; c < channels; ++c) peak = std::max(peak, std::fabs(frame[c]));
    // The gain falls at once to what this frame needs and climbs back slowly,
    // so the level dips for a moment rather than every peak being cut off.
    if (peak * gain_ > kCeiling) gain_ = kCeiling / peak;
    for (int c = 0; c < channels; ++c) frame[c] *= gain_;
    gain_ = 1.0f - (1.0f - gain_) * recovery;
  }
}

}  // namespace platform::sdl
