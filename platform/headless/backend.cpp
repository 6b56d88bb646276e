#include "platform/headless/backend.h"

#include <unistd.h>

#include "platform/platform.h"
#include "platform/sdl/display_picture.h"
#include "platform/sdl/midi_device.h"
#include "platform/sdl/midi_synth.h"

namespace platform::headless {
namespace {

// A SoundFont that is not there fails the opening at once; the rest of the
// opening goes on in the background, as in the game.
std::unique_ptr<MidiOut> OpenFluidSynth(const std::string& soundFont, SoundSystem& sound) {
  const std::string file = soundFont.empty() ? sdl::FindSoundFont() : soundFont;
  if (file.empty() || access(file.c_str(), R_OK) != 0) return nullptr;
  return sdl::OpenInBackground([file, &sound] { return sdl::OpenSynthesizer(file, sound); });
}

}  // namespace

Backend::Backend() : display(sdl::LoadBmpPicture), midi(clock, sound, OpenFluidSynth) {
  Current() = Services{&app, &clock, &display, &text, &sound, &midi, &input};
}

Backend::~Backend() { Current() = Services{}; }

}  // namespace platform::headless
