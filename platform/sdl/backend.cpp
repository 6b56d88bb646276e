#include "platform/sdl/backend.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/platform.h"
#include "platform/sdl/application.h"
#include "platform/sdl/clock.h"
#include "platform/sdl/display_device.h"
#include "platform/sdl/input.h"
#include "platform/sdl/midi_device.h"
#include "platform/sdl/sound_device.h"
#include "platform/sdl/text_renderer.h"

namespace platform::sdl {
namespace {

class SdlBackend final : public Backend {
 public:
  SdlBackend(const std::string& iconFile, bool fullScreen) : app_(iconFile) {
    Services& s = Current();
    s.app = &app_;
    s.clock = &clock_;
    s.display = &display_;
    s.text = &text_;
    s.input = &input_;
    s.sound = &sound_;
    s.midi = &midi_;
    app_.SetFullScreen(fullScreen);
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

std::unique_ptr<Backend> Start(const Identity& identity, bool fullScreen) {
  // SDL 2.26 reads the class from the environment only, when its video starts; a value
  // the user set there stays.
  if (!identity.windowClass.empty()) {
    setenv("SDL_VIDEO_X11_WMCLASS", identity.windowClass.c_str(), 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", identity.windowClass.c_str(), 0);
  }
  return std::make_unique<SdlBackend>(identity.iconFile, fullScreen);
}

}  // namespace platform::sdl
