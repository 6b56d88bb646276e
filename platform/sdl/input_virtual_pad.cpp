#include "platform/sdl/input_virtual_pad.h"

#include <SDL.h>

namespace platform::sdl {

static_assert(int{VirtualPad::kLeftY} == int{SDL_CONTROLLER_AXIS_LEFTY});
static_assert(int{VirtualPad::kA} == int{SDL_CONTROLLER_BUTTON_A} && int{VirtualPad::kY} == int{SDL_CONTROLLER_BUTTON_Y});
static_assert(int{VirtualPad::kDpadRight} == int{SDL_CONTROLLER_BUTTON_DPAD_RIGHT});
static_assert(VirtualPad::kHatUp == SDL_HAT_UP && VirtualPad::kHatRight == SDL_HAT_RIGHT &&
              VirtualPad::kHatDown == SDL_HAT_DOWN && VirtualPad::kHatLeft == SDL_HAT_LEFT);

struct VirtualPad::Device {
  bool subsystem = false;
  SDL_Joystick* joystick = nullptr;
};

VirtualPad::VirtualPad(Kind kind) : device_(std::make_unique<Device>()) {
  device_->subsystem = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (!device_->subsystem) return;
  const int index = kind == Kind::GameController
                        ? SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                    SDL_CONTROLLER_BUTTON_MAX, 0)
                        : SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 8, 1);
  if (index >= 0) device_->joystick = SDL_JoystickOpen(index);
}

VirtualPad::~VirtualPad() {
  Detach();
  if (device_->subsystem) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool VirtualPad::Attached() const { return device_->joystick && SDL_JoystickGetAttached(device_->joystick); }

void VirtualPad::SetAxis(int axis, int16_t value) {
  if (device_->joystick) SDL_JoystickSetVirtualAxis(device_->joystick, axis, value);
}

void VirtualPad::SetButton(int button, bool pressed) {
  if (device_->joystick) SDL_JoystickSetVirtualButton(device_->joystick, button, pressed ? 1 : 0);
}

void VirtualPad::SetHat(uint8_t directions) {
  if (device_->joystick) SDL_JoystickSetVirtualHat(device_->joystick, 0, directions);
}

void VirtualPad::Detach() {
  if (!device_->joystick) return;
  // The device index of a virtual pad is found by its instance id.
  const SDL_JoystickID id = SDL_JoystickInstanceID(device_->joystick);
  for (int index = 0; index < SDL_NumJoysticks(); ++index)
    if (SDL_JoystickGetDeviceInstanceID(index) == id) {
      SDL_JoystickDetachVirtual(index);
      break;
    }
  SDL_JoystickClose(device_->joystick);
  device_->joystick = nullptr;
}

}  // namespace platform::sdl
