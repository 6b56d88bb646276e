#include "vantor/midi/play_thread.h"

#include "platform/processor.h"
#include "vantor/midi/midi.h"

namespace VantorMidiSystem {

TVantorMidiPlayThread::TVantorMidiPlayThread(TVantorMidi* owner, platform::Clock& clock, uint32_t interval)
    : FOwner(owner), FClock(clock), FInterval(interval), FTimer(clock.CreateTimer()) {}

TVantorMidiPlayThread::~TVantorMidiPlayThread() {
  FTerminated = true;
  FTimer->Wake();
  if (FThread.joinable()) FThread.join();
}

void TVantorMidiPlayThread::Resume() { FThread = std::thread([this] { Execute(); }); }

void TVantorMidiPlayThread::Wake() { FTimer->Wake(); }

void TVantorMidiPlayThread::Execute() {
  platform::SetCurrentThreadPriority(platform::ThreadPriority::TimeCritical);
  platform::NameCurrentThread("midi sequencer");
  while (!FTerminated) {
    // The next pass is due one interval after this one started.
    const uint32_t start = FClock.Milliseconds();
    FOwner->SequencerPass();
    FTimer->WaitUntil(start + FInterval);
  }
}

}  // namespace VantorMidiSystem
