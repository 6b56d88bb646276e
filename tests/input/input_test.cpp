#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/app.h"
#include "platform/headless/backend.h"
#include "vantor/input/input.h"
#include "vantor/system/debug.h"
#include "vantor/system/exceptions.h"

using namespace VantorInputSystem;
using platform::ReadResult;

namespace {

struct Codes {
  int up, down, left, right, b1, b2, b3, b4;
  bool operator==(const Codes&) const = default;
};

Codes CodesOf(const TVantorInputState& s) {
  return {s.Up, s.Down, s.Left, s.Right, s.Button1, s.Button2, s.Button3, s.Button4};
}

std::string Utf8(const std::string& cp932) { return platform::Cp932ToUtf8(cp932); }

class InputTest : public ::testing::Test {
 protected:
  void Hold(TInputKeys key, bool held = true) { backend.input.SetKey(ScanCode(key), held); }
  TVantorInputState Poll() {
    TVantorInputState state;
    std::memset(&state, 0xFF, sizeof state);
    input.GetState(state);
    return state;
  }

  platform::headless::Backend backend;
  TVantorInput input{nullptr};
};

TEST(InputKeysTest, ScanCodesFollowTheKeyboardLayout) {
  EXPECT_EQ(ScanCode(ikEscape), 0x01);
  EXPECT_EQ(ScanCode(ik0), 0x0B);
  EXPECT_EQ(ScanCode(ikZ), 0x2C);
  EXPECT_EQ(ScanCode(ikX), 0x2D);
  EXPECT_EQ(ScanCode(ikC), 0x2E);
  EXPECT_EQ(ScanCode(ikV), 0x2F);
  EXPECT_EQ(ScanCode(ikDECIMAL), 0x53);
  EXPECT_EQ(ScanCode(ikF11), 0x57);
  EXPECT_EQ(ScanCode(ikNumPadEquals), 0x8D);
  EXPECT_EQ(ScanCode(ikRControl), 0x9D);
  EXPECT_EQ(ScanCode(ikUp), 0xC8);
  EXPECT_EQ(ScanCode(ikLeft), 0xCB);
  EXPECT_EQ(ScanCode(ikRight), 0xCD);
  EXPECT_EQ(ScanCode(ikDown), 0xD0);
  EXPECT_EQ(ScanCode(ikSleep), 0xDF);
  EXPECT_EQ(kInputKeyCount, 123);
  // Codes rise strictly in enumerator order: no key shares a code.
  for (int k = 1; k < kInputKeyCount; ++k)
    EXPECT_LT(ScanCode(static_cast<TInputKeys>(k - 1)), ScanCode(static_cast<TInputKeys>(k))) << k;
  EXPECT_EQ(ScanCode(static_cast<TInputKeys>(200)), 0);
}

TEST(InputStateTest, FieldsArePackedLowestBitsFirst) {
  TVantorInputState state{};
  state.Up = 1;
  state.Right = 2;
  state.Button1 = 2;
  state.Button4 = 1;
  uint8_t bytes[8];
  std::memcpy(bytes, &state, 8);
  EXPECT_EQ(bytes[0], 0x81);
  EXPECT_EQ(bytes[1], 0x42);
}

TEST_F(InputTest, DefaultsAreCursorKeysAndZXCV) {
  EXPECT_EQ(input.KeyUp, ikUp);
  EXPECT_EQ(input.KeyDown, ikDown);
  EXPECT_EQ(input.KeyLeft, ikLeft);
  EXPECT_EQ(input.KeyRight, ikRight);
  EXPECT_EQ(input.KeyButton1, ikZ);
  EXPECT_EQ(input.KeyButton2, ikX);
  EXPECT_EQ(input.KeyButton3, ikC);
  EXPECT_EQ(input.KeyButton4, ikV);
  EXPECT_FALSE(input.Initialized());
}

TEST_F(InputTest, GetStateBeforeInitThrows) {
  TVantorInputState state{};
  try {
    input.GetState(state);
    FAIL() << "no exception";
  } catch (const VantorSystem::EVnInput& e) {
    EXPECT_EQ(Utf8(e.Message()), "TVantorInput エラー\n\nまだ初期化されてません。");
  }
}

TEST_F(InputTest, HeldKeyGoesOneTwoTwoThenZeroThenOneAgain) {
  input.Init();
  EXPECT_TRUE(input.Initialized());
  EXPECT_FALSE(input.HasJoystick());
  EXPECT_EQ(backend.input.Version(), 0x0700u);
  EXPECT_EQ(backend.input.CooperationFlags(), 10u);

  Hold(ikZ);
  EXPECT_EQ(Poll().Button1, 1);
  EXPECT_EQ(Poll().Button1, 2);
  EXPECT_EQ(Poll().Button1, 2);
  Hold(ikZ, false);
  EXPECT_EQ(Poll().Button1, 0);
  Hold(ikZ);
  EXPECT_EQ(Poll().Button1, 1);
}

TEST_F(InputTest, EachKeyReachesItsOwnFieldAndTheTailStaysZero) {
  input.Init();
  Hold(ikUp);
  Hold(ikRight);
  Hold(ikX);
  Hold(ikV);
  Hold(ikSpace);  // not one of the eight
  TVantorInputState state = Poll();
  EXPECT_EQ(CodesOf(state), (Codes{1, 0, 0, 1, 0, 1, 0, 1}));
  uint8_t bytes[8];
  std::memcpy(bytes, &state, 8);
  for (int i = 2; i < 8; ++i) EXPECT_EQ(bytes[i], 0) << i;

  backend.input.ReleaseAllKeys();
  Hold(ikDown);
  Hold(ikLeft);
  Hold(ikC);
  EXPECT_EQ(CodesOf(Poll()), (Codes{0, 1, 1, 0, 0, 0, 1, 0}));
}

TEST_F(InputTest, ChangedKeyTakesEffectAtTheNextPoll) {
  input.Init();
  Hold(ikZ);
  Hold(ikA);
  EXPECT_EQ(Poll().Button1, 1);
  input.KeyButton1 = ikA;
  Hold(ikZ, false);
  // ikA was not the button at the previous poll, but the field was pressed.
  EXPECT_EQ(Poll().Button1, 2);
  Hold(ikA, false);
  Hold(ikZ);
  EXPECT_EQ(Poll().Button1, 0);
}

TEST_F(InputTest, JoystickCountsBeyondHalfWayOnly) {
  backend.input.SetJoystickCount(1);
  input.Init();
  ASSERT_TRUE(input.HasJoystick());

  backend.input.SetStick(0, -50);
  EXPECT_EQ(Poll().Up, 0);
  backend.input.SetStick(0, -51);
  EXPECT_EQ(Poll().Up, 1);
  backend.input.SetStick(50, 50);
  EXPECT_EQ(CodesOf(Poll()), (Codes{}));
  backend.input.SetStick(51, 51);
  EXPECT_EQ(CodesOf(Poll()), (Codes{0, 1, 0, 1, 0, 0, 0, 0}));
  backend.input.SetStick(-100, 100);
  EXPECT_EQ(CodesOf(Poll()), (Codes{0, 2, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(backend.input.JoystickPolls(), 5);
}

TEST_F(InputTest, JoystickButtonsAreTheFirstFourButtons) {
  backend.input.SetJoystickCount(1);
  input.Init();
  backend.input.SetButton(0, true);
  backend.input.SetButton(3, true);
  backend.input.SetButton(4, true);  // a fifth button counts for nothing
  EXPECT_EQ(CodesOf(Poll()), (Codes{0, 0, 0, 0, 1, 0, 0, 1}));
  backend.input.SetButton(0, false);
  backend.input.SetButton(1, true);
  EXPECT_EQ(CodesOf(Poll()), (Codes{0, 0, 0, 0, 0, 1, 0, 2}));
}

TEST_F(InputTest, KeyboardAndJoystickCombine) {
  backend.input.SetJoystickCount(1);
  input.Init();
  // Both sources at once are one press, not two.
  Hold(ikUp);
  backend.input.SetStick(0, -100);
  EXPECT_EQ(Poll().Up, 1);
  // Handing over from one source to the other keeps the field held.
  Hold(ikUp, false);
  EXPECT_EQ(Poll().Up, 2);
  backend.input.SetStick(0, 0);
  Hold(ikUp);
  EXPECT_EQ(Poll().Up, 2);
  // A joystick at rest never clears a key.
  Hold(ikC);
  EXPECT_EQ(Poll().Button3, 1);
}

TEST_F(InputTest, FirstJoystickThatOpensIsUsed) {
  backend.input.SetJoystickCount(2);
  backend.input.faults.failingJoystickOpens = 1;
  input.Init();
  EXPECT_TRUE(input.HasJoystick());

  backend.input.faults.failingJoystickOpens = 2;
  input.Init();
  EXPECT_FALSE(input.HasJoystick());
  EXPECT_TRUE(input.Initialized());
}

TEST_F(InputTest, FailedKeyboardReadCountsEveryKeyAsReleased) {
  input.Init();
  Hold(ikZ);
  Hold(ikUp);
  EXPECT_EQ(Poll().Button1, 1);
  // The failed read leaves junk in the buffer; none of it may count.
  input.KeyButton2 = ikSpace;
  backend.input.faults.keyboardRead = ReadResult::Failed;
  EXPECT_EQ(CodesOf(Poll()), (Codes{}));
  EXPECT_EQ(Poll().Button1, 1);

  const int acquired = backend.input.KeyboardAcquisitions();
  backend.input.faults.keyboardRead = ReadResult::InputLost;
  EXPECT_EQ(CodesOf(Poll()), (Codes{}));
  EXPECT_EQ(backend.input.KeyboardAcquisitions(), acquired + 1);
  // Acquired again, the next poll reads the keys.
  EXPECT_EQ(CodesOf(Poll()), (Codes{1, 0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(InputTest, FailedJoystickReadAddsNothingAndLostInputReacquires) {
  backend.input.SetJoystickCount(1);
  input.Init();
  backend.input.SetStick(-100, -100);
  backend.input.SetButton(2, true);
  Hold(ikX);
  backend.input.faults.joystickRead = ReadResult::Failed;
  EXPECT_EQ(CodesOf(Poll()), (Codes{0, 0, 0, 0, 0, 1, 0, 0}));

  const int acquired = backend.input.JoystickAcquisitions();
  backend.input.faults.joystickRead = ReadResult::InputLost;
  EXPECT_EQ(CodesOf(Poll()), (Codes{0, 0, 0, 0, 0, 2, 0, 0}));
  EXPECT_EQ(backend.input.JoystickAcquisitions(), acquired + 1);
  EXPECT_EQ(CodesOf(Poll()), (Codes{1, 0, 1, 0, 0, 2, 1, 0}));
}

TEST_F(InputTest, PreviousStateSurvivesReinitialisation) {
  input.Init();
  Hold(ikZ);
  EXPECT_EQ(Poll().Button1, 1);
  input.CleanUp();
  EXPECT_FALSE(input.Initialized());
  input.Init();
  EXPECT_EQ(Poll().Button1, 2);
}

TEST_F(InputTest, WindowComesFromTheOwnerOrTheInitArgument) {
  class Form : public TComponent {
   public:
    explicit Form(platform::Window* window) : TComponent(nullptr), window_(window) {}
    platform::Window* WindowHandle() const override { return window_; }

   private:
    platform::Window* window_;
  };
  platform::Window& main = backend.app.CreateMainWindow("main", 640, 480);
  platform::headless::HeadlessWindow other("other", 10, 10);
  Form form(&main);
  TVantorInput owned(&form);
  owned.Init();
  EXPECT_EQ(backend.input.CooperationWindow(), &main);
  owned.Init(&other);
  EXPECT_EQ(backend.input.CooperationWindow(), &other);
  // A null argument keeps the window given before.
  owned.Init();
  EXPECT_EQ(backend.input.CooperationWindow(), &other);
}

// Each set-up step that fails throws its own text and leaves the component
// released and not initialised.
TEST_F(InputTest, EverySetUpFailureHasItsTextAndCleansUp) {
  using platform::headless::InputFaults;
  struct Case {
    bool InputFaults::*fault;
    const char* text;
  };
  const Case cases[] = {
      {&InputFaults::createObject, "COMオブジェクトの作成に失敗しました。"},
      {&InputFaults::initialize, "DirectInputの初期化に失敗しました。"},
      {&InputFaults::createKeyboard, "キーボードデバイスの作成に失敗しました。"},
      {&InputFaults::keyboardFormat, "キーボードデバイスの設定に失敗しました。"},
      {&InputFaults::keyboardCooperation, "キーボードの協調レベルの設定に失敗しました。"},
      {&InputFaults::keyboardAcquire, "キーボードへのアクセス権を取得に失敗しました。"},
      {&InputFaults::enumerate, "ジョイスティックの列挙に失敗しました"},
      {&InputFaults::joystickFormat, "ジョイスティックデバイスの設定に失敗しました。"},
      {&InputFaults::joystickCooperation, "ジョイスティックの協調レベルの設定に失敗しました。"},
      {&InputFaults::joystickAcquire, "ジョイスティックへのアクセス権を取得に失敗しました。"},
  };
  backend.input.SetJoystickCount(1);
  for (const Case& c : cases) {
    input.Init();
    ASSERT_TRUE(input.Initialized());
    backend.input.faults = {};
    backend.input.faults.*c.fault = true;
    try {
      input.Init();
      ADD_FAILURE() << "no exception for " << c.text;
    } catch (const VantorSystem::EVnInput& e) {
      EXPECT_EQ(Utf8(e.Message()), std::string("TVantorInput エラー\n\n") + c.text);
    }
    EXPECT_FALSE(input.Initialized()) << c.text;
    EXPECT_FALSE(input.HasJoystick()) << c.text;
    TVantorInputState state{};
    EXPECT_THROW(input.GetState(state), VantorSystem::EVnInput) << c.text;
    backend.input.faults = {};
  }
}

TEST_F(InputTest, FailingInitTracesItsStepsThenTheCleanUpThenTheMessage) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("solvara-input-trace-" + std::to_string(getpid()) + ".log")).string();
  VantorDebugSystem::TVantorDebug::SetDebug(path.c_str(), true, false);
  backend.input.faults.keyboardAcquire = true;
  EXPECT_THROW(input.Init(), VantorSystem::EVnInput);
  VantorDebugSystem::TVantorDebug::SetDebug(nullptr, false, false);

  std::ifstream in(path, std::ios::binary);
  std::stringstream log;
  log << in.rdbuf();
  const std::string expected =
      "TVantorInput::初期化開始\n"
      "TVantorInput::クリーンアップ\n"
      "TVantorInput::COMオブジェクトの生成に成功\n"
      "TVantorInput::DirectInputの初期化に成功\n"
      "TVantorInput::キーボードを検出\n"
      "TVantorInput::クリーンアップ\n"
      "TVantorInput エラー\n\nキーボードへのアクセス権を取得に失敗しました。\n\n\n\n";
  const std::string text = log.str();
  EXPECT_NE(text.find(expected), std::string::npos) << text;
  std::filesystem::remove(path);
}

TEST(InputWithoutServiceTest, InitWithoutAnInputServiceFails) {
  TVantorInput input(nullptr);
  EXPECT_THROW(input.Init(), VantorSystem::EVnInput);
  EXPECT_FALSE(input.Initialized());
}

TEST(InputRegisterTest, RegistersOnTheVantorPage) {
  Register();
  EXPECT_TRUE(platform::IsComponentRegistered("Vantor", "TVantorInput"));
}

}  // namespace
