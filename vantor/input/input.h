#pragma once
// TVantorInput: the keyboard and the first joystick folded into one
// TVantorInputState per poll. The eight keys that count as directions and
// buttons are plain members the owner may change at any time; a change takes
// effect at the next GetState.
#include <cstdint>
#include <memory>

#include "vantor/system/component.h"

namespace platform {
class Window;
class InputObject;
class KeyboardDevice;
class JoystickDevice;
struct JoystickInstance;
}  // namespace platform

namespace VantorInputSystem {

// The keys, in the order of their scan codes; ScanCode() gives the code.
enum TInputKeys : uint8_t {
  ikEscape, ik1, ik2, ik3, ik4, ik5, ik6, ik7, ik8, ik9, ik0, ikMinus, ikEquals, ikBack, ikTab,
  ikQ, ikW, ikE, ikR, ikT, ikY, ikU, ikI, ikO, ikP, ikLBracket, ikRBracket, ikReturn, ikLControl,
  ikA, ikS, ikD, ikF, ikG, ikH, ikJ, ikK, ikL, ikSemicolon, ikApostrophe, ikGrave, ikLShift,
  ikBackslash, ikZ, ikX, ikC, ikV, ikB, ikN, ikM, ikComma, ikPeriod, ikSlash, ikRShift,
  ikMultiply, ikLMenu, ikSpace, ikCapital, ikF1, ikF2, ikF3, ikF4, ikF5, ikF6, ikF7, ikF8, ikF9,
  ikF10, ikNumlock, ikScroll, ikNumPadD7, ikNumPad8, ikNumPad9, ikSubtract, ikNumPad4, ikNumPad5,
  ikNumPad6, ikAdd, ikNumPad1, ikNumPad2, ikNumPad3, ikNumPad0, ikDECIMAL, ikF11, ikF12, ikF13,
  ikF14, ikF15, ikKana, ikConvert, ikNoConvert, ikYen, ikNumPadEquals, ikCircumflex, ikAT,
  ikColon, ikUnderline, ikKanji, ikStop, ikAX, ikUnlabeled, ikNumPadEnter, ikRControl,
  ikNumPadComma, ikDivide, ikSysRQ, ikRMenu, ikPause, ikHome, ikUp, ikPrior, ikLeft, ikRight,
  ikEnd, ikDown, ikNext, ikInsert, ikDelete, ikLWin, ikRWin, ikApps, ikPower, ikSleep,
};
constexpr int kInputKeyCount = ikSleep + 1;

// The PC scan code (set 1, extended keys at 0x80 + code) of `key`.
uint8_t ScanCode(TInputKeys key);
// The key of a PC scan code; false when no key has that code.
bool KeyOfScanCode(uint8_t code, TInputKeys& key);

// Codes of the fields of TVantorInputState.
enum : uint8_t {
  kNotPressed = 0,
  kPressedNow = 1,   // pressed at this poll, not at the previous one
  kStillPressed = 2, // pressed at this poll and at the previous one
};

// One poll: eight 2-bit codes in the first two bytes, lowest bits first; the
// other six bytes are always 0.
struct TVantorInputState {
  uint8_t Up : 2;
  uint8_t Down : 2;
  uint8_t Left : 2;
  uint8_t Right : 2;
  uint8_t Button1 : 2;
  uint8_t Button2 : 2;
  uint8_t Button3 : 2;
  uint8_t Button4 : 2;
  uint8_t Reserved[6];
};
static_assert(sizeof(TVantorInputState) == 8);

class TVantorInput : public TComponent {
 public:
  explicit TVantorInput(TComponent* owner);
  ~TVantorInput() override;

  // Opens the keyboard and the first joystick that can be opened. `window`,
  // when given, replaces the window taken from the owner.
  void Init(platform::Window* window = nullptr);
  void CleanUp();
  void GetState(TVantorInputState& state);

  // The joystick enumeration callback: opens `instance` into the component's
  // joystick slot; 1 to go on with the next joystick, 0 once one is open.
  static int DIEnumDevicesProc(const platform::JoystickInstance* instance, void* component);

  TInputKeys KeyUp = ikUp;
  TInputKeys KeyDown = ikDown;
  TInputKeys KeyLeft = ikLeft;
  TInputKeys KeyRight = ikRight;
  TInputKeys KeyButton1 = ikZ;
  TInputKeys KeyButton2 = ikX;
  TInputKeys KeyButton3 = ikC;
  TInputKeys KeyButton4 = ikV;

  bool Initialized() const { return initialized_; }
  bool HasJoystick() const { return joystick_ != nullptr; }

 private:
  void ReadKeyboard(uint16_t& fields);
  void ReadJoystick(uint16_t& fields);

  bool initialized_ = false;
  std::unique_ptr<platform::InputObject> input_;
  std::unique_ptr<platform::KeyboardDevice> keyboard_;
  std::unique_ptr<platform::JoystickDevice> joystick_;
  platform::Window* window_ = nullptr;
  TVantorInputState previous_{};
};

// Puts TVantorInput on the component palette page "Vantor".
void Register();

}  // namespace VantorInputSystem
