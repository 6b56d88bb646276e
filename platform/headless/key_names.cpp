#include <SDL.h>

#include "platform/headless/input.h"
#include "platform/sdl/input.h"

namespace platform::headless {
namespace {

// SDL's names need no initialised SDL: they are its scan code table.
std::string UsKeyName(uint8_t scanCode) {
  return SDL_GetScancodeName(static_cast<SDL_Scancode>(sdl::SdlScancode(scanCode)));
}

uint8_t UsKeyNamed(const std::string& name) { return sdl::PcScanCode(SDL_GetScancodeFromName(name.c_str())); }

}  // namespace

KeyNaming UsKeyboardNames() { return {UsKeyName, UsKeyNamed}; }

}  // namespace platform::headless
