// Streaming: the worker refilling the two halves while the virtual play
// cursor moves, looping, the end of a sound, and ending the worker.
#include "tests/sound/sound_fixture.h"

using namespace sound_test;
using platform::SoundEvent;
using platform::sdl::SoundOperation;
using VantorSoundSystem::sb16bit;
using VantorSystem::EVnSound;
using VantorSystem::EVnSoundBuffer;

namespace {

// Sources and output run at 100 frames a second, so each half of the stream
// buffer (two seconds) is 200 frames.
constexpr uint32_t kRate = 100;
constexpr uint32_t kHalf = 200;

// The value of sample i of the test data, as it reaches the 16-bit output
// (below the mix's ceiling, so the limiter leaves it as it is).
int16_t Heard(uint16_t bits, uint32_t i) {
  uint8_t byte = static_cast<uint8_t>(20 + (i * 37) % 217);
  return bits == 8 ? static_cast<int16_t>((byte - 128) * 256) : static_cast<int16_t>((byte - 128) * 200);
}

Bytes Samples(uint16_t bits, uint32_t frames) {
  Bytes data;
  for (uint32_t i = 0; i < frames; ++i) {
    if (bits == 8) data.push_back(static_cast<uint8_t>(Heard(8, i) / 256 + 128));
    else Put16(data, static_cast<uint16_t>(Heard(16, i)));
  }
  return data;
}

class StreamTest : public SoundTest, public ::testing::WithParamInterface<uint16_t> {
 protected:
  void SetUp() override { InitOutput(kRate, sb16bit, false); }

  std::string LoadStream(const std::string& name, uint32_t frames, uint16_t bits) {
    std::string path = Write(name + ".wav", Wave(1, kRate, bits, Samples(bits, frames)));
    sound->CreateBuffer(name, path, true);
    return path;
  }

  // Moves the play cursor in steps, letting the worker answer each notification.
  void Run(uint32_t frames) {
    for (uint32_t done = 0; done < frames; done += 50) {
      backend.sound.Advance(50);
      ASSERT_TRUE(SoundEvent::WaitForIdleWaiters(1, 5000)) << "worker busy after frame " << done;
    }
  }

  void Start(const std::string& name, bool loop) {
    sound->Play(name, loop);
    ASSERT_TRUE(SoundEvent::WaitForIdleWaiters(1, 5000));
  }

