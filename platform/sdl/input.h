#pragma once
#include "platform/input.h"

namespace platform::sdl {

// The keyboard through SDL's key state (mapped to PC scan codes) and the first
// game controller or joystick SDL knows.
class SdlInput final : public InputSystem {
 public:
  std::unique_ptr<InputObject> CreateInputObject() override;
};

}  // namespace platform::sdl
