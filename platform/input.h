#pragma once
// The input service: a keyboard snapshot indexed by PC scan codes and the
// first joystick or gamepad. Its shape follows what the input component does
// at start-up, step by step (create, initialise, open the keyboard, set its
// format and cooperation, acquire, enumerate joysticks, ...), so that each
// step can fail on its own and be reported with its own text.
#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/pad.h"

namespace platform {

class Window;

// One byte per scan code (set 1, extended keys at 0x80 + code); non-zero
// while the key is held.
using KeyboardSnapshot = std::array<uint8_t, 256>;

constexpr int kJoystickButtonCount = 32;
// A centred hat.
constexpr uint32_t kHatCentred = 0xFFFFFFFF;

// The standard joystick record: six axes, two sliders, four hats and 32
// button bytes (non-zero while pressed), 80 bytes with X first.
struct JoystickState {
  int32_t x, y, z, rx, ry, rz;
  int32_t sliders[2];
  uint32_t hats[4];
  uint8_t buttons[kJoystickButtonCount];
};
static_assert(sizeof(JoystickState) == 80);

enum class ReadResult {
  Ok,
  // The device was taken away (focus, unplugging): acquire it again.
  InputLost,
  Failed,
};

enum class JoystickAxis { X, Y };

// What the player holds now as the devices report it, not as their events
// told it: the keyboard by PC scan code, and the first pad's buttons and its
// left stick pushed past half way (up, down, left, right). An unplugged pad
// holds nothing.
struct HeldInput {
  KeyboardSnapshot keys{};
  std::bitset<kPadButtonCount> pad;
  std::bitset<4> stick;
};

// Non-exclusive, background: the only cooperation the component asks for.
constexpr uint32_t kCooperateNonExclusive = 0x2;
constexpr uint32_t kCooperateBackground = 0x8;

class InputDevice {
 public:
  virtual ~InputDevice() = default;
  // Selects the device's standard data format (keyboard snapshot or joystick record).
  virtual bool SetDataFormat() = 0;
  virtual bool SetCooperativeLevel(Window* window, uint32_t flags) = 0;
  virtual bool Acquire() = 0;
};

class KeyboardDevice : public InputDevice {
 public:
  // Fills `snapshot`. On failure the snapshot holds whatever the read left.
  virtual ReadResult Read(KeyboardSnapshot& snapshot) = 0;
};

class JoystickDevice : public InputDevice {
 public:
  // Axis values are reported scaled to [minimum, maximum].
  virtual bool SetAxisRange(JoystickAxis axis, int32_t minimum, int32_t maximum) = 0;
  virtual bool Poll() = 0;
  // Fills `state`. On failure the record holds whatever the read left.
  virtual ReadResult Read(JoystickState& state) = 0;
};

// One attached joystick as the enumeration reports it.
struct JoystickInstance {
  int index;
  std::string name;
};

// The enumeration callback: returns 1 to go on, 0 to stop.
using JoystickEnumCallback = int (*)(const JoystickInstance* instance, void* context);

// The input object of one component. Devices are null when they cannot be made.
class InputObject {
 public:
  virtual ~InputObject() = default;
  virtual bool Initialize(uint32_t version) = 0;
  virtual std::unique_ptr<KeyboardDevice> CreateKeyboard() = 0;
  // Calls `callback` for each attached joystick, first to last, until it
  // returns 0. False when the joysticks cannot be listed.
  virtual bool EnumJoysticks(JoystickEnumCallback callback, void* context) = 0;
  virtual std::unique_ptr<JoystickDevice> CreateJoystick(const JoystickInstance& instance) = 0;
};

class InputSystem {
 public:
  virtual ~InputSystem() = default;
  // Null when the input object cannot be created.
  virtual std::unique_ptr<InputObject> CreateInputObject() = 0;

  // The name printed on the key with PC scan code `scanCode` in the keyboard
  // layout in use ("Z", "Left Shift", UTF-8); empty when it has none.
  virtual std::string KeyName(uint8_t scanCode) const = 0;
  // The PC scan code of the key printed with `name` (as KeyName gives it; a
  // one-letter name is the key that types it); 0 when no key has that name.
  virtual uint8_t KeyNamed(const std::string& name) const = 0;
  // Whose labels the first pad attached wears (Xbox's when none is).
  virtual PadFamily AttachedPadFamily() const = 0;
  // The pad buttons that count as buttons 1-3 of the joystick record; pads
  // open now take them at their next read.
  virtual void SetPadButtons(const std::array<PadButton, 3>& buttons) = 0;
  // What is held now (events go missing around a lost focus or pad).
  virtual HeldInput ReadHeld() const = 0;
};

// Scales `value` from [fromMin, fromMax] to [toMin, toMax] (ends map to ends).
inline int32_t ScaleAxis(int64_t value, int64_t fromMin, int64_t fromMax, int32_t toMin, int32_t toMax) {
  if (fromMax <= fromMin) return toMin;
  return static_cast<int32_t>(toMin + (value - fromMin) * (int64_t{toMax} - toMin) / (fromMax - fromMin));
}

// The ranges a joystick reports its axes in; a device starts at the standard
// range 0 .. 65535 until it is given another.
struct AxisRanges {
  struct Range {
    int32_t minimum = 0;
    int32_t maximum = 65535;
  };
  Range x, y;

  bool Set(JoystickAxis axis, int32_t minimum, int32_t maximum) {
    if (minimum >= maximum) return false;
    (axis == JoystickAxis::X ? x : y) = {minimum, maximum};
    return true;
  }
  // A source position in [fromMin, fromMax] as the device reports it.
  int32_t ScaleX(int64_t value, int64_t fromMin, int64_t fromMax) const {
    return ScaleAxis(value, fromMin, fromMax, x.minimum, x.maximum);
  }
  int32_t ScaleY(int64_t value, int64_t fromMin, int64_t fromMax) const {
    return ScaleAxis(value, fromMin, fromMax, y.minimum, y.maximum);
  }
};

}  // namespace platform
