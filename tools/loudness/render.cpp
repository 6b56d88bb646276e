#include "render.h"

#include <exception>
#include <filesystem>

#include "platform/encoding.h"
#include "platform/headless/backend.h"
#include "platform/headless/mix_recorder.h"
#include "platform/sdl/sound_mixer.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace loudness {
namespace {

constexpr uint32_t kTailMs = 2000;
constexpr uint32_t kPassMs = 10;
// A song that has not ended after this long is not one the game plays once.
constexpr uint32_t kLongestSongMs = 20 * 60 * 1000;
constexpr uint32_t kBlockFrames = platform::sdl::kMixFormat.samplesPerSec / 100;

void Append(Audio& audio, const int16_t* stereo, uint32_t frames) {
  audio.samples.insert(audio.samples.end(), stereo, stereo + size_t{frames} * 2);
}

std::string Absolute(const std::string& path) { return std::filesystem::absolute(path).string(); }

}  // namespace

bool RenderSong(const std::string& midiFile, const std::string& soundFont, Audio& audio, std::string& error) {
  audio = Audio{};
  try {
    platform::headless::Backend backend;
    backend.midi.Use(platform::headless::HeadlessMidi::Sink::Synthesizer, soundFont);
    // The device the music is heard through, as in the game.
    VantorSoundSystem::TVantorSound effects(nullptr);
    effects.Init(nullptr);
    VantorMidiSystem::TVantorMidi midi(nullptr);
    midi.Init();
    midi.CreateData("song", Absolute(midiFile));
    bool ended = false;
    midi.OnMidiEnd = [&](TComponent*) { ended = true; };
    {
      platform::headless::MixRecorder recorder(backend.clock, backend.sound,
                                               [&](const int16_t* stereo, uint32_t frames) { Append(audio, stereo, frames); });
      midi.Play("song", false);
      for (uint32_t played = 0; !ended; played += kPassMs) {
        if (played > kLongestSongMs) {
          error = "the song does not end";
          return false;
        }
        backend.clock.Advance(kPassMs);
        backend.app.Step();
      }
      backend.clock.Advance(kTailMs);
    }
    midi.CleanUp();
  } catch (const std::exception& e) {
    error = platform::Cp932ToUtf8(e.what());
    return false;
  }
  return true;
}

bool RenderEffect(const std::string& waveFile, Audio& audio, std::string& error) {
  audio = Audio{};
  try {
    platform::headless::Backend backend;
    VantorSoundSystem::TVantorSound sound(nullptr);
    sound.Init(nullptr);
    sound.CreateBuffer("effect", Absolute(waveFile), false);
    sound.SetVolume("effect", 0);
    sound.Play("effect", false);
    std::vector<int16_t> block(size_t{kBlockFrames} * 2);
    while (sound.IsPlaying("effect")) {
      backend.sound.RenderMix(block.data(), kBlockFrames);
      Append(audio, block.data(), kBlockFrames);
    }
  } catch (const std::exception& e) {
    error = platform::Cp932ToUtf8(e.what());
    return false;
  }
  return true;
}

}  // namespace loudness