  // Expects output frames [from, to) to be the data of `frames` frames from
  // its start, repeated when `loop`, silence after its end otherwise.
  void ExpectHeard(uint16_t bits, uint32_t frames, bool loop, uint32_t from, uint32_t to) {
    std::vector<int16_t> out = Captured16();
    ASSERT_GE(out.size(), to);
    for (uint32_t k = from; k < to; ++k) {
      int16_t expected = loop ? Heard(bits, k % frames) : k < frames ? Heard(bits, k) : 0;
      ASSERT_EQ(out[k], expected) << "frame " << k;
    }
  }
};

INSTANTIATE_TEST_SUITE_P(Bits, StreamTest, ::testing::Values(8, 16));

TEST_P(StreamTest, LoopingStreamRunsOnAcrossTheDataEndWithoutAGap) {
  const uint16_t bits = GetParam();
  // 300 frames: the second half holds the tail and then the head of the data.
  LoadStream("loop", 300, bits);
  Start("loop", true);
  Run(1300);
  ExpectHeard(bits, 300, true, 0, 1300);
  EXPECT_TRUE(sound->IsPlaying("loop"));
}

TEST_P(StreamTest, SoundLongerThanAHalfIsHeardToItsEndThenStops) {
  const uint16_t bits = GetParam();
  LoadStream("once", 300, bits);
  Start("once", false);
  Run(350);
  ExpectHeard(bits, 300, false, 0, 350);
  EXPECT_TRUE(sound->IsPlaying("once"));
  // The stop comes once the half after the last data has begun.
  backend.sound.Advance(100);
  EXPECT_TRUE(Eventually([&] { return !sound->IsPlaying("once"); }));
  ExpectHeard(bits, 300, false, 350, 450);
}

TEST_P(StreamTest, SoundOfExactlyTwoHalvesEndsInsteadOfStartingOver) {
  const uint16_t bits = GetParam();
  LoadStream("two", kHalf * 2, bits);
  Start("two", false);
  Run(kHalf * 2 - 50);
  backend.sound.Advance(100);
  EXPECT_TRUE(Eventually([&] { return !sound->IsPlaying("two"); }));
  ExpectHeard(bits, kHalf * 2, false, 0, kHalf * 2 + 50);
}

TEST_P(StreamTest, ShortSoundIsPaddedWithTheSilenceOfItsWidth) {
  const uint16_t bits = GetParam();
  LoadStream("short", 150, bits);
  // Looping first leaves data in both halves: the padding has to overwrite it.
  Start("short", true);
  Run(400);
  ExpectHeard(bits, 150, true, 0, 400);
  backend.sound.ClearCaptured();
  Start("short", false);
  Run(kHalf - 50);
  // The stop comes as the second half begins: the whole first half was heard.
  backend.sound.Advance(100);
  EXPECT_TRUE(Eventually([&] { return !sound->IsPlaying("short"); }));
  ExpectHeard(bits, 150, false, 0, kHalf + 50);
}

TEST_P(StreamTest, StopEndsTheWorker) {
  const uint16_t bits = GetParam();
  LoadStream("s", 300, bits);
  Start("s", true);
  EXPECT_EQ(SoundEvent::IdleWaiters(), 1);
  // Playing again replaces the worker and starts from the beginning.
  Run(100);
  backend.sound.ClearCaptured();
  Start("s", true);
  EXPECT_EQ(SoundEvent::IdleWaiters(), 1);
  Run(400);
  ExpectHeard(bits, 300, true, 0, 400);

  sound->Stop("s");
  EXPECT_EQ(SoundEvent::IdleWaiters(), 0);
  EXPECT_FALSE(sound->IsPlaying("s"));
  backend.sound.ClearCaptured();
  backend.sound.Advance(kHalf);
  EXPECT_EQ(Captured16(), std::vector<int16_t>(kHalf, 0));
}

TEST_F(StreamTest, BuffersGoWhileTheirStreamsPlay) {
  LoadStream("a", 300, 8);
  LoadStream("b", 300, 16);
  LoadStream("c", 300, 16);
  sound->Play("a", true);
  sound->Play("b", true);
  sound->Play("c", false);
  ASSERT_TRUE(SoundEvent::WaitForIdleWaiters(3, 5000));
  backend.sound.Advance(250);
  sound->DeleteBuffer("a");
  EXPECT_TRUE(SoundEvent::WaitForIdleWaiters(2, 5000));
  sound->Init(nullptr);
  EXPECT_EQ(SoundEvent::IdleWaiters(), 0);

  LoadStream("d", 300, 8);
  sound->Play("d", true);
  LoadStream("e", 300, 8);
  sound->Play("e", true);
  sound->DeleteAllBuffer();
  EXPECT_EQ(SoundEvent::IdleWaiters(), 0);

  LoadStream("f", 300, 8);
  sound->Play("f", true);
  sound.reset();
  EXPECT_EQ(SoundEvent::IdleWaiters(), 0);
}

TEST_F(StreamTest, SourceThatRunsDryCountsAsEnded) {
  const uint32_t header = 44;
  LoadStream("dry", 300, 8);
  // The file loses its tail after loading: the stream loops what is left.
  std::filesystem::resize_file(HostPath("dry.wav"), header + 50);
  Start("dry", true);
  Run(400);
  ExpectHeard(8, 50, true, 0, 400);
  sound->Stop("dry");

  // Nothing left at all: silence, and the stream ends instead of spinning.
  std::filesystem::resize_file(HostPath("dry.wav"), header);
  backend.sound.ClearCaptured();
  Start("dry", true);
  Run(kHalf - 50);
  backend.sound.Advance(100);
  EXPECT_TRUE(Eventually([&] { return !sound->IsPlaying("dry"); }));
  EXPECT_EQ(Captured16(), std::vector<int16_t>(kHalf + 50, 0));
}

TEST_F(StreamTest, SettingsReachTheStreamBuffer) {
  LoadStream("v", 300, 16);
  sound->SetVolume("v", -2000);
  Start("v", true);
  Run(100);
  std::vector<int16_t> out = Captured16();
  for (uint32_t k = 0; k < 100; ++k) EXPECT_NEAR(out[k], Heard(16, k) / 10.0, 1) << k;
  sound->Stop("v");
}

TEST_F(StreamTest, StreamFailures) {
  std::string path = Write("n.wav", Wave(1, kRate, 8, Samples(8, 300)));
  backend.sound.faults.Fail(SoundOperation::kNotifier);
  ExpectThrowText<EVnSoundBuffer>([&] { sound->CreateBuffer("n", path, true); },
                                  BufferText("通知オブジェクトの作成に失敗しました。\nファイル名：", path));
  backend.sound.faults.Clear();

  sound->CreateBuffer("n", path, true);
  backend.sound.faults.Fail(SoundOperation::kPlay);
  ExpectThrowText<EVnSound>([&] { sound->Play("n", true); },
                            SoundText("バッファの再生に失敗しました。失敗しました。\nバッファ名：", "n"));
  backend.sound.faults.Clear();
  // The worker started for the failed play is gone again.
  EXPECT_EQ(SoundEvent::IdleWaiters(), 0);
  EXPECT_FALSE(sound->IsPlaying("n"));
}

}  // namespace
