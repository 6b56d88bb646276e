#include "vantor/input/input.h"

#include <cstring>

#include "platform/app.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "vantor/system/frame.h"

namespace VantorInputSystem {

using VantorSystem::EVnInput;
using VantorSystem::RunMethod;
using VantorSystem::VnTrace;

namespace {

constexpr int kFieldCount = 8;
constexpr uint32_t kInputVersion = 0x0700;
constexpr uint32_t kCooperation = platform::kCooperateNonExclusive | platform::kCooperateBackground;
constexpr int32_t kAxisMinimum = -100;
constexpr int32_t kAxisMaximum = 100;
// A stick counts as pushed beyond half way; exactly half way does not.
constexpr int32_t kAxisThreshold = 50;

[[noreturn]] void CleanUpAndThrow(TVantorInput& input, const AnsiString& detail) {
  input.CleanUp();
  throw EVnInput(detail);
}

// Field i of the state occupies bits 2i and 2i+1 of the first two bytes.
uint16_t FieldsOf(const TVantorInputState& state) {
  uint8_t bytes[sizeof(TVantorInputState)];
  std::memcpy(bytes, &state, sizeof bytes);
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

void StoreFields(uint16_t fields, TVantorInputState& state) {
  const uint8_t bytes[sizeof(TVantorInputState)] = {static_cast<uint8_t>(fields & 0xFF),
                                                    static_cast<uint8_t>(fields >> 8)};
  std::memcpy(&state, bytes, sizeof bytes);
}

void Press(uint16_t& fields, int field) { fields |= static_cast<uint16_t>(kPressedNow << (2 * field)); }

}  // namespace

TVantorInput::TVantorInput(TComponent* owner) : TComponent(owner) {
  RunMethod("TVantorInput::TVantorInput", [&] { window_ = owner ? owner->WindowHandle() : nullptr; });
}

TVantorInput::~TVantorInput() {
  RunMethod("TVantorInput::~TVantorInput", [&] { CleanUp(); });
}

void TVantorInput::Init(platform::Window* window) {
  RunMethod("TVantorInput::Init", [&] {
    VnTrace(VN_TEXT("TVantorInput::初期化開始"));
    CleanUp();
    if (window) window_ = window;

    if (platform::InputSystem* service = platform::Current().input) input_ = service->CreateInputObject();
    if (!input_) CleanUpAndThrow(*this, VN_TEXT("COMオブジェクトの作成に失敗しました。"));
    VnTrace(VN_TEXT("TVantorInput::COMオブジェクトの生成に成功"));
    if (!input_->Initialize(kInputVersion)) CleanUpAndThrow(*this, VN_TEXT("DirectInputの初期化に失敗しました。"));
    VnTrace(VN_TEXT("TVantorInput::DirectInputの初期化に成功"));

    keyboard_ = input_->CreateKeyboard();
    if (!keyboard_) CleanUpAndThrow(*this, VN_TEXT("キーボードデバイスの作成に失敗しました。"));
    VnTrace(VN_TEXT("TVantorInput::キーボードを検出"));
    if (!keyboard_->SetDataFormat()) CleanUpAndThrow(*this, VN_TEXT("キーボードデバイスの設定に失敗しました。"));
    if (!keyboard_->SetCooperativeLevel(window_, kCooperation))
      CleanUpAndThrow(*this, VN_TEXT("キーボードの協調レベルの設定に失敗しました。"));
    if (!keyboard_->Acquire()) CleanUpAndThrow(*this, VN_TEXT("キーボードへのアクセス権を取得に失敗しました。"));

    if (!input_->EnumJoysticks(&TVantorInput::DIEnumDevicesProc, this))
      CleanUpAndThrow(*this, VN_TEXT("ジョイスティックの列挙に失敗しました"));
    if (joystick_) {
      if (!joystick_->SetDataFormat())
        CleanUpAndThrow(*this, VN_TEXT("ジョイスティックデバイスの設定に失敗しました。"));
      VnTrace(VN_TEXT("TVantorInput::ジョイパッドを検出"));
      if (!joystick_->SetCooperativeLevel(window_, kCooperation))
        CleanUpAndThrow(*this, VN_TEXT("ジョイスティックの協調レベルの設定に失敗しました。"));
      // No dead zone: the threshold in GetState does that work.
      joystick_->SetAxisRange(platform::JoystickAxis::X, kAxisMinimum, kAxisMaximum);
      joystick_->SetAxisRange(platform::JoystickAxis::Y, kAxisMinimum, kAxisMaximum);
      if (!joystick_->Acquire())
        CleanUpAndThrow(*this, VN_TEXT("ジョイスティックへのアクセス権を取得に失敗しました。"));
    }
    initialized_ = true;
  });
}

int TVantorInput::DIEnumDevicesProc(const platform::JoystickInstance* instance, void* component) {
  return RunMethod("TVantorInput::DIEnumDevicesProc", [&] {
    auto* self = static_cast<TVantorInput*>(component);
    if (!instance || !self || !self->input_) return 1;
    self->joystick_ = self->input_->CreateJoystick(*instance);
    return self->joystick_ ? 0 : 1;
  });
}

void TVantorInput::CleanUp() {
  RunMethod("TVantorInput::CleanUp", [&] {
    VnTrace(VN_TEXT("TVantorInput::クリーンアップ"));
    joystick_.reset();
    keyboard_.reset();
    input_.reset();
    initialized_ = false;
  });
}

void TVantorInput::GetState(TVantorInputState& state) {
  RunMethod("TVantorInput::GetState", [&] {
    if (!initialized_) throw EVnInput(VN_TEXT("まだ初期化されてません。"));
    uint16_t fields = 0;
    ReadKeyboard(fields);
    if (joystick_) ReadJoystick(fields);

    // A field held now and at the previous poll is "still pressed".
    const uint16_t previous = FieldsOf(previous_);
    for (int field = 0; field < kFieldCount; ++field) {
      const int shift = 2 * field;
      if ((fields >> shift & 3) && (previous >> shift & 3))
        fields = static_cast<uint16_t>((fields & ~(3 << shift)) | kStillPressed << shift);
    }
    StoreFields(fields, state);
    previous_ = state;
  });
}

void TVantorInput::ReadKeyboard(uint16_t& fields) {
  platform::KeyboardSnapshot snapshot;
  const platform::ReadResult result = keyboard_->Read(snapshot);
  if (result != platform::ReadResult::Ok) {
    if (result == platform::ReadResult::InputLost) keyboard_->Acquire();
    // Whatever a failed read left in the buffer is not a key state: every
    // key counts as released for this poll.
    return;
  }
  const TInputKeys keys[kFieldCount] = {KeyUp,      KeyDown,    KeyLeft,    KeyRight,
                                        KeyButton1, KeyButton2, KeyButton3, KeyButton4};
  for (int field = 0; field < kFieldCount; ++field)
    if (snapshot[ScanCode(keys[field])]) Press(fields, field);
}

void TVantorInput::ReadJoystick(uint16_t& fields) {
  platform::JoystickState pad{};
  joystick_->Poll();
  const platform::ReadResult result = joystick_->Read(pad);
  if (result != platform::ReadResult::Ok) {
    if (result == platform::ReadResult::InputLost) joystick_->Acquire();
    return;
  }
  // Either source sets a field; the joystick never clears one.
  const bool held[kFieldCount] = {pad.y < -kAxisThreshold, pad.y > kAxisThreshold,
                                  pad.x < -kAxisThreshold, pad.x > kAxisThreshold,
                                  pad.buttons[0] != 0,     pad.buttons[1] != 0,
                                  pad.buttons[2] != 0,     pad.buttons[3] != 0};
  for (int field = 0; field < kFieldCount; ++field)
    if (held[field]) Press(fields, field);
}

void Register() { platform::RegisterComponent("Vantor", "TVantorInput"); }

}  // namespace VantorInputSystem
