#include "platform/sdl/sound_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::sdl {
namespace {

// Hundredths of a decibel to a linear gain; the bottom of the range is silence.
float DecibelGain(int32_t hundredths) {
  if (hundredths <= kVolumeMin) return 0.0f;
  return std::pow(10.0f, static_cast<float>(hundredths) / 2000.0f);
}

constexpr uint64_t kOne = uint64_t{1} << 32;

}  // namespace

// The samples a buffer shares with its duplicates.
struct SampleData {
  std::vector<uint8_t> bytes;
  WaveFormat format;
};

bool IsPlayableFormat(const WaveFormat& f) {
  return f.formatTag == kWaveFormatPcm && (f.channels == 1 || f.channels == 2) &&
         (f.bitsPerSample == 8 || f.bitsPerSample == 16) && f.samplesPerSec >= kFrequencyMin &&
         f.samplesPerSec <= kFrequencyMax && f.blockAlign == f.channels * f.bitsPerSample / 8;
}

// A secondary buffer. Everything the mixer reads is guarded by the mixer's lock.
class MixVoice final : public SoundBuffer, public SoundNotifier {
 public:
  MixVoice(std::shared_ptr<Mixer> mixer, std::shared_ptr<SampleData> data, uint32_t flags)
      : mixer_(std::move(mixer)), data_(std::move(data)), flags_(flags),
        frames_(static_cast<uint32_t>(data_->bytes.size() / data_->format.blockAlign)) {
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    mixer_->voices_.push_back(this);
  }
  ~MixVoice() override {
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    std::erase(mixer_->voices_, this);
  }

  const std::shared_ptr<SampleData>& Data() const { return data_; }
  uint32_t Flags() const { return flags_; }

