#include <algorithm>
#include <chrono>
#include <strings.h>

#include "vantor/midi/midi.h"
#include "vantor/system/frame.h"

namespace VantorMidiSystem {

using VantorSystem::EVnMidi;
using VantorSystem::RunMethod;

namespace {

constexpr uint32_t kDefaultTempo = 500000;
constexpr uint8_t kTempoEvent = 0x51;
constexpr uint8_t kVolumeController = 7;
// Fade volume steps go out on every 32nd pass, about a third of a second apart.
constexpr uint32_t kFadeStepPasses = 32;
constexpr auto kStopTimeout = std::chrono::milliseconds(1000);

// Loop points: a meta event of `type` whose text is `start` or `end`
// (letter case ignored).
struct LoopMark {
  uint8_t type;
  const char* start;
  const char* end;
};
constexpr LoopMark kLoopMarks[] = {
    {0x06, "RepeatStart", "RepeatEnd"},  // marker
    {0x07, "repeat", "end"},             // cue point
};

constexpr TVantorMidiChannel kResetChannel{0, 0, 100, 64, 127, 40, 0, 0};

bool Due(int32_t eventTime, uint32_t position) { return static_cast<uint32_t>(eventTime) <= position; }
bool Due(uint32_t eventTime, uint32_t position) { return eventTime <= position; }

}  // namespace

void TVantorMidi::SequencerPass() {
  std::lock_guard lock(FSequenceLock);
  const uint32_t now = FClock->Milliseconds();
  const uint32_t elapsed = now - FPassTime;
  FPassTime = now;
  // A pass in which no time has passed would only repeat the last one (and
  // count towards fade steps and level decay); on the virtual clock that
  // happens when Stop wakes the thread at the time of its last pass.
  // Paused, the pass still takes the time, so resuming does not catch up.
  const bool clockRuns = elapsed != 0 && !FPaused;
  if (clockRuns && FPlaying) SmfPlayLocked(elapsed);
  if (FStopRequest) {
    const bool playing = FPlaying;
    FPlaying = false;
    FStopRequest = false;
    FStopEvent.notify_all();
    // A song that ended by itself in this pass has posted its end already.
    if (playing) PostEnd();
  }
  // The program's own messages wait in the queue for an output still
  // starting (without an output they are served, and lost).
  if (clockRuns && (!FMidiOut || FMidiOut->Ready())) UserPlay(elapsed);
}

void TVantorMidi::SmfPlay(uint32_t elapsed) {
  std::lock_guard lock(FSequenceLock);
  if (FPlaying) SmfPlayLocked(elapsed);
}

void TVantorMidi::SmfPlayLocked(uint32_t elapsed) {
  // A tempo below 1000 microseconds per quarter note still counts as 1 ms,
  // so the division below never divides by zero.
  const uint32_t msPerQuarter = std::max<uint32_t>(FTempo / 1000, 1);
  FTickRemainder += elapsed * static_cast<uint32_t>(FData->Division);
  FTickPosition += FTickRemainder / msPerQuarter;
  FTickRemainder %= msPerQuarter;

  if (GetReport()) {
    std::lock_guard lock(FReportLock);
    for (TVantorMidiChannel& channel : FChannels)
      channel.Level = channel.Level <= 4 ? 0 : static_cast<uint8_t>(channel.Level - 4);
  }

  if (!PlayMetaEvents()) return;
  while (FLongCursor != FData->LongMessages.end() && Due(FLongCursor->Time, FTickPosition))
    LongMsg(*FLongCursor++);
  while (FShortCursor != FData->ShortMessages.end() && Due(FShortCursor->Time, FTickPosition))
    ShortMsg(*FShortCursor++);

  if (FFadeTime != 0) {
    FFadeVolume -= static_cast<float>(elapsed) * FFadeStep;
    if (FFadeCount % kFadeStepPasses == 0 && FFadeVolume >= 0) {
      uint8_t volumes[kMidiChannels];
      {
        std::lock_guard lock(FReportLock);
        for (int c = 0; c < kMidiChannels; ++c) volumes[c] = FChannels[c].Volume;
      }
      for (int c = 0; c < kMidiChannels; ++c)
        ShortMsg({0, static_cast<uint8_t>(0xB0 | c), kVolumeController,
                  static_cast<uint8_t>(volumes[c] * FFadeVolume)});
    }
    FFadeTime -= static_cast<int32_t>(elapsed);
    ++FFadeCount;
    if (FFadeTime <= 0) {
      FPlaying = false;
      PostEnd();
    }
  }

  if (GetReport()) SnapshotChannels();

  // A song ended by its fade in this pass is not ended (or looped) twice.
  if (FPlaying && FMetaCursor == FData->MetaEvents.end() &&
      FLongCursor == FData->LongMessages.end() && FShortCursor == FData->ShortMessages.end()) {
    if (FLoop) {
      RepeatLocked();
    } else {
      FPlaying = false;
      PostEnd();
    }
  }
}

// Acts on the due meta events; false when a loop end jumped back, which ends
// the pass.
bool TVantorMidi::PlayMetaEvents() {
  for (; FMetaCursor != FData->MetaEvents.end() && Due(FMetaCursor->Time, FTickPosition);
       ++FMetaCursor) {
    const TMetaEvent& event = *FMetaCursor;
    if (event.Type == kTempoEvent) {
      FTempo = static_cast<uint32_t>(event.Value);
      continue;
    }
    for (const LoopMark& mark : kLoopMarks) {
      if (mark.type != event.Type) continue;
      if (strcasecmp(event.Text.c_str(), mark.start) == 0) {
        FRepeatStart = static_cast<uint32_t>(event.Time);
      } else if (FLoop && strcasecmp(event.Text.c_str(), mark.end) == 0) {
        RepeatLocked();
        return false;
      }
    }
  }
  return true;
}

void TVantorMidi::Repeat() {
  std::lock_guard lock(FSequenceLock);
  if (FData) RepeatLocked();
}

void TVantorMidi::RepeatLocked() {
  FTickPosition = 0;
  FShortCursor = FData->ShortMessages.begin();
  FLongCursor = FData->LongMessages.begin();
  FMetaCursor = FData->MetaEvents.begin();
  if (FRepeatStart == 0) return;

  // Nothing is sent at the jump; only the tempo of the skipped part counts.
  FTickPosition = FRepeatStart;
  for (; FMetaCursor != FData->MetaEvents.end() &&
         static_cast<uint32_t>(FMetaCursor->Time) < FRepeatStart;
       ++FMetaCursor)
    if (FMetaCursor->Type == kTempoEvent) FTempo = static_cast<uint32_t>(FMetaCursor->Value);
  while (FLongCursor != FData->LongMessages.end() && FLongCursor->Time < FRepeatStart)
    ++FLongCursor;
  while (FShortCursor != FData->ShortMessages.end() && FShortCursor->Time < FRepeatStart)
    ++FShortCursor;
}

void TVantorMidi::Reset() {
  RunMethod("TVantorMidi::Reset", [&] {
    std::lock_guard lock(FSequenceLock);
    ResetLocked();
  });
}

void TVantorMidi::ResetLocked() {
  FTickPosition = 0;
  FTickRemainder = 0;
  FFadeTime = 0;
  FRepeatStart = 0;
  FTempo = kDefaultTempo;
  std::lock_guard lock(FReportLock);
  for (TVantorMidiChannel& channel : FChannels) {
    const uint8_t program = channel.Program;
    channel = kResetChannel;
    channel.Program = program;
  }
  std::copy(std::begin(FChannels), std::end(FChannels), FChannelReport);
}

void TVantorMidi::SnapshotChannels() {
  std::lock_guard lock(FReportLock);
  std::copy(std::begin(FChannels), std::end(FChannels), FChannelReport);
}

void TVantorMidi::PostEnd() { FWindow->Post(kMidiEndMessage, FSongNumber, 0); }

void TVantorMidi::Play(const AnsiString& name, bool loop) {
  RunMethod("TVantorMidi::Play", [&] {
    RequireInitialized();
    // A song started on an output still starting would lose its first notes.
    FMidiOut->WaitUntilReady();
    std::lock_guard lock(FSequenceLock);
    if (FPlaying) return;
    auto entry = FDataList.find(name);
    if (entry == FDataList.end())
      throw EVnMidi(VN_TEXT("データが存在しません。\nデータ名：") + name);
    ResetLocked();
    FLoop = loop;
    FData = entry->second.get();
    FShortCursor = FData->ShortMessages.begin();
    FLongCursor = FData->LongMessages.begin();
    FMetaCursor = FData->MetaEvents.begin();
    ++FSongNumber;
    MidiReset(mrGM);
    FPlaying = true;
    FWindow->Post(kMidiStartMessage, FSongNumber, 0);
  });
}

void TVantorMidi::Stop() {
  RunMethod("TVantorMidi::Stop", [&] {
    RequireInitialized();
    {
      std::unique_lock lock(FSequenceLock);
      if (FPlaying) {
        // The thread ends the song between passes, so the device is never
        // reset in the middle of one.
        FStopRequest = true;
        FPlayThread->Wake();
        FStopEvent.wait_for(lock, kStopTimeout, [this] { return !FStopRequest; });
      }
      FFadeTime = 0;
    }
    FMidiOut->Reset();
  });
}

void TVantorMidi::SetFadeOut(int ms) {
  RunMethod("TVantorMidi::SetFadeOut", [&] {
    RequireInitialized();
    // A negative time would make the factor grow past 1 and the scaled
    // volumes overflow their byte; like 0 it fades nothing.
    if (ms <= 0) return;
    std::lock_guard lock(FSequenceLock);
    if (FFadeTime != 0) return;
    FFadeVolume = 1.0f;
    FFadeStep = 1.0f / static_cast<float>(ms);
    FFadeTime = ms;
  });
}

void TVantorMidi::SetPaused(bool paused) {
  RunMethod("TVantorMidi::SetPaused", [&] {
    RequireInitialized();
    // Under the sequence lock no pass is half done: no note of the song
    // comes after the release.
    std::lock_guard lock(FSequenceLock);
    if (FPaused == paused) return;
    FPaused = paused;
    if (paused) FMidiOut->Reset();
  });
}

bool TVantorMidi::GetPaused() {
  return RunMethod("TVantorMidi::GetPaused", [&] {
    std::lock_guard lock(FSequenceLock);
    return FPaused;
  });
}

uint32_t TVantorMidi::GetDeltaTime() {
  return RunMethod("TVantorMidi::GetDeltaTime", [&] {
    std::lock_guard lock(FSequenceLock);
    return FTickPosition;
  });
}

uint32_t TVantorMidi::GetMusicTempo() {
  return RunMethod("TVantorMidi::GetMusicTempo", [&] {
    std::lock_guard lock(FSequenceLock);
    return FTempo;
  });
}

}  // namespace VantorMidiSystem
