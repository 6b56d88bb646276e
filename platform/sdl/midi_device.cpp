#include "platform/sdl/midi_device.h"

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/midi_synth.h"
#include "platform/sound.h"

namespace platform::sdl {
namespace {

// Events reach the synthesizer at the start of the next rendered block, so
// the blocks stay short next to the sequencer's 10 ms passes (256 frames are
// 5.8 ms).
constexpr int kStreamFrames = 256;
constexpr int kMixBlockFrames = 64;

// Feeds the synthesizer's 44100 Hz output into a mix at another rate, by
// linear interpolation. Used on the effects device's audio thread only.
class Resampler {
 public:
  explicit Resampler(FluidSynthesizer& synth) : synth_(synth) {}

  void MixInto(float* mix, int frames, int channels, int rate) {
    const double step = static_cast<double>(FluidSynthesizer::kSampleRate) / rate;
    for (int i = 0; i < frames; ++i) {
      const size_t index = static_cast<size_t>(position_);
      while (pending_.size() < (index + 2) * 2) Refill();
      const float fraction = static_cast<float>(position_ - static_cast<double>(index));
      const float left = Lerp(pending_[index * 2], pending_[index * 2 + 2], fraction);
      const float right = Lerp(pending_[index * 2 + 1], pending_[index * 2 + 3], fraction);
      if (channels == 1) {
        mix[i] += (left + right) * 0.5f;
      } else {
        mix[i * channels] += left;
        mix[i * channels + 1] += right;
      }
      position_ += step;
    }
    Discard();
  }

 private:
  static float Lerp(float a, float b, float t) { return a + (b - a) * t; }

  void Refill() {
    const size_t used = pending_.size();
    pending_.resize(used + kMixBlockFrames * 2);
    synth_.Render(pending_.data() + used, kMixBlockFrames);
  }

  // Drops the frames the read position has passed.
  void Discard() {
    const size_t whole = static_cast<size_t>(position_);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole * 2));
    position_ -= static_cast<double>(whole);
  }

  FluidSynthesizer& synth_;
  std::vector<float> pending_;
  double position_ = 0;
};

class SynthOut final : public MidiOut {
 public:
  explicit SynthOut(std::unique_ptr<FluidSynthesizer> synth)
      : synth_(std::move(synth)), resampler_(*synth_) {
    if (OpenStream()) return;
    sound_ = Current().sound;
    if (sound_) {
      mixSource_ = sound_->AddMixSource([this](float* mix, int frames, int channels, int rate) {
        resampler_.MixInto(mix, frames, channels, rate);
      });
      return;
    }
    std::fprintf(stderr, "MIDI: no audio output for the synthesizer; music is not heard\n");
  }

  ~SynthOut() override {
    if (device_) {
      SDL_CloseAudioDevice(device_);
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (mixSource_) sound_->RemoveMixSource(mixSource_);
  }

  void Reset() override { synth_->NotesOff(); }
  MidiResult ShortMessage(uint32_t word) override {
    synth_->ShortMessage(word);
    return MidiResult::Ok;
  }
  MidiResult LongMessage(const uint8_t* bytes, size_t length) override {
    synth_->LongMessage(bytes, length);
    return MidiResult::Ok;
  }

 private:
  static void Callback(void* userdata, Uint8* stream, int bytes) {
    auto* synth = static_cast<FluidSynthesizer*>(userdata);
    synth->Render(reinterpret_cast<float*>(stream), bytes / static_cast<int>(2 * sizeof(float)));
  }

  bool OpenStream() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = FluidSynthesizer::kSampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kStreamFrames;
    want.callback = Callback;
    want.userdata = synth_.get();
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (!device_) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  std::unique_ptr<FluidSynthesizer> synth_;
  Resampler resampler_;
  SDL_AudioDeviceID device_ = 0;
  SoundSystem* sound_ = nullptr;
  int mixSource_ = 0;
};

}  // namespace

std::unique_ptr<MidiOut> SdlMidiSystem::Open() {
  const std::string soundFont = FindSoundFont();
  if (soundFont.empty()) {
    std::fprintf(stderr, "MIDI: no General MIDI SoundFont is installed\n");
    return nullptr;
  }
  std::unique_ptr<FluidSynthesizer> synth = FluidSynthesizer::Create(soundFont);
  if (!synth) {
    std::fprintf(stderr, "MIDI: the SoundFont %s cannot be loaded\n", soundFont.c_str());
    return nullptr;
  }
  return std::make_unique<SynthOut>(std::move(synth));
}

}  // namespace platform::sdl
