#include "vantor/midi/midi.h"

#include "platform/platform.h"
#include "vantor/system/frame.h"

namespace VantorMidiSystem {

using VantorDebugSystem::TVantorDebug;
using VantorSystem::EVnMidi;
using VantorSystem::RunMethod;
using VantorSystem::VnTrace;

namespace {
constexpr uint32_t kPassInterval = 10;
}  // namespace

TVantorMidi::TVantorMidi(TComponent* owner) : TComponent(owner), FClock(platform::Current().clock) {
  RunMethod("TVantorMidi::TVantorMidi", [&] {
    FPassTime = FClock->Milliseconds();
    FWindow = std::make_unique<platform::MessageWindow>(
        [this](platform::Message& message) { WndProc(message); });
    FPlayThread = std::make_unique<TVantorMidiPlayThread>(this, *FClock, kPassInterval);
    FPlayThread->Resume();
  });
}

TVantorMidi::~TVantorMidi() {
  RunMethod("TVantorMidi::~TVantorMidi", [&] {
    CleanUp();
    FPlayThread.reset();
    FDataList.clear();
    FUserQueue.clear();
    FWindow.reset();
  });
}

void TVantorMidi::SetReport(bool report) {
  RunMethod("TVantorMidi::SetReport", [&] { FReport.store(report, std::memory_order_relaxed); });
}

void TVantorMidi::Init() {
  RunMethod("TVantorMidi::Init", [&] {
    VnTrace(VN_TEXT("TVantorMidi::初期化開始"));
    platform::MidiSystem* system = platform::Current().midi;
    std::unique_ptr<platform::MidiOut> out = system ? system->Open() : nullptr;
    if (!out) {
      CleanUp();
      throw EVnMidi(VN_TEXT("MidiOutの作成に失敗しました。"));
    }
    std::lock_guard lock(FSequenceLock);
    FMidiOut = std::move(out);
    FInitialized = true;
  });
}

void TVantorMidi::CleanUp() {
  RunMethod("TVantorMidi::CleanUp", [&] {
    VnTrace(VN_TEXT("TVantorMidi::クリーンアップ"));
    if (FMidiOut) {
      Stop();
      std::lock_guard lock(FSequenceLock);
      FMidiOut.reset();
      // A device opened again starts unpaused.
      FPaused = false;
    }
    FInitialized = false;
  });
}

bool TVantorMidi::GetReady() {
  return RunMethod("TVantorMidi::GetReady", [&] { return FInitialized && FMidiOut->Ready(); });
}

void TVantorMidi::WaitReady() {
  RunMethod("TVantorMidi::WaitReady", [&] {
    RequireInitialized();
    FMidiOut->WaitUntilReady();
  });
}

void TVantorMidi::RequireInitialized() const {
  if (!FInitialized) throw EVnMidi(VN_TEXT("まだ初期化されてません。"));
}

void TVantorMidi::CreateData(const AnsiString& name, const AnsiString& fileName) {
  RunMethod("TVantorMidi::CreateData", [&] {
    if (FDataList.count(name)) return;
    auto entry = FDataList.emplace(name, new TVantorMidiData).first;
    try {
      entry->second->LoadFile(fileName);
    } catch (...) {
      FDataList.erase(entry);
      throw;
    }
    if (TVantorDebug::GetDebug())
      VnTrace(VN_TEXT("TVantorMidi::データ作成") + VN_TEXT("  FileName:") + fileName +
              VN_TEXT("  DataName:") + name);
  });
}

TVantorMidiData* TVantorMidi::GetSMFData(const AnsiString& name) {
  return RunMethod("TVantorMidi::GetSMFData", [&] {
    auto entry = FDataList.find(name);
    if (entry == FDataList.end())
      throw EVnMidi(VN_TEXT("データが存在しません。\nデータ名：") + name);
    return entry->second.get();
  });
}

void TVantorMidi::DeleteData(const AnsiString& name) {
  RunMethod("TVantorMidi::DeleteData", [&] {
    auto entry = FDataList.find(name);
    if (entry != FDataList.end()) {
      ReleaseSong(entry->second.get());
      FDataList.erase(entry);
    }
    if (TVantorDebug::GetDebug())
      VnTrace(VN_TEXT("TVantorMidi::データ削除") + VN_TEXT("DataName:") + name);
  });
}

void TVantorMidi::DeleteAllData() {
  RunMethod("TVantorMidi::DeleteAllData", [&] {
    VnTrace(VN_TEXT("TVantorMidi::全データの削除"));
    ReleaseSong(nullptr);
    FDataList.clear();
  });
}

void TVantorMidi::ReleaseSong(const TVantorMidiData* song) {
  bool playing;
  {
    std::lock_guard lock(FSequenceLock);
    if (!FData || (song && FData != song)) return;
    playing = FPlaying;
  }
  if (playing) Stop();
  // Even when the thread did not acknowledge the stop in time it must never
  // read the song again.
  std::lock_guard lock(FSequenceLock);
  FPlaying = false;
  FStopRequest = false;
  FData = nullptr;
}

void TVantorMidi::WndProc(platform::Message& message) {
  RunMethod("TVantorMidi::WndProc", [&] {
    if (message.id == kMidiStartMessage) {
      if (OnMidiStart) OnMidiStart(this);
    } else if (message.id == kMidiEndMessage) {
      if (OnMidiEnd) OnMidiEnd(this);
      // A song started after this one ended has reset the sequencer itself;
      // resetting it again would throw the new song back to tick 0 and the
      // default tempo.
      std::lock_guard lock(FSequenceLock);
      if (message.wparam == FSongNumber) ResetLocked();
    }
  });
}

void Register() { platform::RegisterComponent("Vantor", "TVantorMidi"); }

}  // namespace VantorMidiSystem
