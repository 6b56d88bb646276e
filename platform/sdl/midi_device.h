#pragma once
// The real MIDI sink: the FluidSynth synthesizer, mixed into the output of the
// sound effects device, so that one mix, ending in that device's limiter,
// holds everything the game sounds.
#include <memory>
#include <string>

#include "platform/midi.h"
#include "platform/sound.h"

namespace platform::sdl {

class SdlMidiSystem final : public MidiSystem {
 public:
  explicit SdlMidiSystem(SoundSystem& sound) : sound_(sound) {}
  // Null when no SoundFont is installed or it cannot be loaded.
  std::unique_ptr<MidiOut> Open() override;

 private:
  SoundSystem& sound_;
};

// The synthesizer playing the SoundFont at `soundFont`, heard through the
// device of `sound` while one is initialised; null (said on stderr) when the
// SoundFont cannot be loaded.
std::unique_ptr<MidiOut> OpenSynthesizer(const std::string& soundFont, SoundSystem& sound);

}  // namespace platform::sdl
