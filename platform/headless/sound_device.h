#pragma once
// The sound system without a sound card: the same mixer as the SDL backend,
// but its play cursors move only when the caller advances them, and every
// mixed byte is kept for inspection.
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
