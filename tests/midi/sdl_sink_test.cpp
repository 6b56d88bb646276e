#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/headless/backend.h"
#include "platform/sdl/midi_device.h"
#include "platform/sdl/midi_synth.h"

namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, hadOld_ = true;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (hadOld_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

TEST(SdlMidiSink, WithoutAStreamOfItsOwnTheMusicIsMixedIntoTheEffectsDevice) {
  if (platform::sdl::FindSoundFont().empty()) GTEST_SKIP() << "no SoundFont is installed";
  // No audio driver by that name: the synthesizer cannot open its own stream.
  ScopedEnv driver("SDL_AUDIODRIVER", "solvara-no-such-driver");
  platform::headless::Backend backend;
  std::unique_ptr<platform::SoundDevice> effects = backend.sound.CreateDevice();
  ASSERT_TRUE(effects && effects->Initialize());

  platform::sdl::SdlMidiSystem system;
  std::unique_ptr<platform::MidiOut> out = system.Open();
  ASSERT_NE(out, nullptr);
  const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  EXPECT_EQ(out->LongMessage(gmOn, sizeof gmOn), platform::MidiResult::Ok);
  EXPECT_EQ(out->ShortMessage(0x90 | 60 << 8 | 110 << 16), platform::MidiResult::Ok);

  const platform::WaveFormat format = backend.sound.OutputFormat();
  backend.sound.Advance(format.samplesPerSec / 4);
  const std::vector<uint8_t>& captured = backend.sound.Captured();
  ASSERT_FALSE(captured.empty());
  ASSERT_EQ(format.bitsPerSample, 8);  // the device's default format: unsigned 8-bit
  int loudest = 0;
  for (uint8_t sample : captured) loudest = std::max(loudest, std::abs(sample - 128));
  EXPECT_GT(loudest, 8);

  // Once closed the synthesizer leaves the mix.
  out.reset();
  backend.sound.ClearCaptured();
  backend.sound.Advance(format.samplesPerSec / 10);
  for (uint8_t sample : backend.sound.Captured()) ASSERT_EQ(sample, 128);
}

}  // namespace
