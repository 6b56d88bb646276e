#pragma once
// The sound system without a sound card: the same mixer as the SDL backend,
// but its play cursors move only when the caller pulls output: Advance keeps
// every byte mixed at the primary format for inspection, RenderMix hands out
// the mix the real device would play.
#include <memory>
#include <vector>

#include "platform/sdl/sound_mixer.h"

namespace platform::headless {

class HeadlessSoundSystem final : public SoundSystem {
 public:
  std::unique_ptr<SoundDevice> CreateDevice() override;

  // Mixes `frames` output frames of the most recently initialised device and
  // appends them to Captured(). Does nothing when no device is alive.
  void Advance(uint32_t frames);
  // The output format of that device (the default one before it is set).
  WaveFormat OutputFormat();
  // Mixes `frames` frames of that device at the mix format of the real
  // device (44.1 kHz, 16 bits, stereo) into `out`, as it would be heard;
  // silence when no device is alive. Nothing is kept.
  void RenderMix(int16_t* out, uint32_t frames);
  const std::vector<uint8_t>& Captured() const { return captured_; }
  void ClearCaptured() { captured_.clear(); }

  // Device operations made to fail, for the failure paths.
  sdl::SoundFaults faults;

 private:
  friend class HeadlessSoundDevice;
  std::weak_ptr<sdl::Mixer> current_;
  std::vector<uint8_t> captured_;
};

}  // namespace platform::headless
