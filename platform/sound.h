#pragma once
// The sound device: the DirectSound-like service the sound component plays
// through. A device owns one output with a primary format and volume; any
// number of secondary buffers (PCM 8/16 bit, mono/stereo, any rate) are mixed
// into it. Operations answer true on success and false when the device
// refuses, so the caller can report its own failure text.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

// The PCM format record of a WAV file's "fmt " chunk.
struct WaveFormat {
  uint16_t formatTag = 0;  // 1 = PCM
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;
};

constexpr uint16_t kWaveFormatPcm = 1;

// Buffer description flags (the values of the DirectSound flags they stand for).
constexpr uint32_t kBufferPrimary = 0x00000001;
constexpr uint32_t kBufferStatic = 0x00000002;
constexpr uint32_t kBufferFrequencyControl = 0x00000020;
constexpr uint32_t kBufferPanControl = 0x00000040;
constexpr uint32_t kBufferVolumeControl = 0x00000080;
constexpr uint32_t kBufferPositionNotify = 0x00000100;
constexpr uint32_t kBufferGlobalFocus = 0x00008000;
constexpr uint32_t kBufferAccuratePosition = 0x00010000;

struct BufferDescription {
  uint32_t size = 36;  // size of the description record, kept for fidelity
  uint32_t flags = 0;
  uint32_t bytes = 0;  // secondary buffers only
  const WaveFormat* format = nullptr;  // secondary buffers only
};

// Largest secondary buffer the device accepts.
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

// Status bits.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusLooping = 0x4;

// Volumes are hundredths of a decibel (0 full, -10000 silent); pan runs from
// -10000 (left only) to 10000 (right only); frequency 0 means the buffer's own rate.
constexpr int32_t kVolumeMin = -10000;
constexpr int32_t kVolumeMax = 0;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 200000;

// Cooperative level "priority".
constexpr int kCooperativePriority = 2;

// An auto-reset event, initially clear, that position notifications signal.
// Safe from any thread.
class SoundEvent {
 public:
  SoundEvent() = default;
  ~SoundEvent() = default;
  SoundEvent(const SoundEvent&) = delete;
  SoundEvent& operator=(const SoundEvent&) = delete;

  void Set();
  void Reset();
  // Blocks until one of `events` is set, clears it and returns its index (the
  // lowest one when several are set).
  static int WaitAny(SoundEvent* const* events, int count);
  // Threads blocked in WaitAny right now with none of their events set: lets
  // tests wait until every worker has finished reacting to a notification.
  static int IdleWaiters();
  // Blocks (up to `timeoutMs` of real time) until IdleWaiters() == count.
  static bool WaitForIdleWaiters(int count, int timeoutMs);

 private:
  struct Hub;
  static int FirstSet(SoundEvent* const* events, int count);
  bool set_ = false;
};

// A notification position: when the play cursor reaches `offset` (or, for
// kNotifyOnStop, when the buffer stops) the event is set. A buffer that starts
// playing right at an offset has reached it.
constexpr uint32_t kNotifyOnStop = 0xFFFFFFFF;
struct NotifyPosition {
  uint32_t offset;
  SoundEvent* event;
};

// The position-notification interface of a buffer created with
// kBufferPositionNotify. It lives as long as its buffer.
class SoundNotifier {
 public:
  virtual ~SoundNotifier() = default;
  // Replaces the positions; only while the buffer is stopped.
  virtual bool SetNotificationPositions(const NotifyPosition* positions, int count) = 0;
};

class SoundBuffer {
 public:
  virtual ~SoundBuffer() = default;

  // A byte range of the buffer's memory, in one region or, when the range
  // wraps past the end, two. The memory handed out is the caller's until
  // Unlock, which writes the regions back.
  virtual bool Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2,
                    uint32_t* bytes2) = 0;
  virtual bool Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) = 0;

  virtual bool Play(bool loop) = 0;
  virtual bool Stop() = 0;
  virtual bool SetCurrentPosition(uint32_t offset) = 0;
  virtual bool GetCurrentPosition(uint32_t* offset) = 0;
  virtual bool GetStatus(uint32_t* status) = 0;
  virtual bool SetVolume(int32_t volume) = 0;
  virtual bool SetPan(int32_t pan) = 0;
  virtual bool SetFrequency(uint32_t frequency) = 0;
  // Whether the device's pause holds this buffer (it does unless told
  // otherwise); false when the buffer cannot be left out.
  virtual bool SetPausable(bool pausable) = 0;
  // Primary buffer only: the output format.
  virtual bool SetFormat(const WaveFormat& format) = 0;
  // Null when the buffer was not created with kBufferPositionNotify.
  virtual SoundNotifier* Notifier() = 0;
};

class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  // Binds the device object to the default output. With no output on the
  // machine the device plays silently (said once on stderr) and succeeds.
  virtual bool Initialize() = 0;
  virtual bool SetCooperativeLevel(void* window, int level) = 0;
  // The primary buffer (kBufferPrimary) or a secondary buffer; null on failure.
  virtual std::unique_ptr<SoundBuffer> CreateBuffer(const BufferDescription& description) = 0;
  // A buffer sharing `original`'s samples with its own position, volume, pan
  // and rate; null on failure.
  virtual std::unique_ptr<SoundBuffer> DuplicateBuffer(SoundBuffer& original) = 0;
  // Paused, every pausable buffer stands still where it is (its play cursor,
  // its notifications); the others and the mix sources go on.
  virtual void SetPaused(bool paused) = 0;
};

// Adds its samples into `mix` (interleaved, `channels` per frame, full scale
// -1..1) for `frames` frames at `rate` Hz. Called on the audio thread.
using MixSource = std::function<void(float* mix, int frames, int channels, int rate)>;

class SoundSystem {
 public:
  virtual ~SoundSystem() = default;
  // A new device object, not yet initialised; null on failure.
  virtual std::unique_ptr<SoundDevice> CreateDevice() = 0;

  // Extra sources mixed into the output of the initialised device (the MIDI
  // synthesizer uses this when it cannot open an audio stream of its own).
  // Heard only while a device is initialised. Returns an id for removal
  // (never 0); once RemoveMixSource returns, the source is not called again.
  int AddMixSource(MixSource source);
  void RemoveMixSource(int id);
  // Adds every registered source into `mix` (the devices call this).
  void RenderMixSources(float* mix, int frames, int channels, int rate);

  // The player's volume of the sound effects (the buffers, not the mix
  // sources), 0 to 100 percent.
  void SetEffectsVolume(int percent) { effectsGain_ = static_cast<float>(percent) / 100.0f; }
  float EffectsGain() const { return effectsGain_; }
  // The player's volume of the music (the synthesizer among the sources),
  // 0 to 100 percent; the synthesizer follows it as it renders.
  void SetMusicVolume(int percent) { musicVolume_ = percent; }
  int MusicVolume() const { return musicVolume_; }

 private:
  std::atomic<float> effectsGain_{1.0f};
  std::atomic<int> musicVolume_{100};
  std::mutex sourcesMutex_;
  std::vector<std::pair<int, MixSource>> sources_;
  int nextSourceId_ = 1;
};

}  // namespace platform
