#pragma once
// The headless backend without SDL, SDL_ttf or FluidSynth, for a program
// that only plays the world: the verifier of submitted games. Pictures are
// read for their size alone and text draws nothing, so the surfaces are
// those of the game while no decoder or font library is loaded; MIDI goes
// nowhere, and the clock holds its timers (the music keeps no time).
// Constructing it installs the services into platform::Current();
// destroying it uninstalls them.
#include <string>

#include "platform/display.h"
#include "platform/headless/application.h"
#include "platform/headless/clock.h"
#include "platform/headless/display_device.h"
#include "platform/headless/input.h"
#include "platform/headless/midi_sink.h"
#include "platform/headless/sound_device.h"
#include "platform/text.h"

namespace platform::headless {

// Text that leaves the target as it is.
class BlankTextRenderer final : public TextRenderer {
 public:
  bool Draw(const TextTarget&, int, int, const std::string&, const FontSpec&) override { return true; }
  int Width(const std::string&, const FontSpec&) override { return 0; }
};

// The width and height of a BMP file, with its pixels black: false when the
// file is missing, not a BMP, or of a size no picture of the game has.
bool ReadBmpSize(const std::string& hostPath, Picture& picture);

class BareBackend {
 public:
  BareBackend();
  ~BareBackend();
  BareBackend(const BareBackend&) = delete;
  BareBackend& operator=(const BareBackend&) = delete;

  HeadlessApplication app;
  VirtualClock clock;
  HeadlessDisplayDevice display{ReadBmpSize};
  BlankTextRenderer text;
  HeadlessInput input;
  HeadlessSoundSystem sound;
  HeadlessMidi midi{clock, sound};
};

}  // namespace platform::headless
