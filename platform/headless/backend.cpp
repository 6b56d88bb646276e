#include "platform/headless/backend.h"

#include "platform/platform.h"

namespace platform::headless {

Backend::Backend() {
  Services& s = Current();
  s.app = &app;
  s.clock = &clock;
  s.display = &display;
  s.text = &text;
  s.input = &input;
  s.sound = &sound;
  s.midi = &midi;
}

Backend::~Backend() { Current() = Services{}; }

}  // namespace platform::headless
