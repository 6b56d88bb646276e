#pragma once
#include <array>
#include <string>

#include "platform/input.h"

namespace platform::sdl {

// The keyboard through SDL's key state (mapped to PC scan codes) and the first
// game controller or joystick SDL knows.
class SdlInput final : public InputSystem {
 public:
  std::unique_ptr<InputObject> CreateInputObject() override;

  // The game controller button (SDL's name: "a", "leftshoulder") that counts
  // as button `index` (0-2) of the joystick record; false when no button of a
  // game controller has that name. Pads opened afterwards take it.
  bool SetControllerButton(int index, const std::string& name);

 private:
  std::array<std::string, 3> firstButtons_ = {"a", "b", "x"};
};

// The PC scan code of the key printed with `name` (an SDL key name: "Z",
// "Left Shift", "Up") on the keyboard of the current layout; 0 when no key
// has that name.
uint8_t ScanCodeOfKeyName(const std::string& name);

}  // namespace platform::sdl
