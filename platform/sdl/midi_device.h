#pragma once
// The real MIDI sink: the FluidSynth synthesizer, mixed into the output of the
// sound effects device, so that one mix, ending in that device's limiter,
// holds everything the game sounds.
#include <functional>
#include <memory>
#include <string>

#include "platform/midi.h"
#include "platform/sound.h"

namespace platform::sdl {

class SdlMidiSystem final : public MidiSystem {
 public:
  explicit SdlMidiSystem(SoundSystem& sound) : sound_(sound) {}
  // The synthesizer, loading its SoundFont in the background. Without a
  // SoundFont that loads, an output that plays nothing (said once on
  // stderr): the music is silent, as without an audio device.
  std::unique_ptr<MidiOut> Open() override;

 private:
  SoundSystem& sound_;
};

// The synthesizer playing the SoundFont at `soundFont` at the music volume
// of `sound`, heard through its device while one is initialised; null (said
// on stderr) when the SoundFont cannot be loaded.
std::unique_ptr<MidiOut> OpenSynthesizer(const std::string& soundFont, SoundSystem& sound);

// The output `open` makes, opened on a worker thread of its own: loading a
// SoundFont takes tens of milliseconds (a large one, seconds), which the
// program's first frames need not wait for. Ready once `open` has returned;
// without an output from it, every message is taken and nothing plays.
std::unique_ptr<MidiOut> OpenInBackground(std::function<std::unique_ptr<MidiOut>()> open);

}  // namespace platform::sdl
