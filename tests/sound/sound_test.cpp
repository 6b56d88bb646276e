// TVantorSound: the four copies, per-copy settings, state and failure texts.
#include <sstream>

#include "platform/app.h"
#include "tests/sound/sound_fixture.h"
#include "vantor/system/debug.h"

using namespace sound_test;
using platform::sdl::SoundOperation;
using VantorSoundSystem::sb16bit;
using VantorSoundSystem::TVantorSound;
using VantorSystem::EVnSound;
using VantorSystem::EVnSoundBuffer;

namespace {

constexpr int16_t kLevel = 1000;

class SoundComponentTest : public SoundTest {
 protected:
  // A mono 16-bit effect of `frames` frames at a constant level, loaded as "fx".
  void LoadConstant(uint32_t frames, const std::string& name = "fx") {
    std::string path = Write(name + ".wav", Wave(1, 8000, 16, Pcm16(std::vector<int16_t>(frames, kLevel))));
    sound->CreateBuffer(name, path, false);
  }
  // Plays one frame of output and returns it.
  int16_t Step() {
    backend.sound.ClearCaptured();
    backend.sound.Advance(1);
    return Captured16().at(0);
  }
};

TEST_F(SoundComponentTest, CopiesRotateAndVolumeReachesOnlyTheNextCopy) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(4);
  // -2000 hundredths of a decibel is a gain of 0.1.
  sound->SetVolume("fx", -2000);
  std::vector<int16_t> firstFrames;
  for (int play = 0; play < 5; ++play) {
    sound->Play("fx", false);
    firstFrames.push_back(Step());
    backend.sound.Advance(3);
    EXPECT_FALSE(sound->IsPlaying("fx"));
  }
  // Copy 0 is quiet; copies 1, 2, 3 keep full volume; the fifth play is copy 0 again.
  EXPECT_EQ(firstFrames, (std::vector<int16_t>{100, kLevel, kLevel, kLevel, 100}));
}

TEST_F(SoundComponentTest, FourCopiesOverlapAndAFifthPlayRestartsTheFirst) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(8);
  std::vector<int16_t> out;
  for (int play = 0; play < 5; ++play) {
    sound->Play("fx", false);
    out.push_back(Step());
  }
  for (int frame = 5; frame < 12; ++frame) {
    EXPECT_TRUE(sound->IsPlaying("fx")) << "frame " << frame;
    out.push_back(Step());
  }
  EXPECT_FALSE(sound->IsPlaying("fx"));
  out.push_back(Step());
  // Copies 1-3 end at frames 8, 9 and 10; copy 0, restarted at frame 4, at 11.
  const std::vector<int> voices = {1, 2, 3, 4, 4, 4, 4, 4, 4, 3, 2, 1, 0};
  for (size_t i = 0; i < voices.size(); ++i) EXPECT_EQ(out[i], voices[i] * kLevel) << "frame " << i;
}

TEST_F(SoundComponentTest, StopSilencesEveryCopyAndKeepsThem) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(100);
  sound->Play("fx", true);
  sound->Play("fx", false);
  EXPECT_EQ(Step(), 2 * kLevel);
  sound->Stop("fx");
  EXPECT_FALSE(sound->IsPlaying("fx"));
  EXPECT_EQ(Step(), 0);
  sound->Play("fx", false);
  EXPECT_EQ(Step(), kLevel);
}

// Paused, a sound stands where it is, and one played meanwhile waits; resumed,
// both go on from there.
TEST_F(SoundComponentTest, APausedSoundGoesOnWhereItStood) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(3);
  sound->Play("fx", false);
  EXPECT_EQ(Step(), kLevel);
  sound->SetPaused(true);
  sound->Play("fx", false);
  for (int frame = 0; frame < 10; ++frame) EXPECT_EQ(Step(), 0);
  EXPECT_TRUE(sound->IsPlaying("fx"));
  sound->SetPaused(false);
  const std::vector<int16_t> resumed = {Step(), Step(), Step(), Step()};
  EXPECT_EQ(resumed, (std::vector<int16_t>{2 * kLevel, 2 * kLevel, kLevel, 0}));
}

// Over a pause, a menu's effect plays on a voice of its own while the
// paused one stands; the next one ends it.
TEST_F(SoundComponentTest, AnEffectOverAPausePlaysWhileThePausedOneStands) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(3);
  sound->Play("fx", false);
  EXPECT_EQ(Step(), kLevel);
  sound->SetPaused(true);
  sound->PlayOverPause("fx");
  const std::vector<int16_t> over = {Step(), Step(), Step(), Step()};
  EXPECT_EQ(over, (std::vector<int16_t>{kLevel, kLevel, kLevel, 0}));
  sound->PlayOverPause("fx");
  sound->PlayOverPause("fx");
  EXPECT_EQ(Step(), kLevel);
  sound->SetPaused(false);
  EXPECT_EQ(Step(), 2 * kLevel);  // the paused one goes on beside it
}

