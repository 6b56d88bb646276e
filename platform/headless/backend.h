#pragma once
// The headless backend: every service without a screen, a sound card or a
// synthesizer, with the handles tests and the runner use to drive and observe
// them. Constructing it installs the services into platform::Current();
// destroying it uninstalls them.
#include "platform/headless/application.h"
#include "platform/headless/clock.h"
#include "platform/headless/display_device.h"
#include "platform/headless/input.h"
#include "platform/headless/midi_sink.h"
#include "platform/headless/sound_device.h"
#include "platform/sdl/text_renderer.h"

namespace platform::headless {

class Backend {
 public:
  Backend();
  ~Backend();
  Backend(const Backend&) = delete;
  Backend& operator=(const Backend&) = delete;

  HeadlessApplication app;
  VirtualClock clock;
  HeadlessDisplayDevice display;  // pictures decoded by SDL
  sdl::TtfTextRenderer text;  // real text rendering, no screen needed
  HeadlessInput input{UsKeyboardNames()};
  HeadlessSoundSystem sound;
  HeadlessMidi midi;  // the synthesizer sink is FluidSynth's
};

}  // namespace platform::headless
