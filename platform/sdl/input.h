#pragma once
#include <array>
#include <string>

#include "platform/bindings.h"
#include "platform/input.h"

namespace platform::sdl {

// The keyboard through SDL's key state (mapped to PC scan codes) and the first
// game controller or joystick SDL knows. Keys are named as printed in the
// keyboard layout in use.
class SdlInput final : public InputSystem {
 public:
  std::unique_ptr<InputObject> CreateInputObject() override;
  std::string KeyName(uint8_t scanCode) const override;
  uint8_t KeyNamed(const std::string& name) const override;
  PadFamily AttachedPadFamily() const override;
  void SetPadButtons(const std::array<PadButton, 3>& buttons) override { order_ = RecordOrder(buttons); }
  HeldInput ReadHeld() const override;

 private:
  PadRecordOrder order_ = RecordOrder(Bindings().PadButtons());
};

// The PC scan code of an SDL scancode (0: a key the input component cannot
// name), and the SDL scancode of a PC scan code (0, SDL_SCANCODE_UNKNOWN:
// none). Scancodes travel as int so this header needs none of SDL's.
uint8_t PcScanCode(int sdlScancode);
int SdlScancode(uint8_t pcCode);

}  // namespace platform::sdl