  bool Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2,
            uint32_t* bytes2) override {
    const uint32_t size = static_cast<uint32_t>(data_->bytes.size());
    if (mixer_->Fails(SoundOperation::kLock) || locked_ || bytes == 0 || bytes > size || offset >= size)
      return false;
    // The caller writes into a copy; Unlock moves it in under the mixer's lock,
    // so the audio thread never reads half-written memory.
    scratch_.resize(bytes);
    uint32_t first = std::min(bytes, size - offset);
    {
      std::lock_guard<std::mutex> lock(mixer_->mutex_);
      std::memcpy(scratch_.data(), data_->bytes.data() + offset, first);
      std::memcpy(scratch_.data() + first, data_->bytes.data(), bytes - first);
    }
    locked_ = true;
    lockOffset_ = offset;
    *region1 = scratch_.data();
    *bytes1 = first;
    if (region2) *region2 = first < bytes ? scratch_.data() + first : nullptr;
    if (bytes2) *bytes2 = bytes - first;
    return true;
  }

  bool Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) override {
    if (!locked_ || region1 != scratch_.data() || bytes1 + bytes2 > scratch_.size() ||
        (bytes2 && region2 != scratch_.data() + bytes1))
      return false;
    const uint32_t size = static_cast<uint32_t>(data_->bytes.size());
    {
      std::lock_guard<std::mutex> lock(mixer_->mutex_);
      uint32_t first = std::min(bytes1, size - lockOffset_);
      std::memcpy(data_->bytes.data() + lockOffset_, scratch_.data(), first);
      std::memcpy(data_->bytes.data(), scratch_.data() + first, bytes1 + bytes2 - first);
    }
    locked_ = false;
    return true;
  }

  bool Play(bool loop) override {
    if (mixer_->Fails(SoundOperation::kPlay)) return false;
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    bool starting = !playing_;
    playing_ = true;
    looping_ = loop;
    // A buffer starting on a notification offset has reached it.
    if (starting) NotifyRange(CursorFrame(), CursorFrame(), true);
    return true;
  }

  bool Stop() override {
    if (mixer_->Fails(SoundOperation::kStop)) return false;
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    if (playing_) Halt();
    return true;
  }

  bool SetCurrentPosition(uint32_t offset) override {
    if (mixer_->Fails(SoundOperation::kSetPosition) || offset >= data_->bytes.size()) return false;
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    cursor_ = uint64_t{offset / data_->format.blockAlign} << 32;
    return true;
  }

  bool GetCurrentPosition(uint32_t* offset) override {
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    *offset = CursorFrame() * data_->format.blockAlign;
    return true;
  }

  bool GetStatus(uint32_t* status) override {
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    *status = (playing_ ? kStatusPlaying : 0) | (playing_ && looping_ ? kStatusLooping : 0);
    return true;
  }

  bool SetVolume(int32_t volume) override {
    if (mixer_->Fails(SoundOperation::kSetVolume) || !(flags_ & kBufferVolumeControl) || volume < kVolumeMin ||
        volume > kVolumeMax)
      return false;
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    volume_ = DecibelGain(volume);
    return true;
  }

  bool SetPan(int32_t pan) override {
    if (mixer_->Fails(SoundOperation::kSetPan) || !(flags_ & kBufferPanControl) || pan < kPanLeft || pan > kPanRight)
      return false;
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    // Panning attenuates the opposite side only.
    left_ = DecibelGain(pan > 0 ? -pan : 0);
    right_ = DecibelGain(pan < 0 ? pan : 0);
    return true;
  }

  bool SetFrequency(uint32_t frequency) override {
    if (mixer_->Fails(SoundOperation::kSetFrequency) || !(flags_ & kBufferFrequencyControl) ||
        (frequency != 0 && (frequency < kFrequencyMin || frequency > kFrequencyMax)))
      return false;
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    frequency_ = frequency;
    return true;
  }

  bool SetFormat(const WaveFormat&) override { return false; }

  bool SetPausable(bool pausable) override {
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    pausable_ = pausable;
    return true;
  }
  // Mixer lock held.
  bool Pausable() const { return pausable_; }

  SoundNotifier* Notifier() override {
    return (flags_ & kBufferPositionNotify) && !mixer_->Fails(SoundOperation::kNotifier) ? this : nullptr;
  }

  bool SetNotificationPositions(const NotifyPosition* positions, int count) override {
    std::lock_guard<std::mutex> lock(mixer_->mutex_);
    if (playing_ || count < 0) return false;
    for (int i = 0; i < count; ++i)
      if (!positions[i].event || (positions[i].offset != kNotifyOnStop && positions[i].offset >= data_->bytes.size()))
        return false;
    notifications_.assign(positions, positions + count);
    return true;
  }

  // Mixer lock held. Adds this voice's next `frames` output frames into `mix`.
  void MixInto(float* mix, uint32_t frames, int channels, uint32_t rate) {
    const WaveFormat& f = data_->format;
    const uint8_t* bytes = data_->bytes.data();
    const uint32_t own = frequency_ ? frequency_ : f.samplesPerSec;
    const uint64_t step = (uint64_t{own} << 32) / rate;
    const float left = volume_ * left_, right = volume_ * right_;
    for (uint32_t i = 0; i < frames && playing_; ++i) {
      uint32_t frame = CursorFrame();
      uint32_t next = frame + 1 < frames_ ? frame + 1 : (looping_ ? 0 : frame);
      float t = static_cast<float>(cursor_ & (kOne - 1)) / static_cast<float>(kOne);
      float l0, r0, l1, r1;
      ReadFrame(bytes, frame, l0, r0);
      ReadFrame(bytes, next, l1, r1);
      float l = (l0 + (l1 - l0) * t) * left;
      float r = (r0 + (r1 - r0) * t) * right;
      if (channels == 2) {
        mix[2 * i] += l;
        mix[2 * i + 1] += r;
      } else {
        mix[i] += (l + r) * 0.5f;
      }
      Advance(step);
    }
  }

 private:
  uint32_t CursorFrame() const { return static_cast<uint32_t>(cursor_ >> 32); }

  void ReadFrame(const uint8_t* bytes, uint32_t frame, float& l, float& r) const {
    const WaveFormat& f = data_->format;
    const uint8_t* p = bytes + size_t{frame} * f.blockAlign;
    if (f.bitsPerSample == 8) {
      l = (static_cast<float>(p[0]) - 128.0f) / 128.0f;
      r = f.channels == 2 ? (static_cast<float>(p[1]) - 128.0f) / 128.0f : l;
    } else {
      int16_t s[2];
      std::memcpy(s, p, f.channels * sizeof(int16_t));
      l = static_cast<float>(s[0]) / 32768.0f;
      r = f.channels == 2 ? static_cast<float>(s[1]) / 32768.0f : l;
    }
  }

  // Mixer lock held. Moves the cursor by one output frame's worth of source.
  void Advance(uint64_t step) {
    uint32_t from = CursorFrame();
    cursor_ += step;
    uint64_t to = cursor_ >> 32;
    NotifyRange(from, to, false);
    if (to < frames_) return;
    if (looping_) {
      cursor_ %= uint64_t{frames_} << 32;
    } else {
      cursor_ = 0;
      Halt();
    }
  }

  // Mixer lock held. Signals the offsets whose frame lies in (from, to], or
  // equals `from` when `inclusive`; `to` may run past the end (a wrap).
  void NotifyRange(uint64_t from, uint64_t to, bool inclusive) {
    for (const NotifyPosition& n : notifications_) {
      if (n.offset == kNotifyOnStop) continue;
      uint64_t at = n.offset / data_->format.blockAlign;
      bool reached = (inclusive && at == from) || (at > from && at <= to) ||
                     (at + frames_ > from && at + frames_ <= to);
      if (reached) n.event->Set();
    }
  }

  // Mixer lock held.
  void Halt() {
    playing_ = false;
    for (const NotifyPosition& n : notifications_)
      if (n.offset == kNotifyOnStop) n.event->Set();
  }

  std::shared_ptr<Mixer> mixer_;
  std::shared_ptr<SampleData> data_;
  const uint32_t flags_;
  const uint32_t frames_;

  bool playing_ = false;
  bool looping_ = false;
  bool pausable_ = true;
  uint64_t cursor_ = 0;  // frames, 32-bit fraction
  float volume_ = 1.0f, left_ = 1.0f, right_ = 1.0f;
  uint32_t frequency_ = 0;
  std::vector<NotifyPosition> notifications_;

  // Only the thread holding the lock touches these.
  std::vector<uint8_t> scratch_;
  bool locked_ = false;
  uint32_t lockOffset_ = 0;
};

