#pragma once
// The sound system on one SDL audio device, opened at the mix format (the
// music is mixed in there too) with a period of about 12 ms. Without an audio
// device on the machine the mixer is driven by a timer instead and its output
// dropped.
#include "platform/sdl/sound_mixer.h"

namespace platform::sdl {

class SdlSoundSystem final : public SoundSystem {
 public:
  std::unique_ptr<SoundDevice> CreateDevice() override;
};

// True once a device has fallen back to silence (said on stderr that once).
bool SilenceReported();

}  // namespace platform::sdl
