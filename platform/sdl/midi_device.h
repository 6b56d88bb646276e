#pragma once
// The real MIDI sink: the FluidSynth synthesizer, heard through an SDL audio
// stream of its own at 44100 Hz, or mixed into the sound effects device when
// a second stream cannot be opened.
#include "platform/midi.h"

namespace platform::sdl {

class SdlMidiSystem final : public MidiSystem {
 public:
  // Null when no SoundFont is installed or it cannot be loaded.
  std::unique_ptr<MidiOut> Open() override;
};

}  // namespace platform::sdl