TEST_F(SoundComponentTest, OperationsBeforeInitAndOnUnknownNames) {
  const std::string notReady = SoundText("まだ初期化されてません。");
  ExpectThrowText<EVnSound>([&] { sound->SetPaused(true); }, notReady);
  ExpectThrowText<EVnSound>([&] { sound->Play("fx", false); }, notReady);
  ExpectThrowText<EVnSound>([&] { sound->CreateBuffer("fx", "sound\\fx.wav", false); }, notReady);
  ExpectThrowText<EVnSound>([&] { sound->IsPlaying("fx"); }, notReady);
  ExpectThrowText<EVnSound>([&] { sound->SetPan("fx", 0); }, notReady);
  // Deleting needs no device.
  EXPECT_NO_THROW(sound->DeleteBuffer("fx"));
  EXPECT_NO_THROW(sound->DeleteAllBuffer());

  InitOutput(8000, sb16bit, false);
  const std::string missing = SoundText("バッファが存在しません。\nバッファ名：", "nope");
  ExpectThrowText<EVnSound>([&] { sound->Play("nope", false); }, missing);
  ExpectThrowText<EVnSound>([&] { sound->Stop("nope"); }, missing);
  ExpectThrowText<EVnSound>([&] { sound->SetFrequency("nope", 0); }, missing);
  // Names are compared byte by byte.
  LoadConstant(4, "Fx");
  ExpectThrowText<EVnSound>([&] { sound->Play("fx", false); },
                            SoundText("バッファが存在しません。\nバッファ名：", "fx"));
}

TEST_F(SoundComponentTest, InitAndCleanUpDropEveryBuffer) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(4);
  sound->Init(nullptr);
  EXPECT_TRUE(sound->Initialized());
  ExpectThrowText<EVnSound>([&] { sound->Play("fx", false); },
                            SoundText("バッファが存在しません。\nバッファ名：", "fx"));
  LoadConstant(4);
  sound->CleanUp();
  EXPECT_FALSE(sound->Initialized());
  sound->Init(nullptr);
  ExpectThrowText<EVnSound>([&] { sound->Stop("fx"); }, SoundText("バッファが存在しません。\nバッファ名：", "fx"));
}

TEST_F(SoundComponentTest, EachFailingInitStepHasItsMessage) {
  const std::vector<std::pair<SoundOperation, const char*>> steps = {
      {SoundOperation::kCreateDevice, "COMオブジェクトの作成に失敗しました。"},
      {SoundOperation::kInitialize, "DirectSoundの初期化に失敗しました。"},
      {SoundOperation::kCooperativeLevel, "協調レベルの設定に失敗しました。"},
      {SoundOperation::kCreatePrimary, "プライマリバッファの作成に失敗しました。"},
      {SoundOperation::kSetFormat, "ウェブフォーマットの設定に失敗しました。"},
  };
  for (const auto& [operation, text] : steps) {
    SCOPED_TRACE(text);
    sound->Init(nullptr);
    LoadConstant(4);
    backend.sound.faults.Fail(operation);
    ExpectThrowText<EVnSound>([&] { sound->Init(nullptr); }, SoundText(text));
    EXPECT_FALSE(sound->Initialized());
    backend.sound.faults.Clear();
    sound->Init(nullptr);
    ExpectThrowText<EVnSound>([&] { sound->Play("fx", false); },
                              SoundText("バッファが存在しません。\nバッファ名：", "fx"));
  }
}

TEST_F(SoundComponentTest, PrimaryVolume) {
  // Out of the device's range: Init stops before marking itself initialised.
  sound->SetPrimaryVolume(5);
  ExpectThrowText<EVnSound>([&] { sound->Init(nullptr); }, SoundText("マスターボリュームの設定に失敗しました。"));
  EXPECT_FALSE(sound->Initialized());

  sound->SetPrimaryVolume(-2000);
  InitOutput(8000, sb16bit, false);
  LoadConstant(10);
  sound->Play("fx", false);
  EXPECT_EQ(Step(), kLevel / 10);
  sound->SetPrimaryVolume(0);
  EXPECT_EQ(Step(), kLevel);
  // 1 is "leave the device alone" for Init only; set on a running device it is refused.
  ExpectThrowText<EVnSound>([&] { sound->SetPrimaryVolume(1); },
                            SoundText("マスターボリュームの設定に失敗しました。"));
  EXPECT_EQ(sound->Volume(), 1);
}

