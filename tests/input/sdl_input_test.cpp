#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/backend.h"
#include "platform/platform.h"
#include "platform/sdl/input.h"
#include "platform/sdl/input_virtual_pad.h"
#include "vantor/input/input.h"

using platform::sdl::VirtualPad;
using VantorInputSystem::TVantorInput;
using VantorInputSystem::TVantorInputState;

namespace {

struct Codes {
  int up, down, left, right, b1, b2, b3, b4;
  bool operator==(const Codes&) const = default;
};

// The real input service in place of the scripted one.
class SdlInputTest : public ::testing::Test {
 protected:
  SdlInputTest() { platform::Current().input = &sdl; }
  ~SdlInputTest() override { platform::Current().input = &backend.input; }

  Codes Poll() {
    TVantorInputState s;
    std::memset(&s, 0xFF, sizeof s);
    input.GetState(s);
    uint8_t bytes[8];
    std::memcpy(bytes, &s, sizeof bytes);
    for (int i = 2; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << i;
    return {s.Up, s.Down, s.Left, s.Right, s.Button1, s.Button2, s.Button3, s.Button4};
  }

  platform::headless::Backend backend;
  platform::sdl::SdlInput sdl;
  TVantorInput input{nullptr};
};

// No keyboard in front of the test machine: nothing is held.
TEST_F(SdlInputTest, OpensAndReadsAKeyboardWithNothingHeld) {
  input.Init();
  ASSERT_TRUE(input.Initialized());
  if (input.HasJoystick()) GTEST_SKIP() << "a real pad is attached";
  EXPECT_EQ(Poll(), Codes{});
  EXPECT_EQ(Poll(), Codes{});
}

TEST_F(SdlInputTest, ControllerStickCountsBeyondHalfWay) {
  VirtualPad pad(VirtualPad::Kind::GameController);
  ASSERT_TRUE(pad.Attached());
  input.Init();
  ASSERT_TRUE(input.HasJoystick());
  // -16384 of -32768..32767 scales to -50, one step further to -51.
  pad.SetAxis(VirtualPad::kLeftY, -16384);
  EXPECT_EQ(Poll().up, 0);
  pad.SetAxis(VirtualPad::kLeftY, -16385);
  EXPECT_EQ(Poll().up, 1);
  pad.SetAxis(VirtualPad::kLeftY, 32767);
  pad.SetAxis(VirtualPad::kLeftX, -32768);
  EXPECT_EQ(Poll(), (Codes{0, 1, 1, 0, 0, 0, 0, 0}));
}

TEST_F(SdlInputTest, ControllerDpadAndFaceButtons) {
  VirtualPad pad(VirtualPad::Kind::GameController);
  input.Init();
  ASSERT_TRUE(input.HasJoystick());
  pad.SetButton(VirtualPad::kDpadRight, true);
  pad.SetButton(VirtualPad::kDpadUp, true);
  pad.SetButton(VirtualPad::kA, true);
  pad.SetButton(VirtualPad::kY, true);
  pad.SetButton(VirtualPad::kStart, true);  // not one of the four
  EXPECT_EQ(Poll(), (Codes{1, 0, 0, 1, 1, 0, 0, 1}));
  pad.SetButton(VirtualPad::kDpadUp, false);
  pad.SetButton(VirtualPad::kA, false);
  pad.SetButton(VirtualPad::kB, true);
  pad.SetButton(VirtualPad::kX, true);
  EXPECT_EQ(Poll(), (Codes{0, 0, 0, 2, 0, 1, 1, 2}));
}

TEST_F(SdlInputTest, PlainJoystickAxesHatAndFirstFourButtons) {
  VirtualPad pad(VirtualPad::Kind::Joystick);
  input.Init();
  ASSERT_TRUE(input.HasJoystick());
  pad.SetAxis(0, 32767);
  pad.SetButton(2, true);
  pad.SetButton(4, true);  // a fifth button counts for nothing
  EXPECT_EQ(Poll(), (Codes{0, 0, 0, 1, 0, 0, 1, 0}));
  pad.SetAxis(0, 0);
  pad.SetHat(VirtualPad::kHatDown | VirtualPad::kHatLeft);
  EXPECT_EQ(Poll(), (Codes{0, 1, 1, 0, 0, 0, 2, 0}));
}

// Pulled out, the pad adds nothing; a pad plugged in afterwards is taken up
// when the lost device is acquired again, and read from the poll after.
TEST_F(SdlInputTest, UnpluggedPadIsReplacedByTheNextOne) {
  auto first = std::make_unique<VirtualPad>(VirtualPad::Kind::GameController);
  input.Init();
  ASSERT_TRUE(input.HasJoystick());
  first->SetButton(VirtualPad::kA, true);
  EXPECT_EQ(Poll().b1, 1);
  first.reset();
  EXPECT_EQ(Poll(), Codes{});
  VirtualPad second(VirtualPad::Kind::Joystick);
  second.SetButton(1, true);
  EXPECT_EQ(Poll(), Codes{});
  EXPECT_EQ(Poll().b2, 1);
}

// What the player holds, read from the devices rather than their events:
// the controller's buttons and its stick past half way, and nothing once it
// is pulled out.
TEST_F(SdlInputTest, HeldIsReadFromTheDevicesAndAPadPulledOutHoldsNothing) {
  VirtualPad pad(VirtualPad::Kind::GameController);
  input.Init();
  ASSERT_TRUE(input.HasJoystick());
  pad.SetButton(VirtualPad::kB, true);
  pad.SetAxis(VirtualPad::kLeftX, -20000);
  pad.SetAxis(VirtualPad::kLeftY, 16000);  // not half way down
  Poll();
  platform::HeldInput held = sdl.ReadHeld();
  EXPECT_EQ(held.pad.to_ulong(), 1ul << platform::kPadB);
  EXPECT_EQ(held.stick.to_ulong(), 0b0100ul);  // left
  EXPECT_EQ(held.keys, platform::KeyboardSnapshot{});
  pad.Detach();
  Poll();
  held = sdl.ReadHeld();
  EXPECT_TRUE(held.pad.none());
  EXPECT_TRUE(held.stick.none());
}

}  // namespace
