#pragma once
// The scripted input service: tests and the runner hold keys down by scan
// code, attach a joystick and move it, and make any step of the service fail.
#include <bitset>
#include <cstdint>
#include <string>

#include "platform/bindings.h"
#include "platform/input.h"

namespace platform::headless {

// Steps of the service that fail. The set-up faults hold until cleared; the
// read faults answer the next read of that device only.
struct InputFaults {
  bool createObject = false;
  bool initialize = false;
  bool createKeyboard = false;
  bool keyboardFormat = false;
  bool keyboardCooperation = false;
  bool keyboardAcquire = false;
  bool enumerate = false;
  // The first this many joystick opens fail (the enumeration then goes on).
  int failingJoystickOpens = 0;
  bool joystickFormat = false;
  bool joystickCooperation = false;
  bool joystickAcquire = false;
  // A lost read also unacquires the device. A failed read leaves junk in the
  // caller's buffer, as a real device may.
  ReadResult keyboardRead = ReadResult::Ok;
  ReadResult joystickRead = ReadResult::Ok;
};

// How keys are named. The runner's backend names them as printed on a US
// keyboard (UsKeyboardNames), whatever the machine's layout, so runs are the
// same everywhere; the verifier's reads no settings and names none, so it
// needs no SDL.
struct KeyNaming {
  std::string (*name)(uint8_t scanCode) = nullptr;
  uint8_t (*named)(const std::string& name) = nullptr;
};
KeyNaming UsKeyboardNames();

class HeadlessInput final : public InputSystem {
 public:
  explicit HeadlessInput(KeyNaming naming = {}) : naming_(naming) {}
  std::unique_ptr<InputObject> CreateInputObject() override;
  std::string KeyName(uint8_t scanCode) const override;
  uint8_t KeyNamed(const std::string& name) const override;
  PadFamily AttachedPadFamily() const override { return PadFamily::Xbox; }
  void SetPadButtons(const std::array<PadButton, 3>& buttons) override { order_ = RecordOrder(buttons); }
  HeldInput ReadHeld() const override;

  void SetKey(uint8_t scanCode, bool held) { keys_[scanCode] = held ? 0x80 : 0; }
  void ReleaseAllKeys() { keys_.fill(0); }

  // How many joysticks the enumeration lists (all share the state below).
  void SetJoystickCount(int count) { joystickCount_ = count; }
  // The stick's deflection, -100 (left/up) .. 100 (right/down), reported
  // scaled to the range the device was given.
  void SetStick(int32_t x, int32_t y) {
    stickX_ = x;
    stickY_ = y;
  }
  void SetButton(int index, bool held);
  // A game controller's button held: it lands in the record's button byte
  // that SetPadButtons gives it, as on a real pad.
  void SetPadButton(PadButton button, bool held);
  // The pad is pulled out: it holds nothing, is listed no more, and the
  // devices opened on it report lost input.
  void UnplugPad();

  InputFaults faults;

  // What the component did, for tests.
  int KeyboardAcquisitions() const { return keyboardAcquisitions_; }
  int JoystickAcquisitions() const { return joystickAcquisitions_; }
  int JoystickPolls() const { return joystickPolls_; }
  uint32_t CooperationFlags() const { return cooperationFlags_; }
  const Window* CooperationWindow() const { return cooperationWindow_; }
  uint32_t Version() const { return version_; }

 private:
  friend class HeadlessInputObject;
  friend class HeadlessKeyboard;
  friend class HeadlessJoystick;

  KeyNaming naming_;
  KeyboardSnapshot keys_{};
  int joystickCount_ = 0;
  bool unplugged_ = false;
  int32_t stickX_ = 0;
  int32_t stickY_ = 0;
  uint8_t buttons_[kJoystickButtonCount] = {};
  std::bitset<kPadButtonCount> padHeld_;
  PadRecordOrder order_ = RecordOrder(Bindings().PadButtons());
  int keyboardAcquisitions_ = 0;
  int joystickAcquisitions_ = 0;
  int joystickPolls_ = 0;
  uint32_t cooperationFlags_ = 0;
  const Window* cooperationWindow_ = nullptr;
  uint32_t version_ = 0;
};

}  // namespace platform::headless
