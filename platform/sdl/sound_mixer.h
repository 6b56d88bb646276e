#pragma once
// The software mixer behind both sound backends: secondary buffers with their
// own cursor, volume, pan and rate, the extra sources of the sound system (the
// music), all summed and ended by one limiter. The SDL backend pulls it at
// the mix format on the audio thread; the headless backend pulls it at the
// primary format when a test moves the virtual play cursor, or at the mix
// format for the runner's recording.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sdl/sound_limiter.h"
#include "platform/sound.h"

namespace platform::sdl {

// Device operations that the headless backend can make fail.
enum class SoundOperation : uint32_t {
  kCreateDevice,
  kInitialize,
  kCooperativeLevel,
  kCreatePrimary,
  kSetFormat,
  kCreateBuffer,
  kDuplicate,
  kLock,
  kPlay,
  kStop,
  kSetPosition,
  kSetVolume,
  kSetPan,
  kSetFrequency,
  kNotifier,
};

class SoundFaults {
 public:
  void Fail(SoundOperation op, bool fail = true) {
    uint32_t bit = 1u << static_cast<uint32_t>(op);
    if (fail) mask_.fetch_or(bit);
    else mask_.fetch_and(~bit);
  }
  void Clear() { mask_ = 0; }
  bool Fails(SoundOperation op) const { return mask_.load() & (1u << static_cast<uint32_t>(op)); }

 private:
  std::atomic<uint32_t> mask_{0};
};

class MixVoice;

// The format the real device and the runner's recording mix at, whatever the
// primary format asks: the synthesizer's rate, so the music is never
// resampled, 16 bits, stereo. SDL converts it to what the hardware takes.
constexpr WaveFormat kMixFormat{kWaveFormatPcm, 2, 44100, 44100 * 4, 4, 16, 0};

class Mixer {
 public:
  Mixer(SoundSystem& system, const SoundFaults* faults);

  // The primary format (22050 Hz, 8 bit, stereo until the primary buffer
  // sets one): what the headless capture renders at.
  WaveFormat Format();
  void SetFormat(const WaveFormat& format);
  void SetMasterVolume(int32_t volume);
  void SetPaused(bool paused);
  // Renders `frames` frames at `format` (1 or 2 channels of 8 or 16 bits)
  // into `out`, moving the play cursors and signalling the notifications
  // they reach. One thread at a time renders.
  void Render(const WaveFormat& format, uint8_t* out, uint32_t frames);

  bool Fails(SoundOperation op) const { return faults_ && faults_->Fails(op); }

 private:
  friend class MixVoice;
  SoundSystem& system_;
  const SoundFaults* faults_;
  std::mutex mutex_;
  WaveFormat format_;
  float masterGain_ = 1.0f;
  bool paused_ = false;
  std::vector<MixVoice*> voices_;
  // Only the rendering thread touches these.
  std::vector<float> mix_;
  SoftLimiter limiter_;
};

// True for a PCM format the mixer plays: 1 or 2 channels of 8 or 16 bits.
bool IsPlayableFormat(const WaveFormat& format);

// The device shared by the backends; each says how its output follows a
// change of the primary format.
class MixerDevice : public SoundDevice {
 public:
  MixerDevice(SoundSystem& system, const SoundFaults* faults);

  bool SetCooperativeLevel(void* window, int level) override;
  std::unique_ptr<SoundBuffer> CreateBuffer(const BufferDescription& description) override;
  std::unique_ptr<SoundBuffer> DuplicateBuffer(SoundBuffer& original) override;
  void SetPaused(bool paused) override { mixer_->SetPaused(paused); }

  const std::shared_ptr<Mixer>& GetMixer() const { return mixer_; }
  // The primary buffer's SetFormat lands here.
  bool ChangeFormat(const WaveFormat& format);

 protected:
  virtual bool ApplyFormat(const WaveFormat& format) = 0;
  bool initialized_ = false;
  std::shared_ptr<Mixer> mixer_;
};

}  // namespace platform::sdl
