#include "vantor/system/frame.h"
#include "vantor/sound/sound.h"

namespace VantorSoundSystem {

using VantorSystem::EVnSoundBuffer;
using VantorSystem::RunMethod;

namespace {
// Static samples with frequency, pan and volume control, global focus and an
// accurate play position.
constexpr uint32_t kWholeBufferFlags = platform::kBufferAccuratePosition | platform::kBufferGlobalFocus |
                                       platform::kBufferVolumeControl | platform::kBufferPanControl |
                                       platform::kBufferFrequencyControl | platform::kBufferStatic;
}  // namespace

TVantorSoundBuffer::TVantorSoundBuffer() {
  RunMethod("TVantorSoundBuffer::TVantorSoundBuffer", [] {});
}

TVantorSoundBuffer::~TVantorSoundBuffer() {
  RunMethod("TVantorSoundBuffer::~TVantorSoundBuffer", [&] {
    // The worker refers to this buffer: it goes first.
    EndWorker();
    notifier_ = nullptr;
    for (auto& copy : copies_) copy.reset();
    source_.reset();
    for (auto& event : events_) event.reset();
  });
}

void TVantorSoundBuffer::Reset() {
  EndWorker();
  bufferName_.clear();
  fileName_.clear();
  playCounter_ = 0;
  dataOffset_ = 0;
  dataSize_ = 0;
  kind_ = 0;
  loop_ = false;
  source_.reset();
  notifier_ = nullptr;
  for (auto& copy : copies_) copy.reset();
}

void TVantorSoundBuffer::LoadFile(platform::SoundDevice* device, const AnsiString& bufferName, int kind,
                                  const AnsiString& fileName) {
  RunMethod("TVantorSoundBuffer::LoadFile", [&] {
    Reset();
    source_ = WaveSource::Open(fileName);
    if (!source_) throw EVnSoundBuffer(VN_TEXT("WAVEの読み込みに失敗しました。\nファイル名：") + fileName);

    WaveLayout layout;
    switch (ReadWaveLayout(*source_, layout)) {
      case WaveError::NotRiff:
        throw EVnSoundBuffer(VN_TEXT("RIFFフォーマットではありません。\nファイル名：") + fileName);
      case WaveError::NotWave:
        throw EVnSoundBuffer(VN_TEXT("WAVEフォーマットではありません。\nファイル名：") + fileName);
      case WaveError::BadFormat:
        throw EVnSoundBuffer(VN_TEXT("ファイルフォーマットが不正です。\nファイル名：") + fileName);
      case WaveError::None:
        break;
    }
    dataOffset_ = layout.dataOffset;
    dataSize_ = layout.dataSize;

    if (kind == 2) LoadStream(device, bufferName, fileName, layout.format);
    else LoadWhole(device, fileName, layout.format);

    bufferName_ = bufferName;
    fileName_ = fileName;
    // Last, so a buffer whose load failed stays "not loaded".
    kind_ = static_cast<uint8_t>(kind);
  });
}

void TVantorSoundBuffer::LoadWhole(platform::SoundDevice* device, const AnsiString& fileName,
                                   const platform::WaveFormat& format) {
  platform::BufferDescription description;
  description.flags = kWholeBufferFlags;
  description.bytes = dataSize_;
  description.format = &format;
  copies_[0] = device->CreateBuffer(description);
  if (!copies_[0]) throw EVnSoundBuffer(VN_TEXT("バッファの作成に失敗しました。\nファイル名：") + fileName);

  void* region1 = nullptr;
  void* region2 = nullptr;
  uint32_t bytes1 = 0, bytes2 = 0;
  if (!copies_[0]->Lock(0, dataSize_, &region1, &bytes1, &region2, &bytes2))
    throw EVnSoundBuffer(VN_TEXT("バッファのロックに失敗しました。\nファイル名：") + fileName);
  source_->Seek(dataOffset_);
  source_->Read(region1, bytes1);
  if (region2) source_->Read(region2, bytes2);
  copies_[0]->Unlock(region1, bytes1, region2, bytes2);

  for (int i = 1; i < kCopies; ++i) {
    copies_[i] = device->DuplicateBuffer(*copies_[0]);
    if (!copies_[i]) throw EVnSoundBuffer(VN_TEXT("バッファの複製に失敗しました。\nファイル名：") + fileName);
  }
  source_.reset();
}

}  // namespace VantorSoundSystem