namespace {

// The primary buffer: the output format and the master volume.
class PrimaryBuffer final : public SoundBuffer {
 public:
  explicit PrimaryBuffer(MixerDevice& device) : device_(device) {}
  bool Lock(uint32_t, uint32_t, void**, uint32_t*, void**, uint32_t*) override { return false; }
  bool Unlock(void*, uint32_t, void*, uint32_t) override { return false; }
  bool Play(bool) override { return true; }
  bool Stop() override { return true; }
  bool SetCurrentPosition(uint32_t) override { return false; }
  bool GetCurrentPosition(uint32_t*) override { return false; }
  bool GetStatus(uint32_t* status) override {
    *status = kStatusPlaying | kStatusLooping;
    return true;
  }
  bool SetVolume(int32_t volume) override {
    if (device_.GetMixer()->Fails(SoundOperation::kSetVolume) || volume < kVolumeMin || volume > kVolumeMax)
      return false;
    device_.GetMixer()->SetMasterVolume(volume);
    return true;
  }
  bool SetPan(int32_t) override { return false; }
  bool SetFrequency(uint32_t) override { return false; }
  bool SetPausable(bool) override { return false; }
  bool SetFormat(const WaveFormat& format) override { return device_.ChangeFormat(format); }
  SoundNotifier* Notifier() override { return nullptr; }

 private:
  MixerDevice& device_;
};

}  // namespace

Mixer::Mixer(SoundSystem& system, const SoundFaults* faults) : system_(system), faults_(faults) {
  format_.formatTag = kWaveFormatPcm;
  format_.channels = 2;
  format_.samplesPerSec = 22050;
  format_.bitsPerSample = 8;
  format_.blockAlign = 2;
  format_.avgBytesPerSec = 44100;
}

