#pragma once
// TVantorMidiPlayThread: the sequencer thread of TVantorMidi. It runs one
// pass of its owner every interval of the platform's clock at the highest
// priority the system allows, from the owner's construction to its
// destruction. On the headless backend's virtual clock the passes are thus
// stepped by whoever moves the clock.
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/clock.h"

namespace VantorMidiSystem {

class TVantorMidi;

class TVantorMidiPlayThread {
 public:
  TVantorMidiPlayThread(TVantorMidi* owner, platform::Clock& clock, uint32_t interval);
  // Terminates the thread and waits for it.
  ~TVantorMidiPlayThread();
  TVantorMidiPlayThread(const TVantorMidiPlayThread&) = delete;
  TVantorMidiPlayThread& operator=(const TVantorMidiPlayThread&) = delete;

  // Starts the thread (it is created suspended).
  void Resume();
  // Cuts the current sleep short so a waiting request is served at once.
  void Wake();

 private:
  void Execute();

  TVantorMidi* FOwner;
  platform::Clock& FClock;
  uint32_t FInterval;
  std::unique_ptr<platform::ClockTimer> FTimer;
  std::atomic<bool> FTerminated{false};
  std::thread FThread;
};

}  // namespace VantorMidiSystem
