#pragma once
// The MIDI sink: the default MIDI output of the machine. The MIDI component
// opens it once, sends channel messages as 32-bit words and system-exclusive
// messages as byte blocks, and resets it to silence every note. A sink is
// called from the owner's thread and from the sequencer thread at once, so
// every implementation serialises its own operations.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

enum class MidiResult {
  Ok,
  NotReady,  // the sink is busy with a long message; the caller may send again
  Failed,
};

// An open output. Destroying it closes it.
class MidiOut {
 public:
  virtual ~MidiOut() = default;
  // Every note off on every channel.
  virtual void Reset() = 0;
  // Status in bits 0-7, first data byte in bits 8-15, second in bits 16-23.
  virtual MidiResult ShortMessage(uint32_t word) = 0;
  // A whole system-exclusive message, F0 (or F7) first.
  virtual MidiResult LongMessage(const uint8_t* bytes, size_t length) = 0;

  // An output may still be starting when it is opened (a synthesizer loading
  // its SoundFont): until it is ready it takes every message and plays none.
  // Ready is safe from any thread; WaitUntilReady blocks until it is.
  virtual bool Ready() { return true; }
  virtual void WaitUntilReady() {}
};

class MidiSystem {
 public:
  virtual ~MidiSystem() = default;
  // Opens the default output, which may still be starting; null when there
  // is none to open.
  virtual std::unique_ptr<MidiOut> Open() = 0;
};

}  // namespace platform
