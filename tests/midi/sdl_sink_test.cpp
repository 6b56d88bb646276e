#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <future>
#include <vector>

#include "platform/headless/backend.h"
#include "platform/sdl/midi_device.h"
#include "platform/sdl/midi_synth.h"

namespace {

// The loudest sample of `frames` frames of the mix the real device would play.
int Loudest(platform::headless::Backend& backend, uint32_t frames) {
  std::vector<int16_t> mix(frames * 2);
  backend.sound.RenderMix(mix.data(), frames);
  int loudest = 0;
  for (int16_t sample : mix) loudest = std::max(loudest, std::abs(int{sample}));
  return loudest;
}

TEST(SdlMidiSink, TheMusicIsMixedIntoTheEffectsDevice) {
  if (platform::sdl::FindSoundFont().empty()) GTEST_SKIP() << "no SoundFont is installed";
  platform::headless::Backend backend;
  std::unique_ptr<platform::SoundDevice> effects = backend.sound.CreateDevice();
  ASSERT_TRUE(effects && effects->Initialize());

  platform::sdl::SdlMidiSystem system(backend.sound);
  std::unique_ptr<platform::MidiOut> out = system.Open();
  ASSERT_NE(out, nullptr);
  // The SoundFont loads in the background.
  out->WaitUntilReady();
  ASSERT_TRUE(out->Ready());
  const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  EXPECT_EQ(out->LongMessage(gmOn, sizeof gmOn), platform::MidiResult::Ok);
  EXPECT_EQ(out->ShortMessage(0x90 | 60 << 8 | 110 << 16), platform::MidiResult::Ok);
  EXPECT_GT(Loudest(backend, 44100 / 4), 1000);

  // Once closed the synthesizer leaves the mix.
  out.reset();
  EXPECT_EQ(Loudest(backend, 44100 / 10), 0);
}

// An output opened in the background (a synthesizer loading its SoundFont):
// until the opening returns it is not ready and plays nothing of what it is
// sent; then everything goes through; closing it waits for the opening.
TEST(SdlMidiSink, AnOutputOpenedInTheBackgroundPlaysOnceReady) {
  struct Counting final : platform::MidiOut {
    std::atomic<int>& sent;
    explicit Counting(std::atomic<int>& s) : sent(s) {}
    void Reset() override {}
    platform::MidiResult ShortMessage(uint32_t) override {
      ++sent;
      return platform::MidiResult::Ok;
    }
    platform::MidiResult LongMessage(const uint8_t*, size_t) override {
      ++sent;
      return platform::MidiResult::Ok;
    }
  };
  std::atomic<int> sent{0};
  std::promise<void> loaded;
  std::shared_future<void> done = loaded.get_future().share();
  std::unique_ptr<platform::MidiOut> out = platform::sdl::OpenInBackground([&]() -> std::unique_ptr<platform::MidiOut> {
    done.wait();
    return std::make_unique<Counting>(sent);
  });
  EXPECT_FALSE(out->Ready());
  EXPECT_EQ(out->ShortMessage(0x90 | 60 << 8 | 100 << 16), platform::MidiResult::Ok);
  loaded.set_value();
  out->WaitUntilReady();
  EXPECT_TRUE(out->Ready());
  const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  out->LongMessage(gmOn, sizeof gmOn);
  out->ShortMessage(0x90 | 60 << 8 | 100 << 16);
  EXPECT_EQ(sent, 2);
}

}  // namespace