TEST_F(SoundComponentTest, SettingsOutsideTheDeviceRangeFail) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(4);
  ExpectThrowText<EVnSound>([&] { sound->SetPan("fx", 10001); },
                            SoundText("パンの設定に失敗しました。\nバッファ名：", "fx"));
  ExpectThrowText<EVnSound>([&] { sound->SetVolume("fx", 1); },
                            SoundText("音量の設定に失敗しました。\nバッファ名：", "fx"));
  ExpectThrowText<EVnSound>([&] { sound->SetFrequency("fx", 99); },
                            SoundText("周波数の設定に失敗しました。\nバッファ名：", "fx"));
  EXPECT_NO_THROW(sound->SetPan("fx", -10000));
  EXPECT_NO_THROW(sound->SetVolume("fx", -10000));
  EXPECT_NO_THROW(sound->SetFrequency("fx", 0));
}

TEST_F(SoundComponentTest, DeviceRefusalsWhilePlayingAndLoading) {
  InitOutput(8000, sb16bit, false);
  LoadConstant(4);
  const std::vector<std::pair<SoundOperation, const char*>> play = {
      {SoundOperation::kStop, "バッファの再生停止に失敗しました。\nバッファ名："},
      {SoundOperation::kSetPosition, "バッファのシークに失敗しました。\nバッファ名："},
      {SoundOperation::kPlay, "バッファの再生に失敗しました。\nバッファ名："},
  };
  for (const auto& [operation, text] : play) {
    backend.sound.faults.Fail(operation);
    ExpectThrowText<EVnSound>([&] { sound->Play("fx", false); }, SoundText(text, "fx"));
    backend.sound.faults.Clear();
  }
  // None of the failed plays moved on to the next copy.
  sound->SetVolume("fx", -2000);
  sound->Play("fx", false);
  EXPECT_EQ(Step(), kLevel / 10);

  backend.sound.faults.Fail(SoundOperation::kStop);
  ExpectThrowText<EVnSound>([&] { sound->Stop("fx"); }, SoundText("バッファ停止に失敗しました。\nバッファ名：", "fx"));
  backend.sound.faults.Clear();

  std::string path = Write("load.wav", Wave(1, 8000, 16, Pcm16({1, 2, 3})));
  const std::vector<std::pair<SoundOperation, const char*>> load = {
      {SoundOperation::kCreateBuffer, "バッファの作成に失敗しました。\nファイル名："},
      {SoundOperation::kLock, "バッファのロックに失敗しました。\nファイル名："},
      {SoundOperation::kDuplicate, "バッファの複製に失敗しました。\nファイル名："},
  };
  for (const auto& [operation, text] : load) {
    backend.sound.faults.Fail(operation);
    ExpectThrowText<EVnSoundBuffer>([&] { sound->CreateBuffer("load", path, false); }, BufferText(text, path));
    backend.sound.faults.Clear();
    ExpectThrowText<EVnSound>([&] { sound->IsPlaying("load"); },
                              SoundText("バッファが存在しません。\nバッファ名：", "load"));
  }
}

TEST_F(SoundComponentTest, TraceLinesOfInitLoadAndDelete) {
  std::filesystem::path log = HostPath("trace.log");
  VantorDebugSystem::TVantorDebug::SetDebug(log.string().c_str(), true, false);
  InitOutput(8000, sb16bit, false);
  LoadConstant(4);
  sound->DeleteBuffer("fx");
  sound->DeleteAllBuffer();
  backend.sound.faults.Fail(SoundOperation::kInitialize);
  EXPECT_THROW(sound->Init(nullptr), EVnSound);
  VantorDebugSystem::TVantorDebug::SetDebug(nullptr, false, false);

  std::ifstream in(log, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string utf8 = text.str();
  const char* expected[] = {
      "TVantorSound::初期化開始\nTVantorSound::クリーンアップ\nTVantorSound::COMオブジェクトの生成に成功\n"
      "TVantorSound::DirectSoundの初期化に成功\nTVantorSound::プライマリバッファの作成に成功\n"
      "TVantorSound::ウェブフォーマットの設定に成功\n",
      "TVantorSound::バッファ作成  FileName:sound\\fx.wav  BufferName:fx\n",
      "TVantorSound::バッファ削除BufferName:fx\nTVantorSound::全バッファの削除\n",
      // A failing Init cleans up, then its frame traces the whole message.
      "TVantorSound::COMオブジェクトの生成に成功\nTVantorSound::クリーンアップ\n"
      "TVantorSound エラー\n\nDirectSoundの初期化に失敗しました。\n",
  };
  for (const char* lines : expected) EXPECT_NE(utf8.find(lines), std::string::npos) << lines;
}

TEST_F(SoundComponentTest, RegistersOnTheVantorPage) {
  VantorSoundSystem::Register();
  EXPECT_TRUE(platform::IsComponentRegistered("Vantor", "TVantorSound"));
}

}  // namespace
