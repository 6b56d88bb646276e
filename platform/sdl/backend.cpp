#include "platform/sdl/backend.h"

#include <SDL.h>

#include <array>
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
  SdlBackend(const std::string& iconFile, const Settings& settings, std::vector<SettingsProblem>& problems)
      : app_(iconFile) {
    Services& s = Current();
    s.app = &app_;
    s.clock = &clock_;
    s.display = &display_;
    s.text = &text_;
    s.input = &input_;
    s.sound = &sound_;
    s.midi = &midi_;
    app_.SetPreferredFullScreen(settings.fullScreen.value_or(true));
    display_.SetScaling(settings.scaling.value_or(Scaling::Fit));
    sound_.SetEffectsVolume(settings.effectsVolume);
    midi_.SetVolume(settings.musicVolume);
    TakeButtons(settings, problems);
  }
  ~SdlBackend() override { Current() = Services{}; }

  uint8_t KeyScanCode(Control control) const override { return keys_[control]; }

 private:
  void TakeButtons(const Settings& settings, std::vector<SettingsProblem>& problems) {
    auto unknown = [&](const ButtonName& named, const char* what) {
      problems.push_back({named.line, std::string("no ") + what + " is named \"" + named.name + "\""});
    };
    for (int c = 0; c < kControlCount; ++c) {
      const ButtonName& key = settings.keys[c];
      if (key.name.empty()) continue;
      const bool known = c == kPause ? app_.SetPauseKey(key.name) : (keys_[c] = ScanCodeOfKeyName(key.name)) != 0;
      if (!known) unknown(key, "key");
    }
    for (int c = kButton1; c < kControlCount; ++c) {
      const ButtonName& button = settings.padButtons[c];
      if (button.name.empty()) continue;
      const bool known = c == kPause ? app_.SetPauseButton(button.name)
                                     : input_.SetControllerButton(c - kButton1, button.name);
      if (!known) unknown(button, "pad button");
    }
  }

  SdlApplication app_;
  SteadyClock clock_;
  SdlDisplayDevice display_;
  TtfTextRenderer text_;
  SdlInput input_;
  SdlSoundSystem sound_;
  SdlMidiSystem midi_{sound_};
  std::array<uint8_t, kControlCount> keys_{};
};

}  // namespace

std::unique_ptr<Backend> Start(const Identity& identity, const Settings& settings,
                               std::vector<SettingsProblem>& problems) {
  // SDL 2.26 reads the class from the environment only, when its video starts; a value
  // the user set there stays.
  if (!identity.windowClass.empty()) {
    setenv("SDL_VIDEO_X11_WMCLASS", identity.windowClass.c_str(), 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", identity.windowClass.c_str(), 0);
  }
  return std::make_unique<SdlBackend>(identity.iconFile, settings, problems);
}

}  // namespace platform::sdl
