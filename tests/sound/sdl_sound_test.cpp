// The SDL sound device: real SDL audio (its dummy driver stands in for a sound
// card), and the silent device when no driver can be opened.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sdl/sound_device.h"
#include "tests/sound/sound_fixture.h"

using namespace sound_test;

namespace {

// Plays 0.1 s of sound on a fresh device and returns whether it finished,
// which only happens when something pulls the mixer in real time.
bool PlaysToTheEnd(platform::SoundSystem& system) {
  std::unique_ptr<platform::SoundDevice> device = system.CreateDevice();
  if (!device || !device->Initialize() || !device->SetCooperativeLevel(nullptr, platform::kCooperativePriority))
    return false;
  platform::BufferDescription primaryDescription;
  primaryDescription.flags = platform::kBufferPrimary | platform::kBufferVolumeControl;
  std::unique_ptr<platform::SoundBuffer> primary = device->CreateBuffer(primaryDescription);
  platform::WaveFormat format{platform::kWaveFormatPcm, 2, 22050, 88200, 4, 16, 0};
  if (!primary || !primary->SetFormat(format)) return false;

  platform::WaveFormat effect{platform::kWaveFormatPcm, 1, 8000, 16000, 2, 16, 0};
  platform::BufferDescription description;
  description.flags = platform::kBufferVolumeControl;
  description.bytes = 1600;
  description.format = &effect;
  std::unique_ptr<platform::SoundBuffer> buffer = device->CreateBuffer(description);
  if (!buffer || !buffer->Play(false)) return false;
  return Eventually([&] {
    uint32_t status = platform::kStatusPlaying;
    return buffer->GetStatus(&status) && !(status & platform::kStatusPlaying);
  });
}

TEST(SdlSoundDevice, PlaysOnAnAudioDriver) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::sdl::SdlSoundSystem system;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(PlaysToTheEnd(system));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  unsetenv("SDL_AUDIODRIVER");
}

TEST(SdlSoundDevice, WithoutAnyDeviceRunsSilentlyAndSaysSoOnce) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const bool saidBefore = platform::sdl::SilenceReported();
  platform::sdl::SdlSoundSystem system;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(PlaysToTheEnd(system));
  EXPECT_TRUE(PlaysToTheEnd(system));
  std::string said = ::testing::internal::GetCapturedStderr();
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_TRUE(platform::sdl::SilenceReported());
  // Said once per program: here, unless an earlier silent device said it.
  if (!saidBefore) {
    EXPECT_NE(said.find("no audio device"), std::string::npos) << said;
  }
  EXPECT_EQ(said.find("no audio device"), said.rfind("no audio device")) << said;
}

}  // namespace
