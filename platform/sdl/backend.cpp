#include "platform/sdl/backend.h"

#include <SDL.h>

#include "platform/platform.h"
#include "platform/sdl/application.h"
#include "platform/sdl/clock.h"
#include "platform/sdl/display_device.h"
#include "platform/sdl/text_renderer.h"
#include "platform/sdl/input.h"
#include "platform/sdl/midi_device.h"
#include "platform/sdl/sound_device.h"

namespace platform::sdl {
namespace {

class SdlBackend final : public Backend {
 public:
  SdlBackend() {
    Services& s = Current();
    s.app = &app_;
    s.clock = &clock_;
    s.display = &display_;
    s.text = &text_;
    s.input = &input_;
    s.sound = &sound_;
    s.midi = &midi_;
  }
  ~SdlBackend() override { Current() = Services{}; }

 private:
  SdlApplication app_;
  SteadyClock clock_;
  SdlDisplayDevice display_;
  TtfTextRenderer text_;
  SdlInput input_;
  SdlSoundSystem sound_;
  SdlMidiSystem midi_{sound_};
};

}  // namespace

std::unique_ptr<Backend> Start() { return std::make_unique<SdlBackend>(); }

}  // namespace platform::sdl