WaveFormat Mixer::Format() {
  std::lock_guard<std::mutex> lock(mutex_);
  return format_;
}

void Mixer::SetFormat(const WaveFormat& format) {
  std::lock_guard<std::mutex> lock(mutex_);
  format_ = format;
}

void Mixer::SetMasterVolume(int32_t volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  masterGain_ = DecibelGain(volume);
}

void Mixer::SetPaused(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = paused;
}

void Mixer::Render(const WaveFormat& f, uint8_t* out, uint32_t frames) {
  std::unique_lock<std::mutex> lock(mutex_);
  const float master = masterGain_;
  mix_.assign(size_t{frames} * f.channels, 0.0f);
  for (MixVoice* voice : voices_)
    if (!paused_ || !voice->Pausable()) voice->MixInto(mix_.data(), frames, f.channels, f.samplesPerSec);
  lock.unlock();
  const float effects = system_.EffectsGain();
  if (effects != 1.0f)
    for (float& sample : mix_) sample *= effects;
  // The sources render outside the mixer's lock: they may take time, and the
  // voices must stay controllable meanwhile.
  system_.RenderMixSources(mix_.data(), static_cast<int>(frames), f.channels, static_cast<int>(f.samplesPerSec));
  const size_t samples = mix_.size();
  for (float& sample : mix_) sample *= master;
  limiter_.Process(mix_.data(), frames, f.channels, f.samplesPerSec);
  if (f.bitsPerSample == 8) {
    for (size_t i = 0; i < samples; ++i)
      out[i] = static_cast<uint8_t>(std::clamp(std::lrint(mix_[i] * 128.0f) + 128, 0L, 255L));
  } else {
    for (size_t i = 0; i < samples; ++i) {
      int16_t s = static_cast<int16_t>(std::clamp(std::lrint(mix_[i] * 32768.0f), -32768L, 32767L));
      std::memcpy(out + 2 * i, &s, sizeof s);
    }
  }
}

MixerDevice::MixerDevice(SoundSystem& system, const SoundFaults* faults)
    : mixer_(std::make_shared<Mixer>(system, faults)) {}

bool MixerDevice::SetCooperativeLevel(void*, int level) {
  return initialized_ && !mixer_->Fails(SoundOperation::kCooperativeLevel) && level >= 1 && level <= 3;
}

bool MixerDevice::ChangeFormat(const WaveFormat& format) {
  if (mixer_->Fails(SoundOperation::kSetFormat) || !IsPlayableFormat(format)) return false;
  if (!ApplyFormat(format)) return false;
  mixer_->SetFormat(format);
  return true;
}

std::unique_ptr<SoundBuffer> MixerDevice::CreateBuffer(const BufferDescription& d) {
  if (!initialized_) return nullptr;
  if (d.flags & kBufferPrimary) {
    if (mixer_->Fails(SoundOperation::kCreatePrimary) || d.bytes != 0 || d.format) return nullptr;
    return std::make_unique<PrimaryBuffer>(*this);
  }
  if (mixer_->Fails(SoundOperation::kCreateBuffer) || !d.format || !IsPlayableFormat(*d.format) ||
      d.bytes < d.format->blockAlign || d.bytes > kMaxBufferBytes)
    return nullptr;
  auto data = std::make_shared<SampleData>();
  data->format = *d.format;
  // A fresh buffer holds silence of its sample width.
  data->bytes.assign(d.bytes, d.format->bitsPerSample == 8 ? 0x80 : 0);
  return std::make_unique<MixVoice>(mixer_, std::move(data), d.flags);
}

std::unique_ptr<SoundBuffer> MixerDevice::DuplicateBuffer(SoundBuffer& original) {
  auto* voice = dynamic_cast<MixVoice*>(&original);
  if (!voice || mixer_->Fails(SoundOperation::kDuplicate)) return nullptr;
  return std::make_unique<MixVoice>(mixer_, voice->Data(), voice->Flags());
}

}  // namespace platform::sdl
