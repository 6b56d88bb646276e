// Streaming playback: one platform buffer of two halves, refilled by a worker
// thread from the open file while the other half plays.
#include <algorithm>
#include <cstring>
#include <system_error>

#include "platform/processor.h"
#include "vantor/sound/sound.h"
#include "vantor/system/frame.h"

namespace VantorSoundSystem {

using VantorSystem::EVnSound;
using VantorSystem::EVnSoundBuffer;

namespace {

// Position notification, frequency, pan and volume control, global focus and
// an accurate play position.
constexpr uint32_t kStreamBufferFlags = platform::kBufferAccuratePosition | platform::kBufferGlobalFocus |
                                        platform::kBufferVolumeControl | platform::kBufferPanControl |
                                        platform::kBufferFrequencyControl | platform::kBufferPositionNotify;

// The worker's stream position after the last data has been written, and
// after the half behind it has been silenced too (the next notification then
// means the last data has been heard).
constexpr int64_t kEnded = -1;
constexpr int64_t kDrained = -2;

}  // namespace

void TVantorSoundBuffer::LoadStream(platform::SoundDevice* device, const AnsiString& bufferName,
                                    const AnsiString& fileName, const platform::WaveFormat& format) {
  // Two seconds per half, whole frames only so no frame straddles the halves.
  uint64_t half = 2 * uint64_t{format.avgBytesPerSec};
  if (format.blockAlign) half -= half % format.blockAlign;
  halfSize_ = static_cast<uint32_t>(std::min<uint64_t>(half, platform::kMaxBufferBytes));
  bitsPerSample_ = format.bitsPerSample;

  platform::BufferDescription description;
  description.flags = kStreamBufferFlags;
  description.bytes = 2 * uint64_t{halfSize_} > platform::kMaxBufferBytes ? 0 : 2 * halfSize_;
  description.format = &format;
  copies_[0] = device->CreateBuffer(description);
  if (!copies_[0]) throw EVnSoundBuffer(VN_TEXT("バッファの作成に失敗しました。\nファイル名：") + fileName);

  notifier_ = copies_[0]->Notifier();
  if (!notifier_) throw EVnSoundBuffer(VN_TEXT("通知オブジェクトの作成に失敗しました。\nファイル名：") + fileName);

  for (auto& event : events_) event = std::make_unique<platform::SoundEvent>();
  const platform::NotifyPosition positions[3] = {
      {0, events_[0].get()}, {halfSize_, events_[1].get()}, {platform::kNotifyOnStop, events_[2].get()}};
  if (!notifier_->SetNotificationPositions(positions, 3))
    throw EVnSoundBuffer(VN_TEXT("通知オブジェクトの作成に失敗しました。\nバッファ名：") + bufferName);
}

void TVantorSoundBuffer::EndWorker() {
  if (worker_.joinable()) {
    // Stopping copy 0 signals the worker; the explicit signal covers a worker
    // whose buffer is not playing (it stopped at the end, or never started).
    copies_[0]->Stop();
    events_[2]->Set();
    worker_.join();
  }
  for (auto& event : events_)
    if (event) event->Reset();
}

void TVantorSound::StartStream(TVantorSoundBuffer& buffer, const AnsiString& bufferName, bool loop) {
  // The stop just made has signalled a previous worker; it must be gone
  // before the source is moved under it.
  buffer.EndWorker();
  buffer.source_->Seek(buffer.dataOffset_);
  // Set before the worker starts: its first fill already decides between
  // looping and silence.
  buffer.loop_ = loop;
  try {
    buffer.worker_ = std::thread(&TVantorSound::StreamPlayThread, &buffer);
  } catch (const std::system_error&) {
    throw EVnSound(VN_TEXT("スレッドの作成に失敗しました。\nバッファ名：") + bufferName);
  }
  if (!buffer.copies_[0]->Play(true)) {
    buffer.EndWorker();
    throw EVnSound(VN_TEXT("バッファの再生に失敗しました。失敗しました。\nバッファ名：") + bufferName);
  }
}

void TVantorSound::StreamPlayThread(void* pointer) {
  auto& buffer = *static_cast<TVantorSoundBuffer*>(pointer);
  platform::NameCurrentThread("sound stream");
  int64_t streamPosition = 0;
  buffer.FillHalf(0, streamPosition);
  platform::SoundEvent* const events[3] = {buffer.events_[0].get(), buffer.events_[1].get(), buffer.events_[2].get()};
  for (;;) {
    int which = platform::SoundEvent::WaitAny(events, 3);
    // Reaching the start of one half means the other one has been played.
    if (which == 0) buffer.FillHalf(1, streamPosition);
    else if (which == 1) buffer.FillHalf(0, streamPosition);
    else break;
  }
  buffer.loop_ = false;
}

void TVantorSoundBuffer::FillHalf(int half, int64_t& streamPosition) {
  platform::SoundBuffer& copy = *copies_[0];
  if (streamPosition == kDrained) {
    // The last data has been played out; stopping signals the end to the worker.
    copy.Stop();
    return;
  }
  void* region1 = nullptr;
  void* region2 = nullptr;
  uint32_t bytes1 = 0, bytes2 = 0;
  // A refused lock leaves the half as it was; the next notification tries again.
  if (!copy.Lock(static_cast<uint32_t>(half) * halfSize_, halfSize_, &region1, &bytes1, &region2, &bytes2)) return;
  auto* to = static_cast<uint8_t*>(region1);
  if (streamPosition == kEnded) {
    // The half after the last data plays silence until the data half is heard.
    std::memset(to, SilenceByte(), bytes1);
    streamPosition = kDrained;
  } else {
    bool ended = false;
    uint32_t filled = ReadSamples(to, bytes1, streamPosition, ended);
    if (ended) {
      std::memset(to + filled, SilenceByte(), bytes1 - filled);
      streamPosition = kEnded;
    }
  }
  copy.Unlock(region1, bytes1, region2, bytes2);
}

uint32_t TVantorSoundBuffer::ReadSamples(uint8_t* to, uint32_t bytes, int64_t& streamPosition, bool& ended) {
  uint32_t done = 0;
  while (done < bytes && !ended) {
    uint32_t want = std::min<uint32_t>(bytes - done, dataSize_ - static_cast<uint32_t>(streamPosition));
    uint32_t got = source_->Read(to + done, want);
    done += got;
    streamPosition += got;
    if (streamPosition < dataSize_ && got == want) continue;
    // The end of the data, or a source that delivers less than it claimed:
    // from the start again when looping (unless nothing came since the last
    // start), else the sound has ended.
    if (loop_ && streamPosition > 0) {
      source_->Seek(dataOffset_);
      streamPosition = 0;
    } else {
      ended = true;
    }
  }
  return done;
}

}  // namespace VantorSoundSystem
