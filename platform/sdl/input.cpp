#include "platform/sdl/input.h"

#include <SDL.h>

#include <algorithm>
#include <string>

#include "platform/sdl/application.h"

namespace platform::sdl {
namespace {

struct ScanCodePair {
  SDL_Scancode sdl;
  uint8_t pc;
};

// Every key the component can name that exists on a PC keyboard. Keys of
// other machines' keyboards (PC-98 and the like) have no SDL scancode.
constexpr ScanCodePair kScanCodes[] = {
    {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04}, {SDL_SCANCODE_4, 0x05}, {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07}, {SDL_SCANCODE_7, 0x08}, {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A}, {SDL_SCANCODE_0, 0x0B}, {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D}, {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_Q, 0x10}, {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_R, 0x13}, {SDL_SCANCODE_T, 0x14}, {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_U, 0x16}, {SDL_SCANCODE_I, 0x17}, {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19}, {SDL_SCANCODE_LEFTBRACKET, 0x1A}, {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_LCTRL, 0x1D}, {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22}, {SDL_SCANCODE_H, 0x23}, {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25}, {SDL_SCANCODE_L, 0x26}, {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28}, {SDL_SCANCODE_GRAVE, 0x29}, {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_BACKSLASH, 0x2B}, {SDL_SCANCODE_NONUSHASH, 0x2B}, {SDL_SCANCODE_Z, 0x2C},
    {SDL_SCANCODE_X, 0x2D}, {SDL_SCANCODE_C, 0x2E}, {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_B, 0x30}, {SDL_SCANCODE_N, 0x31}, {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_COMMA, 0x33}, {SDL_SCANCODE_PERIOD, 0x34}, {SDL_SCANCODE_SLASH, 0x35},
    {SDL_SCANCODE_RSHIFT, 0x36}, {SDL_SCANCODE_KP_MULTIPLY, 0x37}, {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_CAPSLOCK, 0x3A}, {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C}, {SDL_SCANCODE_F3, 0x3D}, {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F}, {SDL_SCANCODE_F6, 0x40}, {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42}, {SDL_SCANCODE_F9, 0x43}, {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45}, {SDL_SCANCODE_SCROLLLOCK, 0x46}, {SDL_SCANCODE_KP_7, 0x47},
    {SDL_SCANCODE_KP_8, 0x48}, {SDL_SCANCODE_KP_9, 0x49}, {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_4, 0x4B}, {SDL_SCANCODE_KP_5, 0x4C}, {SDL_SCANCODE_KP_6, 0x4D},
    {SDL_SCANCODE_KP_PLUS, 0x4E}, {SDL_SCANCODE_KP_1, 0x4F}, {SDL_SCANCODE_KP_2, 0x50},
    {SDL_SCANCODE_KP_3, 0x51}, {SDL_SCANCODE_KP_0, 0x52}, {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_F11, 0x57}, {SDL_SCANCODE_F12, 0x58}, {SDL_SCANCODE_F13, 0x64},
    {SDL_SCANCODE_F14, 0x65}, {SDL_SCANCODE_F15, 0x66},
    // Japanese keyboard: katakana/hiragana, henkan, muhenkan, yen.
    {SDL_SCANCODE_INTERNATIONAL2, 0x70}, {SDL_SCANCODE_INTERNATIONAL4, 0x79},
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B}, {SDL_SCANCODE_INTERNATIONAL3, 0x7D},
    {SDL_SCANCODE_KP_EQUALS, 0x8D}, {SDL_SCANCODE_LANG2, 0x94}, {SDL_SCANCODE_STOP, 0x95},
    {SDL_SCANCODE_KP_ENTER, 0x9C}, {SDL_SCANCODE_RCTRL, 0x9D}, {SDL_SCANCODE_KP_COMMA, 0xB3},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5}, {SDL_SCANCODE_PRINTSCREEN, 0xB7}, {SDL_SCANCODE_SYSREQ, 0xB7},
    {SDL_SCANCODE_RALT, 0xB8}, {SDL_SCANCODE_PAUSE, 0xC5}, {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_UP, 0xC8}, {SDL_SCANCODE_PAGEUP, 0xC9}, {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_RIGHT, 0xCD}, {SDL_SCANCODE_END, 0xCF}, {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_PAGEDOWN, 0xD1}, {SDL_SCANCODE_INSERT, 0xD2}, {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_LGUI, 0xDB}, {SDL_SCANCODE_RGUI, 0xDC}, {SDL_SCANCODE_APPLICATION, 0xDD},
    {SDL_SCANCODE_POWER, 0xDE}, {SDL_SCANCODE_SLEEP, 0xDF},
};

// The pad's buttons are SDL's by number.
static_assert(int{SDL_CONTROLLER_BUTTON_A} == kPadA && int{SDL_CONTROLLER_BUTTON_START} == kPadStart &&
              int{SDL_CONTROLLER_BUTTON_DPAD_RIGHT} == kPadDpadRight &&
              int{SDL_CONTROLLER_BUTTON_MAX} == kPadButtonCount);

