#pragma once
// A pad that exists only inside SDL: tests plug it in, move it and pull it
// out to check the real input service without a pad on the desk.
#include <cstdint>
#include <memory>

namespace platform::sdl {

class VirtualPad {
 public:
  enum class Kind {
    GameController,  // a layout SDL knows: stick, D-pad, face buttons
    Joystick,        // a plain joystick: two axes, one hat, eight buttons
  };
  // The controller's axes and buttons in SDL's order.
  enum Axis : int { kLeftX, kLeftY, kRightX, kRightY };
  enum Button : int {
    kA, kB, kX, kY, kBack, kGuide, kStart, kLeftStick, kRightStick, kLeftShoulder, kRightShoulder,
    kDpadUp, kDpadDown, kDpadLeft, kDpadRight,
  };
  // Hat directions, combinable.
  enum Hat : uint8_t { kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8 };

  explicit VirtualPad(Kind kind);
  ~VirtualPad();
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  bool Attached() const;
  // Values take effect at the next joystick update (the service's Poll).
  void SetAxis(int axis, int16_t value);
  void SetButton(int button, bool pressed);
  void SetHat(uint8_t directions);
  // Pulls the pad out.
  void Detach();

 private:
  struct Device;
  std::unique_ptr<Device> device_;
};

}  // namespace platform::sdl
