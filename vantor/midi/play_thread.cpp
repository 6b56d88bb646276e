#include "vantor/midi/play_thread.h"

#include <chrono>

#include "platform/processor.h"
#include "vantor/midi/midi.h"

namespace VantorMidiSystem {

TVantorMidiPlayThread::TVantorMidiPlayThread(TVantorMidi* owner, uint32_t interval)
    : FOwner(owner), FInterval(interval) {}

TVantorMidiPlayThread::~TVantorMidiPlayThread() {
  {
    std::lock_guard lock(FMutex);
    FTerminated = true;
  }
  FWakeUp.notify_all();
  if (FThread.joinable()) FThread.join();
}

void TVantorMidiPlayThread::Resume() { FThread = std::thread([this] { Execute(); }); }

void TVantorMidiPlayThread::Wake() {
  {
    std::lock_guard lock(FMutex);
    FWakeRequested = true;
  }
  FWakeUp.notify_all();
}

void TVantorMidiPlayThread::Execute() {
  platform::SetCurrentThreadPriority(platform::ThreadPriority::TimeCritical);
  std::unique_lock lock(FMutex);
  while (!FTerminated) {
    // The pass runs without this thread's own lock, so that Wake and the
    // destructor never wait for a pass.
    lock.unlock();
    FOwner->SequencerPass();
    lock.lock();
    FWakeUp.wait_for(lock, std::chrono::milliseconds(FInterval),
                     [this] { return FTerminated || FWakeRequested; });
    FWakeRequested = false;
  }
}

}  // namespace VantorMidiSystem