constexpr int32_t kSdlAxisMinimum = -32768;
constexpr int32_t kSdlAxisMaximum = 32767;

// A pressed D-pad direction pushes the axis to its end; else the stick counts.
int32_t DpadOr(int direction, int32_t stick) {
  if (direction < 0) return kSdlAxisMinimum;
  if (direction > 0) return kSdlAxisMaximum;
  return stick;
}

void ReadKeyboard(KeyboardSnapshot& snapshot) {
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  snapshot.fill(0);
  for (const ScanCodePair& pair : kScanCodes)
    if (pair.sdl < count && state[pair.sdl]) snapshot[pair.pc] = 0x80;
}

// The first game controller's buttons and left stick, as SDL last heard them.
void ReadFirstController(HeldInput& held) {
  const int count = SDL_WasInit(SDL_INIT_GAMECONTROLLER) ? SDL_NumJoysticks() : 0;
  for (int index = 0; index < count; ++index) {
    if (!SDL_IsGameController(index)) continue;
    // Opening one open already only counts it once more.
    SDL_GameController* controller = SDL_GameControllerOpen(index);
    if (!controller) continue;
    for (int button = 0; button < kPadButtonCount; ++button)
      held.pad[button] = SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(button));
    const int x = StickDirection(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    const int y = StickDirection(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    held.stick[0] = y < 0;
    held.stick[1] = y > 0;
    held.stick[2] = x < 0;
    held.stick[3] = x > 0;
    SDL_GameControllerClose(controller);
    return;
  }
}

class SdlKeyboard final : public KeyboardDevice {
 public:
  bool SetDataFormat() override { return true; }
  // SDL's key state follows the program's windows; there is nothing to bind.
  bool SetCooperativeLevel(Window*, uint32_t) override { return true; }
  bool Acquire() override {
    acquired_ = true;
    return true;
  }
  ReadResult Read(KeyboardSnapshot& snapshot) override {
    if (!acquired_) return ReadResult::Failed;
    ReadKeyboard(snapshot);
    return ReadResult::Ok;
  }

 private:
  bool acquired_ = false;
};

// The first pad: a game controller when SDL knows its layout, else a plain
// joystick. When it is unplugged, reads report lost input, and acquiring
// again takes whichever pad is first then (a pad plugged in later works).
class SdlJoystick final : public JoystickDevice {
 public:
  // `order`: the buttons of the record's button bytes, followed as it changes.
  explicit SdlJoystick(const PadRecordOrder& order) : order_(order) {}
  ~SdlJoystick() override { Close(); }

  bool Open(int index) {
    Close();
    // A controller SDL cannot open as one is still a joystick.
    if (SDL_IsGameController(index) && (controller_ = SDL_GameControllerOpen(index)))
      joystick_ = SDL_GameControllerGetJoystick(controller_);
    else
      joystick_ = SDL_JoystickOpen(index);
    return joystick_ != nullptr;
  }

  bool SetDataFormat() override { return true; }
  bool SetCooperativeLevel(Window*, uint32_t) override { return true; }
  bool SetAxisRange(JoystickAxis axis, int32_t minimum, int32_t maximum) override {
    return ranges_.Set(axis, minimum, maximum);
  }
  bool Acquire() override {
    if (!Attached()) {
      const int count = SDL_NumJoysticks();
      for (int index = 0; index < count; ++index)
        if (Open(index)) break;
    }
    acquired_ = Attached();
    return acquired_;
  }
  bool Poll() override {
    SDL_JoystickUpdate();
    return acquired_;
  }
  ReadResult Read(JoystickState& state) override {
    if (!Attached()) {
      acquired_ = false;
      return ReadResult::InputLost;
    }
    if (!acquired_) return ReadResult::Failed;
    state = JoystickState{};
    for (uint32_t& hat : state.hats) hat = kHatCentred;
    int32_t rawX = 0, rawY = 0;
    int horizontal = 0, vertical = 0;  // the D-pad: -1, 0 or 1
    if (controller_) ReadController(rawX, rawY, horizontal, vertical, state);
    else ReadPlainJoystick(rawX, rawY, horizontal, vertical, state);
    state.x = ranges_.ScaleX(DpadOr(horizontal, rawX), kSdlAxisMinimum, kSdlAxisMaximum);
    state.y = ranges_.ScaleY(DpadOr(vertical, rawY), kSdlAxisMinimum, kSdlAxisMaximum);
    return ReadResult::Ok;
  }

 private:
  bool Attached() const { return joystick_ && SDL_JoystickGetAttached(joystick_); }

  void ReadController(int32_t& x, int32_t& y, int& horizontal, int& vertical, JoystickState& state) {
    x = SDL_GameControllerGetAxis(controller_, SDL_CONTROLLER_AXIS_LEFTX);
    y = SDL_GameControllerGetAxis(controller_, SDL_CONTROLLER_AXIS_LEFTY);
    horizontal = SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) -
                 SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    vertical = SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_DOWN) -
               SDL_GameControllerGetButton(controller_, SDL_CONTROLLER_BUTTON_DPAD_UP);
    int slot = 0;
    for (PadButton button : order_)
      state.buttons[slot++] =
          SDL_GameControllerGetButton(controller_, static_cast<SDL_GameControllerButton>(button)) ? 0x80 : 0;
  }

  void ReadPlainJoystick(int32_t& x, int32_t& y, int& horizontal, int& vertical, JoystickState& state) {
    const int axes = SDL_JoystickNumAxes(joystick_);
    if (axes > 0) x = SDL_JoystickGetAxis(joystick_, 0);
    if (axes > 1) y = SDL_JoystickGetAxis(joystick_, 1);
    if (SDL_JoystickNumHats(joystick_) > 0) {
      const Uint8 hat = SDL_JoystickGetHat(joystick_, 0);
      horizontal = ((hat & SDL_HAT_RIGHT) ? 1 : 0) - ((hat & SDL_HAT_LEFT) ? 1 : 0);
      vertical = ((hat & SDL_HAT_DOWN) ? 1 : 0) - ((hat & SDL_HAT_UP) ? 1 : 0);
    }
    const int buttons = std::min(SDL_JoystickNumButtons(joystick_), kJoystickButtonCount);
    for (int i = 0; i < buttons; ++i) state.buttons[i] = SDL_JoystickGetButton(joystick_, i) ? 0x80 : 0;
  }

  void Close() {
    if (controller_) SDL_GameControllerClose(controller_);
    else if (joystick_) SDL_JoystickClose(joystick_);
    controller_ = nullptr;
    joystick_ = nullptr;
  }

  const PadRecordOrder& order_;
  SDL_GameController* controller_ = nullptr;
  SDL_Joystick* joystick_ = nullptr;
  bool acquired_ = false;
  AxisRanges ranges_;
};

