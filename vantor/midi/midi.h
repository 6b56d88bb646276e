#pragma once
// TVantorMidi: the MIDI music component. It loads Standard MIDI Files into a
// registry of named songs, plays one of them at a time with its own sequencer
// thread (tempo, loop markers, fade-out), serves a queue of the program's own
// channel messages, keeps a per-channel report and selects GS effects.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/app.h"
#include "platform/clock.h"
#include "platform/midi.h"
#include "vantor/midi/play_thread.h"
#include "vantor/midi/song.h"
#include "vantor/system/autoptr.h"
#include "vantor/system/component.h"

namespace VantorMidiSystem {

struct TVantorMidiChannel {
  uint8_t Level;  // highest note-on velocity seen, decaying by 4 per pass
  uint8_t Program;
  uint8_t Volume;
  uint8_t Pan;
  uint8_t Expression;
  uint8_t Reverb;
  uint8_t Chorus;
  uint8_t Delay;
};

constexpr int kMidiChannels = 16;

enum TMidiReset : uint8_t { mrGM = 0, mrGS = 1 };

// The ordinals are the GS macro numbers.
enum TGSReverb : uint8_t {
  grRoom1, grRoom2, grRoom3, grHall1, grHall2, grPlate, grDelay, grPanningDelay
};
enum TGSChorus : uint8_t {
  gcChorus1, gcChorus2, gcChorus3, gcChorus4, gcFeedbackChorus, gcFlanger, gcShortDelay,
  gcShortDelayFB
};
enum TGSDelay : uint8_t {
  gdDelay1, gdDelay2, gdDelay3, gdDelay4, gdPanDelay1, gdPanDelay2, gdPanDelay3, gdPanDelay4,
  gdDelayToReverb, gdPanRepeat
};

using TNotifyEvent = std::function<void(TComponent* sender)>;

// Messages handled by the component's window. The end message carries the
// number of the song it ends in its first parameter.
constexpr uint32_t kUserMessage = 0x0400;
constexpr uint32_t kMidiStartMessage = kUserMessage + 30;
constexpr uint32_t kMidiEndMessage = kUserMessage + 32;

// A note-on with this duration gets no automatic note-off.
constexpr uint32_t kEndlessNote = 0xFFFFFFFF;

class TVantorMidi : public TComponent {
 public:
  explicit TVantorMidi(TComponent* owner);
  ~TVantorMidi() override;

  // Published properties.
  bool GetReport() const { return FReport.load(std::memory_order_relaxed); }
  void SetReport(bool report);
  TNotifyEvent OnMidiStart;
  TNotifyEvent OnMidiEnd;

  // Opens the output. A synthesizer may go on loading its SoundFont after
  // Init returns: GetReady says when it plays what it is sent, and the
  // operations that send (Play, MidiReset, the GS effects) wait for it.
  void Init();
  void CleanUp();
  bool GetReady();
  void WaitReady();

  // The song registry; none of these needs Init.
  void CreateData(const AnsiString& name, const AnsiString& fileName);
  TVantorMidiData* GetSMFData(const AnsiString& name);
  void DeleteData(const AnsiString& name);
  void DeleteAllData();

  // Playback (owner's thread).
  void Play(const AnsiString& name, bool loop);
  void Stop();
  void SetFadeOut(int ms);
  // Paused, the sequencer's clock stands still: the song (and the queue of
  // the program's own messages) waits at its tick, sounding notes are
  // released, and resuming goes on from the same tick without catching up.
  // A song started while paused waits too.
  void SetPaused(bool paused);
  bool GetPaused();
  void Reset();
  uint32_t GetDeltaTime();
  uint32_t GetMusicTempo();
  void WndProc(platform::Message& message);

  // The sequencer. SequencerPass is one pass of the thread at the clock's
  // current time (a pass at a time already passed does nothing); the thread
  // runs it every 10 ms of the platform's clock. SmfPlay plays `elapsed`
  // milliseconds of the song, Repeat jumps back to the loop start.
  void SequencerPass();
  void SmfPlay(uint32_t elapsed);
  void Repeat();

  // Output.
  void ShortMsg(const TShortMessage& message);
  void LongMsg(const TLongMessage& message);
  void NoteOn(uint8_t channel, uint8_t note, uint8_t velocity, uint32_t duration);
  void NoteOff(uint8_t channel, uint8_t note);
  void ControlChange(uint8_t channel, uint8_t controller, uint8_t value);
  void ProgramChange(uint8_t channel, uint8_t program);
  void ChannelPressure(uint8_t channel, uint8_t value);
  void PitchBend(uint8_t channel, uint8_t value);
  void UserPlay(uint32_t elapsed);
  void GetChannelData(TVantorMidiChannel* channels);
  void MidiReset(TMidiReset kind);
  void SetGSReverb(TGSReverb reverb);
  void SetGSChorus(TGSChorus chorus);
  void SetGSDelay(TGSDelay delay);

 private:
  // The callers of these hold FSequenceLock.
  void SmfPlayLocked(uint32_t elapsed);
  void RepeatLocked();
  void ResetLocked();
  void PostEnd();
  void SnapshotChannels();
  bool PlayMetaEvents();

  void QueueImmediate(uint8_t status, uint8_t data1, uint8_t data2);
  void SendGS(uint8_t address, uint8_t value, uint8_t checksumBase);
  void RequireInitialized() const;
  // Stops `song` (any song when null) and forgets it, before it is destroyed.
  void ReleaseSong(const TVantorMidiData* song);

  platform::Clock* FClock;
  std::atomic<bool> FReport{true};
  bool FInitialized = false;
  std::unique_ptr<platform::MidiOut> FMidiOut;

  // Guards the sequencer state below; held for a whole pass of the thread.
  // Lock order: FSequenceLock, then FQueueLock, then FReportLock.
  std::mutex FSequenceLock;
  std::condition_variable FStopEvent;
  bool FPlaying = false;
  bool FStopRequest = false;
  bool FLoop = false;
  bool FPaused = false;
  std::atomic<int32_t> FFadeTime{0};
  uint32_t FFadeCount = 0;  // never reset; unsigned so that it wraps
  float FFadeVolume = 0;
  float FFadeStep = 0;
  uint32_t FTempo = 500000;
  uint32_t FTickRemainder = 0;
  uint32_t FTickPosition = 0;
  uint32_t FRepeatStart = 0;
  uint32_t FPassTime = 0;
  // Counts the songs started, so an end message names the song it ends.
  uint32_t FSongNumber = 0;
  TVantorMidiData* FData = nullptr;
  TShortMessageList::const_iterator FShortCursor;
  TLongMessageList::const_iterator FLongCursor;
  TMetaEventList::const_iterator FMetaCursor;

  // Guards FChannels and FChannelReport.
  std::mutex FReportLock;
  TVantorMidiChannel FChannels[kMidiChannels] = {};
  TVantorMidiChannel FChannelReport[kMidiChannels] = {};

  std::mutex FQueueLock;
  TShortMessageList FUserQueue;

  std::map<AnsiString, VantorSystem::TVantorAutoPtr<TVantorMidiData>> FDataList;
  std::unique_ptr<platform::MessageWindow> FWindow;
  std::unique_ptr<TVantorMidiPlayThread> FPlayThread;
};

// Registers TVantorMidi on the component palette page "Vantor".
void Register();

}  // namespace VantorMidiSystem
