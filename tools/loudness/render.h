#pragma once
// Offline renders through the game's own sound chain on the headless backend:
// the sequencer stepped on the virtual clock, the FluidSynth sink, the effects
// mixer and its limiter, taken at 44.1 kHz 16-bit stereo as the real device
// plays them.
#include <string>

#include "measure.h"

namespace loudness {

// A song played once without looping (the intro and one pass through the
// loop), with two seconds after its end for the last notes to die away.
// False, with the reason in `error`, when it cannot be played.
bool RenderSong(const std::string& midiFile, const std::string& soundFont, Audio& audio, std::string& error);

// An effect played once, at full volume as the game plays it.
bool RenderEffect(const std::string& waveFile, Audio& audio, std::string& error);

}  // namespace loudness
