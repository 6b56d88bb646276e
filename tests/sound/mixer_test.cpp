// What the mixer makes of volume, pan, frequency and the output format,
// read from the captured output.
#include <cmath>

#include "platform/sdl/sound_limiter.h"
#include "tests/sound/sound_fixture.h"

using namespace sound_test;
using VantorSoundSystem::sb16bit;
using VantorSoundSystem::sb8bit;

namespace {

class MixerTest : public SoundTest {
 protected:
  void Load(const std::string& name, uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples) {
    sound->CreateBuffer(name, Write(name + ".wav", Wave(channels, rate, 16, Pcm16(samples))), false);
  }
  std::vector<int16_t> PlayAndCapture(const std::string& name, uint32_t frames) {
    backend.sound.ClearCaptured();
    sound->Play(name, false);
    backend.sound.Advance(frames);
    return Captured16();
  }
  static int16_t Scaled(int16_t sample, int32_t hundredths) {
    return static_cast<int16_t>(std::lrint(sample * std::pow(10.0, hundredths / 2000.0)));
  }
};

TEST_F(MixerTest, VolumeAttenuatesBothChannels) {
  InitOutput(8000, sb16bit, true);
  Load("v", 1, 8000, {16000, -16000});
  sound->SetVolume("v", -600);
  std::vector<int16_t> out = PlayAndCapture("v", 3);
  int16_t loud = Scaled(16000, -600);
  ASSERT_EQ(out.size(), 6u);
  EXPECT_NEAR(out[0], loud, 1);
  EXPECT_NEAR(out[1], loud, 1);
  EXPECT_NEAR(out[2], -loud, 1);
  EXPECT_NEAR(out[3], -loud, 1);
  EXPECT_EQ(out[4], 0);
  // -10000 is silence.
  Load("s", 1, 8000, {16000});
  sound->SetVolume("s", -10000);
  EXPECT_EQ(PlayAndCapture("s", 1), (std::vector<int16_t>{0, 0}));
}

TEST_F(MixerTest, PanAttenuatesTheOtherSideOnly) {
  InitOutput(8000, sb16bit, true);
  Load("p", 2, 8000, {10000, 20000});
  const std::vector<std::pair<int32_t, std::vector<int16_t>>> cases = {
      {0, {10000, 20000}},
      {-10000, {10000, 0}},
      {10000, {0, 20000}},
      {3000, {Scaled(10000, -3000), 20000}},
      {-1500, {10000, Scaled(20000, -1500)}},
  };
  for (const auto& [pan, expected] : cases) {
    SCOPED_TRACE(pan);
    sound->SetPan("p", pan);
    std::vector<int16_t> out = PlayAndCapture("p", 1);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_NEAR(out[0], expected[0], 1);
    EXPECT_NEAR(out[1], expected[1], 1);
    // Each play moves on to the next copy: give every copy the setting.
    for (int i = 0; i < 3; ++i) PlayAndCapture("p", 1);
  }
}

TEST_F(MixerTest, FrequencyChangesTheRateOfTheNextCopy) {
  InitOutput(22050, sb16bit, false);
  const std::vector<int16_t> ramp = {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000};
  Load("f", 1, 11025, ramp);
  // Played at its own rate into an output of twice that rate: every source
  // frame lasts two output frames, the second one interpolated.
  std::vector<int16_t> own = PlayAndCapture("f", 16);
  std::vector<int16_t> expected;
  for (int i = 0; i < 8; ++i) {
    expected.push_back(static_cast<int16_t>(i * 1000));
    expected.push_back(static_cast<int16_t>(i < 7 ? i * 1000 + 500 : 7000));
  }
  EXPECT_EQ(own, expected);

  sound->SetFrequency("f", 22050);
  std::vector<int16_t> fast = PlayAndCapture("f", 10);
  EXPECT_EQ(fast, (std::vector<int16_t>{0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 0, 0}));
  // The setting stays with its copy: 0 brings back the file's own rate.
  for (int i = 0; i < 3; ++i) PlayAndCapture("f", 16);
  sound->SetFrequency("f", 0);
  EXPECT_EQ(PlayAndCapture("f", 16), expected);
}

TEST_F(MixerTest, EightBitOutputAndChannelFolding) {
  InitOutput(8000, sb8bit, false);
  Load("st", 2, 8000, {16384, -16384, 16384, 16384});
  backend.sound.ClearCaptured();
  sound->Play("st", false);
  backend.sound.Advance(3);
  // A stereo frame folds to the mean of its channels; silence is 0x80.
  EXPECT_EQ(backend.sound.Captured(), (Bytes{0x80, 0xC0, 0x80}));
  EXPECT_EQ(backend.sound.OutputFormat().bitsPerSample, 8);
  EXPECT_EQ(backend.sound.OutputFormat().channels, 1);
}

TEST_F(MixerTest, OverloadIsTurnedDownBelowFullScaleAndTheGainComesBack) {
  InitOutput(8000, sb16bit, false);
  Load("c", 1, 8000, {30000, -30000, 10000});
  Load("q", 1, 8000, {10000});
  sound->Play("c", false);
  backend.sound.ClearCaptured();
  sound->Play("c", false);
  backend.sound.Advance(3);
  // Two copies sum to 60000: the peaks land on the ceiling, and the quieter
  // sample after them is turned down by the same gain, not cut.
  const double ceiling = platform::sdl::SoftLimiter::kCeiling * 32768.0;
  const double gain = ceiling / 60000.0;
  std::vector<int16_t> out = Captured16();
  ASSERT_EQ(out.size(), 3u);
  EXPECT_NEAR(out[0], ceiling, 1);
  EXPECT_NEAR(out[1], -ceiling, 1);
  EXPECT_NEAR(out[2], 20000 * gain, 20);
  // Two seconds later the limiter rests again.
  backend.sound.Advance(16000);
  backend.sound.ClearCaptured();
  sound->Play("q", false);
  backend.sound.Advance(1);
  EXPECT_EQ(Captured16(), (std::vector<int16_t>{10000}));
}

TEST_F(MixerTest, ExtraSourceIsMixedIn) {
  InitOutput(8000, sb16bit, true);
  int calls = 0;
  int id = backend.sound.AddMixSource([&](float* mix, int frames, int channels, int rate) {
    ++calls;
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 8000);
    for (int i = 0; i < frames * channels; ++i) mix[i] += 0.25f;
  });
  Load("m", 1, 8000, {1000});
  sound->Play("m", false);
  backend.sound.Advance(2);
  EXPECT_EQ(Captured16(), (std::vector<int16_t>{9192, 9192, 8192, 8192}));
  backend.sound.RemoveMixSource(id);
  backend.sound.ClearCaptured();
  backend.sound.Advance(1);
  EXPECT_EQ(Captured16(), (std::vector<int16_t>{0, 0}));
  EXPECT_EQ(calls, 1);
}

// The player's effects volume turns the sound effects down, not the music
// mixed in with them.
TEST_F(MixerTest, TheEffectsVolumeLeavesTheMusicAlone) {
  InitOutput(8000, sb16bit, false);
  const int id = backend.sound.AddMixSource([](float* mix, int frames, int, int) {
    for (int i = 0; i < frames; ++i) mix[i] += 0.25f;
  });
  Load("m", 1, 8000, {8000});
  for (const auto& [percent, effect] : {std::pair{100, 8000}, {50, 4000}, {0, 0}}) {
    backend.sound.SetEffectsVolume(percent);
    EXPECT_EQ(PlayAndCapture("m", 1), (std::vector<int16_t>{static_cast<int16_t>(8192 + effect)})) << percent;
  }
  backend.sound.RemoveMixSource(id);
}

}  // namespace
