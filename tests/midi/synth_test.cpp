#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "midi_fixture.h"
#include "platform/sdl/midi_synth.h"

namespace miditest {
namespace {

using platform::headless::HeadlessMidi;
using platform::sdl::FluidSynthesizer;

constexpr int kFramesPer10Ms = FluidSynthesizer::kSampleRate / 100;

struct Loudness {
  double sumSquares = 0;
  size_t samples = 0;
  float peak = 0;
  void Add(const std::vector<float>& block) {
    for (float s : block) {
      sumSquares += static_cast<double>(s) * s;
      peak = std::max(peak, std::fabs(s));
    }
    samples += block.size();
  }
  void Add(const std::vector<int16_t>& block) {
    std::vector<float> scaled;
    for (int16_t s : block) scaled.push_back(static_cast<float>(s) / 32768.0f);
    Add(scaled);
  }
  double Rms() const { return samples ? std::sqrt(sumSquares / static_cast<double>(samples)) : 0; }
};

// A short generated song: a piano chord and a melody on channel 0, a drum
// on channel 10.
Bytes GeneratedSong() {
  TrackBuilder tempo;
  tempo.Tempo(0, 500000).End();
  TrackBuilder piano;
  piano.Event(0, {0xC0, 0}).Event(0, {0x90, 60, 100}).Event(0, {64, 100}).Event(0, {67, 100});
  piano.Event(240, {72, 110}).Event(240, {0x80, 60, 0}).Event(0, {64, 0}).Event(0, {67, 0});
  piano.Event(0, {72, 0}).Event(0, {0x90, 74, 110}).Event(240, {0x80, 74, 0}).End();
  TrackBuilder drums;
  drums.Event(0, {0x99, 36, 120}).Event(480, {0x89, 36, 0}).End();
  return Smf(1, 480, {tempo, piano, drums});
}

TEST(FluidSynthSink, PlaysAGeneratedSongThroughTheSequencer) {
  if (platform::sdl::FindSoundFont().empty()) GTEST_SKIP() << "no SoundFont is installed";
  platform::headless::Backend backend;
  backend.midi.Use(HeadlessMidi::Sink::Synthesizer);
  VantorMidiSystem::TVantorMidi midi(nullptr);

  const auto start = std::chrono::steady_clock::now();
  midi.Init();
  const auto loadMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start).count();
  std::printf("SoundFont %s opened in %lld ms\n", platform::sdl::FindSoundFont().c_str(),
              static_cast<long long>(loadMs));
  ::testing::Test::RecordProperty("SoundFontOpenMs", static_cast<int>(loadMs));

  midi.CreateData("song", WriteFile("generated.mid", GeneratedSong()));
  // The music is heard through the effects device.
  std::unique_ptr<platform::SoundDevice> effects = backend.sound.CreateDevice();
  ASSERT_TRUE(effects && effects->Initialize());
  std::vector<int16_t> block(kFramesPer10Ms * 2);

  Loudness before;
  for (int i = 0; i < 10; ++i) {
    backend.sound.RenderMix(block.data(), kFramesPer10Ms);
    before.Add(block);
  }
  EXPECT_LT(before.peak, 1e-4f);

  midi.Play("song", false);
  Loudness during;
  for (int pass = 0; pass < 120; ++pass) {
    backend.sound.RenderMix(block.data(), kFramesPer10Ms);
    backend.clock.Advance(10);
    during.Add(block);
  }
  EXPECT_GT(during.Rms(), 0.005);
  EXPECT_GT(during.peak, 0.05f);
  EXPECT_LE(during.peak, 1.0f);
  std::printf("generated song: rms %.4f, peak %.4f\n", during.Rms(), during.peak);
}

// The energy of a plucked note's tail (after its release) under a GS reverb macro.
double ReverbTail(const std::string& soundFont, uint8_t macro) {
  auto synth = FluidSynthesizer::Create(soundFont);
  EXPECT_NE(synth, nullptr);
  if (!synth) return 0;
  const uint8_t gsReverb[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x01, 0x30,
                              macro, static_cast<uint8_t>(15 - macro), 0xF7};
  synth->LongMessage(gsReverb, sizeof gsReverb);
  synth->ShortMessage(0xB0 | 91 << 8 | 127 << 16);  // full reverb send
  synth->ShortMessage(0xC0 | 115 << 8);              // woodblock: short and dry
  std::vector<float> block(kFramesPer10Ms * 2);
  synth->ShortMessage(0x90 | 72 << 8 | 120 << 16);
  for (int i = 0; i < 5; ++i) synth->Render(block.data(), kFramesPer10Ms);
  synth->ShortMessage(0x80 | 72 << 8);
  for (int i = 0; i < 40; ++i) synth->Render(block.data(), kFramesPer10Ms);
  Loudness tail;
  for (int i = 0; i < 100; ++i) {
    synth->Render(block.data(), kFramesPer10Ms);
    tail.Add(block);
  }
  return tail.Rms();
}

TEST(FluidSynthSink, GsReverbMacrosChangeWhatIsHeard) {
  const std::string soundFont = platform::sdl::FindSoundFont();
  if (soundFont.empty()) GTEST_SKIP() << "no SoundFont is installed";
  const double room = ReverbTail(soundFont, 0);  // Room 1
  const double hall = ReverbTail(soundFont, 4);  // Hall 2
  EXPECT_GT(hall, room * 1.5) << "room " << room << " hall " << hall;
}

TEST(FluidSynthSink, GmSystemOnSilencesAndRestoresThePowerOnState) {
  const std::string soundFont = platform::sdl::FindSoundFont();
  if (soundFont.empty()) GTEST_SKIP() << "no SoundFont is installed";
  auto synth = FluidSynthesizer::Create(soundFont);
  ASSERT_NE(synth, nullptr);
  std::vector<float> block(kFramesPer10Ms * 2);
  synth->ShortMessage(0xB0 | 7 << 8);  // channel volume 0: silent
  synth->ShortMessage(0x90 | 60 << 8 | 100 << 16);
  Loudness muted;
  for (int i = 0; i < 20; ++i) {
    synth->Render(block.data(), kFramesPer10Ms);
    muted.Add(block);
  }
  EXPECT_LT(muted.peak, 1e-3f);

  const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  synth->LongMessage(gmOn, sizeof gmOn);
  synth->ShortMessage(0x90 | 60 << 8 | 100 << 16);
  Loudness restored;
  for (int i = 0; i < 20; ++i) {
    synth->Render(block.data(), kFramesPer10Ms);
    restored.Add(block);
  }
  EXPECT_GT(restored.peak, 0.01f);
}

}  // namespace
}  // namespace miditest
