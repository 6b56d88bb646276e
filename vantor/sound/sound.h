#pragma once
// TVantorSound: sound effects loaded from WAV files under names of the
// caller's choosing, played through the platform sound device. A short effect
// is held in memory as four copies so it can sound four times at once; a long
// sound can be streamed from its file instead.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <thread>

#include "platform/sound.h"
#include "vantor/sound/wave_source.h"
#include "vantor/system/autoptr.h"
#include "vantor/system/component.h"
#include "vantor/system/text.h"

namespace VantorSoundSystem {

enum TSoundBits { sb8bit, sb16bit };

class TVantorSound;

// One loaded sound: the parsed WAV file and the platform buffers holding or
// streaming its samples.
class TVantorSoundBuffer {
 public:
  TVantorSoundBuffer();
  ~TVantorSoundBuffer();
  TVantorSoundBuffer(const TVantorSoundBuffer&) = delete;
  TVantorSoundBuffer& operator=(const TVantorSoundBuffer&) = delete;

  // kind 1: whole in memory (four copies); kind 2: streamed from the file.
  void LoadFile(platform::SoundDevice* device, const AnsiString& bufferName, int kind,
                const AnsiString& fileName);

  static constexpr int kCopies = 4;

 private:
  friend class TVantorSound;

  void Reset();
  void LoadWhole(platform::SoundDevice* device, const AnsiString& fileName, const platform::WaveFormat& format);
  void LoadStream(platform::SoundDevice* device, const AnsiString& bufferName, const AnsiString& fileName,
                  const platform::WaveFormat& format);
  // Streaming: ends the worker thread and waits for it; the events are then clear.
  void EndWorker();
  // Streaming, on the worker: refills half `half` of copy 0.
  void FillHalf(int half, int64_t& streamPosition);
  // Streaming, on the worker: copies sample data into `to`, from the start
  // again at the end of the data when looping; sets `ended` at the end of a
  // sound that does not loop, or when the source runs dry.
  uint32_t ReadSamples(uint8_t* to, uint32_t bytes, int64_t& streamPosition, bool& ended);
  uint8_t SilenceByte() const { return bitsPerSample_ == 8 ? 0x80 : 0; }

  AnsiString bufferName_;
  AnsiString fileName_;
  int32_t playCounter_ = 0;
  std::atomic<bool> loop_{false};
  uint32_t dataOffset_ = 0;
  uint32_t dataSize_ = 0;
  uint32_t halfSize_ = 0;
  uint32_t bitsPerSample_ = 0;
  std::unique_ptr<WaveSource> source_;
  uint8_t kind_ = 0;
  std::unique_ptr<platform::SoundEvent> events_[3];
  platform::SoundNotifier* notifier_ = nullptr;
  std::unique_ptr<platform::SoundBuffer> copies_[kCopies];
  std::thread worker_;
};

class TVantorSound : public TComponent {
 public:
  explicit TVantorSound(TComponent* owner);
  ~TVantorSound() override;

  // Opens the device and the primary buffer. `window` may be null (the
  // window taken from the owner then stays).
  void Init(void* window = nullptr);
  void CleanUp();

  void CreateBuffer(const AnsiString& bufferName, const AnsiString& fileName, bool streaming);
  void DeleteBuffer(const AnsiString& bufferName);
  void DeleteAllBuffer();

  void Play(const AnsiString& bufferName, bool loop);
  void Stop(const AnsiString& bufferName);
  bool IsPlaying(const AnsiString& bufferName);
  // Settings of the copy the next Play starts (hundredths of a decibel,
  // -10000..10000, Hz with 0 = the file's own rate).
  void SetPan(const AnsiString& bufferName, int32_t pan);
  void SetVolume(const AnsiString& bufferName, int32_t volume);
  void SetFrequency(const AnsiString& bufferName, uint32_t frequency);
  // Paused, every sound stands still where it is and goes on from there when
  // resumed; sounds played meanwhile wait too.
  void SetPaused(bool paused);
  bool Paused() const { return paused_; }
  // Plays a loaded (not streamed) sound once on a voice of its own that the
  // pause does not hold: a menu's sound over a paused game. The next call
  // ends the one before.
  void PlayOverPause(const AnsiString& bufferName);

  // Published properties. All but Volume take effect at the next Init.
  bool Initialized() const { return initialized_; }
  bool Stereo() const { return stereo_; }
  void SetStereo(bool stereo);
  // 1 means Init leaves the device volume alone.
  int Volume() const { return volume_; }
  void SetPrimaryVolume(int volume);
  int SamplingRatio() const { return samplingRatio_; }
  void SetSamplingRatio(int samplingRatio);
  TSoundBits SoundBits() const { return soundBits_; }
  void SetBits(TSoundBits bits);

  // The streaming worker; `buffer` is the TVantorSoundBuffer it feeds.
  static void StreamPlayThread(void* buffer);

 private:
  TVantorSoundBuffer& Lookup(const AnsiString& bufferName);
  platform::SoundBuffer& NextCopy(TVantorSoundBuffer& buffer);
  void StartStream(TVantorSoundBuffer& buffer, const AnsiString& bufferName, bool loop);

  bool initialized_ = false;
  bool paused_ = false;
  bool stereo_ = true;
  int volume_ = 1;
  int samplingRatio_ = 22050;
  TSoundBits soundBits_ = sb16bit;

  std::unique_ptr<platform::SoundDevice> device_;
  std::unique_ptr<platform::SoundBuffer> primary_;
  std::unique_ptr<platform::SoundBuffer> overPause_;
  void* window_ = nullptr;
  std::map<AnsiString, VantorSystem::TVantorAutoPtr<TVantorSoundBuffer>> buffers_;
};

// Registers TVantorSound on the component palette page "Vantor".
void Register();

}  // namespace VantorSoundSystem
