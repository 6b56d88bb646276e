#include "platform/sdl/midi_device.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sdl/midi_synth.h"
#include "platform/startup.h"

namespace platform::sdl {
namespace {

// Events reach the synthesizer at the start of the next block it renders, so
// the blocks fed to another rate stay short next to the sequencer's 10 ms
// passes.
constexpr int kMixBlockFrames = 64;

// Adds the synthesizer's 44100 Hz output to a mix: straight at that rate, by
// linear interpolation at any other. Used on the rendering thread only.
class Resampler {
 public:
  explicit Resampler(FluidSynthesizer& synth) : synth_(synth) {}

  void MixInto(float* mix, int frames, int channels, int rate) {
    if (rate == FluidSynthesizer::kSampleRate && channels == 2 && pending_.empty()) {
      block_.resize(static_cast<size_t>(frames) * 2);
      synth_.Render(block_.data(), frames);
      for (size_t i = 0; i < block_.size(); ++i) mix[i] += block_[i];
      return;
    }
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
  std::vector<float> block_;
  double position_ = 0;
};

class SynthOut final : public MidiOut {
 public:
  SynthOut(std::unique_ptr<FluidSynthesizer> synth, SoundSystem& sound)
      : synth_(std::move(synth)), resampler_(*synth_), sound_(sound) {
    synth_->SetVolume(volume_);
    // The volume changes on the rendering thread, between two blocks.
    mixSource_ = sound_.AddMixSource([this](float* mix, int frames, int channels, int rate) {
      if (const int volume = sound_.MusicVolume(); volume != volume_) synth_->SetVolume(volume_ = volume);
      resampler_.MixInto(mix, frames, channels, rate);
    });
  }
  ~SynthOut() override { sound_.RemoveMixSource(mixSource_); }

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
  std::unique_ptr<FluidSynthesizer> synth_;
  Resampler resampler_;
  SoundSystem& sound_;
  int volume_ = sound_.MusicVolume();
  int mixSource_ = 0;
};

class BackgroundOut final : public MidiOut {
 public:
  explicit BackgroundOut(std::function<std::unique_ptr<MidiOut>()> open)
      : worker_([this, open = std::move(open)] {
          std::unique_ptr<MidiOut> out = open();
          std::lock_guard lock(mutex_);
          out_ = std::move(out);
          ready_.store(true, std::memory_order_release);
          opened_.notify_all();
        }) {}
  // A SoundFont cannot be stopped halfway: closing waits for it.
  ~BackgroundOut() override { worker_.join(); }

  bool Ready() override { return ready_.load(std::memory_order_acquire); }
  void WaitUntilReady() override {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return Ready(); });
  }
  // Once ready, out_ never changes again: the calls need no lock.
  void Reset() override {
    if (Ready() && out_) out_->Reset();
  }
  MidiResult ShortMessage(uint32_t word) override {
    return Ready() && out_ ? out_->ShortMessage(word) : MidiResult::Ok;
  }
  MidiResult LongMessage(const uint8_t* bytes, size_t length) override {
    return Ready() && out_ ? out_->LongMessage(bytes, length) : MidiResult::Ok;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  std::atomic<bool> ready_{false};
  std::unique_ptr<MidiOut> out_;
  std::thread worker_;  // last: it starts once the rest exists
};

// The output without a synthesizer: every message is taken and nothing sounds.
class SilentOut final : public MidiOut {
 public:
  void Reset() override {}
  MidiResult ShortMessage(uint32_t) override { return MidiResult::Ok; }
  MidiResult LongMessage(const uint8_t*, size_t) override { return MidiResult::Ok; }
};

}  // namespace

std::unique_ptr<MidiOut> OpenSynthesizer(const std::string& soundFont, SoundSystem& sound) {
  std::unique_ptr<FluidSynthesizer> synth = FluidSynthesizer::Create(soundFont);
  if (!synth) {
    std::fprintf(stderr, "MIDI: the SoundFont %s cannot be loaded; the music is silent\n", soundFont.c_str());
    return nullptr;
  }
  return std::make_unique<SynthOut>(std::move(synth), sound);
}

std::unique_ptr<MidiOut> OpenInBackground(std::function<std::unique_ptr<MidiOut>()> open) {
  return std::make_unique<BackgroundOut>(std::move(open));
}

std::unique_ptr<MidiOut> SdlMidiSystem::Open() {
  return OpenInBackground([&sound = sound_]() -> std::unique_ptr<MidiOut> {
    StageTimer stage("SoundFont");
    const std::string soundFont = FindSoundFont();
    if (soundFont.empty()) {
      std::fprintf(stderr, "MIDI: no General MIDI SoundFont is installed (timgm6mb-soundfont); the music is silent\n");
      return std::make_unique<SilentOut>();
    }
    std::unique_ptr<MidiOut> synth = OpenSynthesizer(soundFont, sound);
    if (!synth) return std::make_unique<SilentOut>();
    return synth;
  });
}

}  // namespace platform::sdl
