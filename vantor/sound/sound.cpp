#include "vantor/sound/sound.h"

#include "platform/app.h"
#include "platform/platform.h"
#include "vantor/system/frame.h"

namespace VantorSoundSystem {

using VantorSystem::EVnSound;
using VantorSystem::RunMethod;
using VantorSystem::VnTrace;

TVantorSound::TVantorSound(TComponent* owner) : TComponent(owner) {
  RunMethod("TVantorSound::TVantorSound", [&] {
    if (owner) window_ = owner->WindowHandle();
  });
}

TVantorSound::~TVantorSound() {
  RunMethod("TVantorSound::~TVantorSound", [&] { CleanUp(); });
}

void TVantorSound::Init(void* window) {
  RunMethod("TVantorSound::Init", [&] {
    VnTrace(VN_TEXT("TVantorSound::初期化開始"));
    CleanUp();
    if (window) window_ = window;

    platform::SoundSystem* system = platform::Current().sound;
    if (system) device_ = system->CreateDevice();
    if (!device_) {
      CleanUp();
      throw EVnSound(VN_TEXT("COMオブジェクトの作成に失敗しました。"));
    }
    VnTrace(VN_TEXT("TVantorSound::COMオブジェクトの生成に成功"));

    if (!device_->Initialize()) {
      CleanUp();
      throw EVnSound(VN_TEXT("DirectSoundの初期化に失敗しました。"));
    }
    VnTrace(VN_TEXT("TVantorSound::DirectSoundの初期化に成功"));

    if (!device_->SetCooperativeLevel(window_, platform::kCooperativePriority)) {
      CleanUp();
      throw EVnSound(VN_TEXT("協調レベルの設定に失敗しました。"));
    }

    platform::BufferDescription primary;
    primary.flags = platform::kBufferPrimary | platform::kBufferVolumeControl;
    primary_ = device_->CreateBuffer(primary);
    if (!primary_) {
      CleanUp();
      throw EVnSound(VN_TEXT("プライマリバッファの作成に失敗しました。"));
    }
    VnTrace(VN_TEXT("TVantorSound::プライマリバッファの作成に成功"));

    platform::WaveFormat format;
    format.formatTag = platform::kWaveFormatPcm;
    format.channels = stereo_ ? 2 : 1;
    format.samplesPerSec = static_cast<uint32_t>(samplingRatio_);
    format.bitsPerSample = soundBits_ == sb8bit ? 8 : 16;
    format.blockAlign = static_cast<uint16_t>(format.channels * format.bitsPerSample / 8);
    format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
    format.extraSize = 0;
    if (!primary_->SetFormat(format)) {
      CleanUp();
      throw EVnSound(VN_TEXT("ウェブフォーマットの設定に失敗しました。"));
    }
    VnTrace(VN_TEXT("TVantorSound::ウェブフォーマットの設定に成功"));

    // Volume 1 leaves the device's own master volume alone.
    if (volume_ != 1 && !primary_->SetVolume(volume_))
      throw EVnSound(VN_TEXT("マスターボリュームの設定に失敗しました。"));
    initialized_ = true;
  });
}

void TVantorSound::CleanUp() {
  RunMethod("TVantorSound::CleanUp", [&] {
    VnTrace(VN_TEXT("TVantorSound::クリーンアップ"));
    initialized_ = false;
    paused_ = false;
    buffers_.clear();
    overPause_.reset();
    primary_.reset();
    device_.reset();
  });
}

void TVantorSound::CreateBuffer(const AnsiString& bufferName, const AnsiString& fileName, bool streaming) {
  RunMethod("TVantorSound::CreateBuffer", [&] {
    if (!initialized_) throw EVnSound(VN_TEXT("まだ初期化されてません。"));
    if (buffers_.contains(bufferName)) return;
    TVantorSoundBuffer* buffer = new TVantorSoundBuffer();
    buffers_.emplace(bufferName, buffer);
    try {
      buffer->LoadFile(device_.get(), bufferName, streaming ? 2 : 1, fileName);
    } catch (...) {
      buffers_.erase(bufferName);
      throw;
    }
    VnTrace(VN_TEXT("TVantorSound::バッファ作成") + "  FileName:" + fileName + "  BufferName:" + bufferName);
  });
}

void TVantorSound::DeleteBuffer(const AnsiString& bufferName) {
  RunMethod("TVantorSound::DeleteBuffer", [&] {
    buffers_.erase(bufferName);
    VnTrace(VN_TEXT("TVantorSound::バッファ削除") + "BufferName:" + bufferName);
  });
}

void TVantorSound::DeleteAllBuffer() {
  RunMethod("TVantorSound::DeleteAllBuffer", [&] {
    buffers_.clear();
    VnTrace(VN_TEXT("TVantorSound::全バッファの削除"));
  });
}

TVantorSoundBuffer& TVantorSound::Lookup(const AnsiString& bufferName) {
  if (!initialized_) throw EVnSound(VN_TEXT("まだ初期化されてません。"));
  auto found = buffers_.find(bufferName);
  if (found == buffers_.end()) throw EVnSound(VN_TEXT("バッファが存在しません。\nバッファ名：") + bufferName);
  if (found->second->kind_ == 0)
    throw EVnSound(VN_TEXT("バッファが初期化されていません。。\nバッファ名：") + bufferName);
  return *found->second;
}

platform::SoundBuffer& TVantorSound::NextCopy(TVantorSoundBuffer& buffer) {
  // Unsigned, so a counter that has run past the signed range still picks a copy.
  return *buffer.copies_[static_cast<uint32_t>(buffer.playCounter_) % TVantorSoundBuffer::kCopies];
}

void TVantorSound::Play(const AnsiString& bufferName, bool loop) {
  RunMethod("TVantorSound::Play", [&] {
    TVantorSoundBuffer& buffer = Lookup(bufferName);
    platform::SoundBuffer& copy = NextCopy(buffer);
    if (!copy.Stop()) throw EVnSound(VN_TEXT("バッファの再生停止に失敗しました。\nバッファ名：") + bufferName);
    if (!copy.SetCurrentPosition(0))
      throw EVnSound(VN_TEXT("バッファのシークに失敗しました。\nバッファ名：") + bufferName);
    if (buffer.kind_ == 2) {
      StartStream(buffer, bufferName, loop);
      return;
    }
    if (!copy.Play(loop)) throw EVnSound(VN_TEXT("バッファの再生に失敗しました。\nバッファ名：") + bufferName);
    ++buffer.playCounter_;
  });
}

void TVantorSound::PlayOverPause(const AnsiString& bufferName) {
  RunMethod("TVantorSound::PlayOverPause", [&] {
    TVantorSoundBuffer& buffer = Lookup(bufferName);
    overPause_.reset();
    if (buffer.kind_ == 1) overPause_ = device_->DuplicateBuffer(*buffer.copies_[0]);
    if (!overPause_ || !overPause_->SetPausable(false) || !overPause_->Play(false))
      throw EVnSound(VN_TEXT("バッファの再生に失敗しました。\nバッファ名：") + bufferName);
  });
}

void TVantorSound::Stop(const AnsiString& bufferName) {
  RunMethod("TVantorSound::Stop", [&] {
    TVantorSoundBuffer& buffer = Lookup(bufferName);
    for (auto& copy : buffer.copies_)
      if (copy && !copy->Stop()) throw EVnSound(VN_TEXT("バッファ停止に失敗しました。\nバッファ名：") + bufferName);
    // The stop has signalled the worker; it is gone when Stop returns.
    if (buffer.kind_ == 2) buffer.EndWorker();
  });
}

bool TVantorSound::IsPlaying(const AnsiString& bufferName) {
  return RunMethod("TVantorSound::IsPlaying", [&] {
    TVantorSoundBuffer& buffer = Lookup(bufferName);
    for (auto& copy : buffer.copies_) {
      uint32_t status = 0;
      if (copy && copy->GetStatus(&status) && (status & platform::kStatusPlaying)) return true;
    }
    return false;
  });
}

void TVantorSound::SetPan(const AnsiString& bufferName, int32_t pan) {
  RunMethod("TVantorSound::SetPan", [&] {
    if (!NextCopy(Lookup(bufferName)).SetPan(pan))
      throw EVnSound(VN_TEXT("パンの設定に失敗しました。\nバッファ名：") + bufferName);
  });
}

void TVantorSound::SetVolume(const AnsiString& bufferName, int32_t volume) {
  RunMethod("TVantorSound::SetVolume", [&] {
    if (!NextCopy(Lookup(bufferName)).SetVolume(volume))
      throw EVnSound(VN_TEXT("音量の設定に失敗しました。\nバッファ名：") + bufferName);
  });
}

void TVantorSound::SetFrequency(const AnsiString& bufferName, uint32_t frequency) {
  RunMethod("TVantorSound::SetFrequency", [&] {
    if (!NextCopy(Lookup(bufferName)).SetFrequency(frequency))
      throw EVnSound(VN_TEXT("周波数の設定に失敗しました。\nバッファ名：") + bufferName);
  });
}

void TVantorSound::SetPaused(bool paused) {
  RunMethod("TVantorSound::SetPaused", [&] {
    if (!initialized_) throw EVnSound(VN_TEXT("まだ初期化されてません。"));
    device_->SetPaused(paused);
    paused_ = paused;
  });
}

void TVantorSound::SetStereo(bool stereo) {
  RunMethod("TVantorSound::SetStereo", [&] { stereo_ = stereo; });
}

void TVantorSound::SetPrimaryVolume(int volume) {
  RunMethod("TVantorSound::SetPrimaryVolume", [&] {
    if (volume == volume_) return;
    volume_ = volume;
    if (initialized_ && !primary_->SetVolume(volume_))
      throw EVnSound(VN_TEXT("マスターボリュームの設定に失敗しました。"));
  });
}

void TVantorSound::SetSamplingRatio(int samplingRatio) {
  RunMethod("TVantorSound::SetSamplingRatio", [&] { samplingRatio_ = samplingRatio; });
}

void TVantorSound::SetBits(TSoundBits bits) {
  RunMethod("TVantorSound::SetBits", [&] { soundBits_ = bits; });
}

void Register() { platform::RegisterComponent("Vantor", "TVantorSound"); }

}  // namespace VantorSoundSystem
