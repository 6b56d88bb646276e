#include "platform/headless/input.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace platform::headless {
namespace {

// What a failed read leaves behind: not a key state anyone should trust.
constexpr uint8_t kJunk = 0xA5;

// Consumes a one-shot read fault.
ReadResult TakeReadFault(ReadResult& fault) {
  ReadResult result = fault;
  fault = ReadResult::Ok;
  return result;
}

}  // namespace

class HeadlessKeyboard final : public KeyboardDevice {
 public:
  explicit HeadlessKeyboard(HeadlessInput& input) : input_(input) {}
  bool SetDataFormat() override {
    if (input_.faults.keyboardFormat) return false;
    formatted_ = true;
    return true;
  }
  bool SetCooperativeLevel(Window* window, uint32_t flags) override {
    if (input_.faults.keyboardCooperation) return false;
    input_.cooperationWindow_ = window;
    input_.cooperationFlags_ = flags;
    return true;
  }
  bool Acquire() override {
    if (input_.faults.keyboardAcquire || !formatted_) return false;
    ++input_.keyboardAcquisitions_;
    acquired_ = true;
    return true;
  }
  ReadResult Read(KeyboardSnapshot& snapshot) override {
    ReadResult result = TakeReadFault(input_.faults.keyboardRead);
    if (result == ReadResult::Ok && !acquired_) result = ReadResult::Failed;
    if (result != ReadResult::Ok) {
      if (result == ReadResult::InputLost) acquired_ = false;
      snapshot.fill(kJunk);
      return result;
    }
    snapshot = input_.keys_;
    return ReadResult::Ok;
  }

 private:
  HeadlessInput& input_;
  bool formatted_ = false;
  bool acquired_ = false;
};

class HeadlessJoystick final : public JoystickDevice {
 public:
  explicit HeadlessJoystick(HeadlessInput& input) : input_(input) {}
  bool SetDataFormat() override {
    if (input_.faults.joystickFormat) return false;
    formatted_ = true;
    return true;
  }
  bool SetCooperativeLevel(Window*, uint32_t) override { return !input_.faults.joystickCooperation; }
  bool SetAxisRange(JoystickAxis axis, int32_t minimum, int32_t maximum) override {
    return ranges_.Set(axis, minimum, maximum);
  }
  bool Acquire() override {
    if (input_.faults.joystickAcquire || !formatted_ || input_.unplugged_) return false;
    ++input_.joystickAcquisitions_;
    acquired_ = true;
    return true;
  }
  bool Poll() override {
    ++input_.joystickPolls_;
    return acquired_;
  }
  ReadResult Read(JoystickState& state) override {
    ReadResult result = input_.unplugged_ ? ReadResult::InputLost : TakeReadFault(input_.faults.joystickRead);
    if (result == ReadResult::Ok && !acquired_) result = ReadResult::Failed;
    if (result != ReadResult::Ok) {
      if (result == ReadResult::InputLost) acquired_ = false;
      std::memset(&state, kJunk, sizeof state);
      return result;
    }
    state = JoystickState{};
    state.x = ranges_.ScaleX(input_.stickX_, -100, 100);
    state.y = ranges_.ScaleY(input_.stickY_, -100, 100);
    for (uint32_t& hat : state.hats) hat = kHatCentred;
    std::memcpy(state.buttons, input_.buttons_, sizeof state.buttons);
    for (int slot = 0; slot < kPadRecordButtons; ++slot)
      if (input_.padHeld_.test(input_.order_[slot])) state.buttons[slot] = 0x80;
    return ReadResult::Ok;
  }

 private:
  HeadlessInput& input_;
  bool formatted_ = false;
  bool acquired_ = false;
  AxisRanges ranges_;
};

class HeadlessInputObject final : public InputObject {
 public:
  explicit HeadlessInputObject(HeadlessInput& input) : input_(input) {}
  bool Initialize(uint32_t version) override {
    if (input_.faults.initialize) return false;
    input_.version_ = version;
    return true;
  }
  std::unique_ptr<KeyboardDevice> CreateKeyboard() override {
    if (input_.faults.createKeyboard) return nullptr;
    return std::make_unique<HeadlessKeyboard>(input_);
  }
  bool EnumJoysticks(JoystickEnumCallback callback, void* context) override {
    if (input_.faults.enumerate) return false;
    for (int i = 0; i < input_.joystickCount_; ++i) {
      const JoystickInstance instance{i, "Headless Pad " + std::to_string(i + 1)};
      if (callback(&instance, context) == 0) break;
    }
    return true;
  }
  std::unique_ptr<JoystickDevice> CreateJoystick(const JoystickInstance& instance) override {
    if (instance.index < 0 || instance.index >= input_.joystickCount_) return nullptr;
    if (input_.faults.failingJoystickOpens > 0) {
      --input_.faults.failingJoystickOpens;
      return nullptr;
    }
    return std::make_unique<HeadlessJoystick>(input_);
  }

 private:
  HeadlessInput& input_;
};

std::unique_ptr<InputObject> HeadlessInput::CreateInputObject() {
  if (faults.createObject) return nullptr;
  return std::make_unique<HeadlessInputObject>(*this);
}

void HeadlessInput::SetButton(int index, bool held) {
  if (index >= 0 && index < kJoystickButtonCount) buttons_[index] = held ? 0x80 : 0;
}

void HeadlessInput::SetPadButton(PadButton button, bool held) {
  if (button >= 0 && button < kPadButtonCount) padHeld_.set(button, held);
}

void HeadlessInput::UnplugPad() {
  unplugged_ = true;
  joystickCount_ = 0;
  padHeld_.reset();
  std::fill(std::begin(buttons_), std::end(buttons_), 0);
  stickX_ = stickY_ = 0;
}

HeldInput HeadlessInput::ReadHeld() const {
  constexpr int32_t kHalfWay = 50;
  HeldInput held;
  held.keys = keys_;
  held.pad = padHeld_;
  held.stick[0] = stickY_ < -kHalfWay;
  held.stick[1] = stickY_ > kHalfWay;
  held.stick[2] = stickX_ < -kHalfWay;
  held.stick[3] = stickX_ > kHalfWay;
  return held;
}

std::string HeadlessInput::KeyName(uint8_t scanCode) const {
  return naming_.name ? naming_.name(scanCode) : std::string();
}

uint8_t HeadlessInput::KeyNamed(const std::string& name) const { return naming_.named ? naming_.named(name) : 0; }

}  // namespace platform::headless
