#include "platform/sdl/sound_device.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <thread>

#include "platform/processor.h"

namespace platform::sdl {
namespace {

std::atomic<bool> silenceReported{false};

// Frames per period: the largest power of two within 12.5 ms at the mix rate,
// so that the period plus SDL's own second period stays within about 25 ms.
constexpr uint16_t kPeriodFrames = 512;
static_assert(kPeriodFrames <= kMixFormat.samplesPerSec / 80 && kPeriodFrames * 2 > kMixFormat.samplesPerSec / 80);

// Pulls the mixer in real time when there is no device to do it.
class SilentOutput {
 public:
  explicit SilentOutput(std::shared_ptr<Mixer> mixer) : mixer_(std::move(mixer)), thread_([this] { Run(); }) {}
  ~SilentOutput() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void Run() {
    NameCurrentThread("silent sound");
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    uint64_t rendered = 0;
    std::vector<uint8_t> out;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return stop_; })) {
      auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
      uint64_t due = static_cast<uint64_t>(elapsed) * kMixFormat.samplesPerSec / 1000000;
      uint32_t frames = static_cast<uint32_t>(due - rendered);
      rendered = due;
      out.resize(size_t{frames} * kMixFormat.blockAlign);
      mixer_->Render(kMixFormat, out.data(), frames);
    }
  }

  std::shared_ptr<Mixer> mixer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

class SdlSoundDevice final : public MixerDevice {
 public:
  explicit SdlSoundDevice(SoundSystem& system) : MixerDevice(system, nullptr) {}
  ~SdlSoundDevice() override {
    Close();
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Initialize() override {
    if (initialized_) return false;
    audioStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    initialized_ = true;
    Open();
    return true;
  }

 protected:
  // The output keeps the mix format; the primary format is only checked.
  bool ApplyFormat(const WaveFormat&) override { return true; }

 private:
  void Open() {
    if (audioStarted_) {
      SDL_AudioSpec want{};
      want.freq = static_cast<int>(kMixFormat.samplesPerSec);
      want.format = AUDIO_S16SYS;
      want.channels = static_cast<Uint8>(kMixFormat.channels);
      want.samples = kPeriodFrames;
      want.callback = &SdlSoundDevice::Callback;
      want.userdata = this;
      // No allowed changes: SDL converts our format to the hardware's.
      device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
      if (device_ != 0) {
        SDL_PauseAudioDevice(device_, 0);
        return;
      }
    }
    ReportSilence();
    silent_ = std::make_unique<SilentOutput>(mixer_);
  }

  void Close() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    silent_.reset();
  }

  static void ReportSilence() {
    if (silenceReported.exchange(true)) return;
    std::fprintf(stderr, "solvara: no audio device available (%s); sound runs silently\n", SDL_GetError());
  }

  static void Callback(void* userdata, Uint8* stream, int length) {
    auto* self = static_cast<SdlSoundDevice*>(userdata);
    self->mixer_->Render(kMixFormat, stream, static_cast<uint32_t>(length) / kMixFormat.blockAlign);
  }

  bool audioStarted_ = false;
  SDL_AudioDeviceID device_ = 0;
  std::unique_ptr<SilentOutput> silent_;
};

}  // namespace

bool SilenceReported() { return silenceReported; }

std::unique_ptr<SoundDevice> SdlSoundSystem::CreateDevice() { return std::make_unique<SdlSoundDevice>(*this); }

}  // namespace platform::sdl
