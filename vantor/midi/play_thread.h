#pragma once
// TVantorMidiPlayThread: the sequencer thread of TVantorMidi. It runs one
// pass of its owner every interval at the highest priority the system allows,
// from the owner's construction to its destruction.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace VantorMidiSystem {

class TVantorMidi;

class TVantorMidiPlayThread {
 public:
  TVantorMidiPlayThread(TVantorMidi* owner, uint32_t interval);
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
  uint32_t FInterval;
  std::mutex FMutex;
  std::condition_variable FWakeUp;
  bool FTerminated = false;
  bool FWakeRequested = false;
  std::thread FThread;
};

}  // namespace VantorMidiSystem