class SdlInputObject final : public InputObject {
 public:
  explicit SdlInputObject(const PadRecordOrder& order) : order_(order) {}
  ~SdlInputObject() override {
    if (pads_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    if (events_) SDL_QuitSubSystem(SDL_INIT_EVENTS);
  }

  bool Initialize(uint32_t) override {
    events_ = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
    // Without joystick support the keyboard still works: no pad is listed.
    pads_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return events_;
  }
  std::unique_ptr<KeyboardDevice> CreateKeyboard() override { return std::make_unique<SdlKeyboard>(); }
  bool EnumJoysticks(JoystickEnumCallback callback, void* context) override {
    if (!pads_) return true;
    const int count = SDL_NumJoysticks();
    if (count < 0) return false;
    for (int index = 0; index < count; ++index) {
      const char* name = SDL_JoystickNameForIndex(index);
      const JoystickInstance instance{index, name ? name : ""};
      if (callback(&instance, context) == 0) break;
    }
    return true;
  }
  std::unique_ptr<JoystickDevice> CreateJoystick(const JoystickInstance& instance) override {
    auto pad = std::make_unique<SdlJoystick>(order_);
    if (!pads_ || !pad->Open(instance.index)) return nullptr;
    return pad;
  }

 private:
  const PadRecordOrder& order_;
  bool events_ = false;
  bool pads_ = false;
};

}  // namespace

std::unique_ptr<InputObject> SdlInput::CreateInputObject() { return std::make_unique<SdlInputObject>(order_); }

HeldInput SdlInput::ReadHeld() const {
  HeldInput held;
  ReadKeyboard(held.keys);
  ReadFirstController(held);
  return held;
}

std::string SdlInput::KeyName(uint8_t scanCode) const {
  const SDL_Keycode key = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(SdlScancode(scanCode)));
  return key == SDLK_UNKNOWN ? std::string() : SDL_GetKeyName(key);
}

uint8_t SdlInput::KeyNamed(const std::string& name) const {
  // A one-letter name is the key that types it in the current layout.
  const SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
  return key == SDLK_UNKNOWN ? 0 : PcScanCode(SDL_GetScancodeFromKey(key));
}

PadFamily SdlInput::AttachedPadFamily() const {
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) {
    if (!SDL_IsGameController(index)) continue;
    switch (SDL_GameControllerTypeForIndex(index)) {
      case SDL_CONTROLLER_TYPE_PS3:
      case SDL_CONTROLLER_TYPE_PS4:
      case SDL_CONTROLLER_TYPE_PS5: return PadFamily::PlayStation;
      case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
      case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_LEFT:
      case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_RIGHT:
      case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR: return PadFamily::Nintendo;
      default: return PadFamily::Xbox;
    }
  }
  return PadFamily::Xbox;
}

uint8_t PcScanCode(int code) {
  for (const ScanCodePair& pair : kScanCodes)
    if (pair.sdl == code) return pair.pc;
  return 0;
}

int SdlScancode(uint8_t pcCode) {
  if (pcCode == 0) return SDL_SCANCODE_UNKNOWN;
  for (const ScanCodePair& pair : kScanCodes)
    if (pair.pc == pcCode) return pair.sdl;
  return SDL_SCANCODE_UNKNOWN;
}

}  // namespace platform::sdl
