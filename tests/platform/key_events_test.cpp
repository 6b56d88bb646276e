// What the form hears of keys, pad buttons and the stick, and the names and
// bindings the settings give them.
#include <gtest/gtest.h>

#include "platform/bindings.h"
#include "platform/headless/input.h"
#include "platform/sdl/application.h"

namespace platform {
namespace {

TEST(KeyEvents, KeysButtonsAndTheStick) {
  struct Case {
    SDL_Scancode scancode;
    SDL_Keycode key;
    KeyEvent want;
  };
  const Case keys[] = {
      {SDL_SCANCODE_UP, SDLK_UP, {kVirtualKeyUp, 0xC8}},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, {kVirtualKeyReturn, 0x1C}},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, {kVirtualKeyReturn, 0x9C}},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, {kVirtualKeyEscape, 0x01}},
      {SDL_SCANCODE_PAUSE, SDLK_PAUSE, {kVirtualKeyPause, 0xC5}},
      // On a French keyboard the key at Z's place types W.
      {SDL_SCANCODE_Z, SDLK_w, {kVirtualKeyOther, 0x2C}},
      {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, {kVirtualKeyOther, 0x2A, -1, true}},
      {SDL_SCANCODE_F20, SDLK_F20, {kVirtualKeyOther, 0}},  // no scan code of the component's
  };
  for (const Case& c : keys) {
    SDL_Keysym sym{};
    sym.scancode = c.scancode;
    sym.sym = c.key;
    const KeyEvent got = sdl::KeyboardKey(sym);
    EXPECT_EQ(got.virtualKey, c.want.virtualKey) << c.scancode;
    EXPECT_EQ(got.scanCode, c.want.scanCode) << c.scancode;
    EXPECT_EQ(got.padButton, -1) << c.scancode;
    EXPECT_EQ(got.modifier, c.want.modifier) << c.scancode;
  }
  const std::pair<PadButton, int> buttons[] = {
      {kPadA, kVirtualKeyPadA},          {kPadB, kVirtualKeyPadB},
      {kPadStart, kVirtualKeyPadStart},  {kPadBack, kVirtualKeyPadBack},
      {kPadDpadLeft, kVirtualKeyPadDpadLeft}, {kPadX, kVirtualKeyOther},
  };
  for (const auto& [button, virtualKey] : buttons) {
    const KeyEvent got = sdl::PadKey(static_cast<uint8_t>(button));
    EXPECT_EQ(got.virtualKey, virtualKey) << int(button);
    EXPECT_EQ(got.padButton, button);
    EXPECT_EQ(got.scanCode, 0);
  }
  // Half way is not past it.
  const std::pair<int, int> stick[] = {{-32768, -1}, {-16385, -1}, {-16384, 0}, {0, 0}, {16384, 0}, {16385, 1}};
  for (const auto& [value, direction] : stick) EXPECT_EQ(sdl::StickDirection(value), direction) << value;
}

// The one turning of settings into bindings: names found, defaults kept
// for what is wrong, and the keys with a meaning of their own refused.
TEST(KeyEvents, BindingsOfTheSettings) {
  headless::HeadlessInput input{headless::UsKeyboardNames()};
  Settings settings;
  settings.keys[kButton1] = {"Left Shift", 3};
  settings.keys[kPause] = {"F1", 4};
  settings.keys[kUp] = {"Nowhere", 5};
  settings.keys[kButton2] = {"Escape", 6};
  settings.padButtons[kButton3] = {"y", 7};
  settings.padButtons[kButton1] = {"start", 8};
  settings.padButtons[kButton2] = {"dpup", 9};
  settings.padButtons[kPause] = {"back", 10};
  std::vector<SettingsProblem> problems;
  const Bindings b = BindingsOf(settings, input, problems);
  Bindings want;
  want.keys[kButton1] = 0x2A;
  want.keys[kPause] = 0x3B;
  want.pad[kButton3] = kPadY;
  want.pad[kPause] = kPadBack;
  EXPECT_EQ(b, want);
  std::vector<int> lines;
  for (const SettingsProblem& p : problems) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<int>{5, 6, 8, 9}));
  EXPECT_EQ(problems[0].what, "no key is named \"Nowhere\"");
  // Names read back the keys they came from.
  for (uint8_t code : {uint8_t{0x2A}, uint8_t{0x3B}, uint8_t{0xC8}, uint8_t{0x9C}})
    EXPECT_EQ(input.KeyNamed(input.KeyName(code)), code) << input.KeyName(code);
  EXPECT_EQ(RecordOrder(want.PadButtons()),
            (PadRecordOrder{kPadA, kPadB, kPadY, kPadX, kPadLeftShoulder, kPadRightShoulder, kPadBack, kPadStart,
                            kPadLeftStick, kPadRightStick, kPadGuide}));
}

}  // namespace
}  // namespace platform
