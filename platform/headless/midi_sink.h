#pragma once
// The headless MIDI sinks: a recording sink (the default) that keeps every
// message with the clock time it was sent at, a null sink that drops them,
// an unavailable output (Open fails) and the real synthesizer rendering
// offline, on demand, into the caller's buffer.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/midi.h"

namespace platform::sdl {
class FluidSynthesizer;
}

namespace platform::headless {

struct MidiRecord {
  enum class Kind { Open, Close, Reset, Short, Long };
  Kind kind;
  uint32_t time;               // the clock's milliseconds when it was sent
  std::vector<uint8_t> bytes;  // Short: status and both data bytes; Long: the block
  bool operator==(const MidiRecord&) const = default;
};

class HeadlessMidi final : public MidiSystem {
 public:
  enum class Sink { Recording, Null, Unavailable, Synthesizer };

  explicit HeadlessMidi(Clock& clock);
  ~HeadlessMidi() override;

  std::unique_ptr<MidiOut> Open() override;

  // Takes effect at the next Open.
  void Use(Sink sink);
  // The next `attempts` long messages sent are answered "not ready".
  void RefuseLongMessages(int attempts);

  std::vector<MidiRecord> Records() const;
  void ClearRecords();
  bool IsOpen() const;
  // The synthesizer sink: renders `frames` frames of interleaved stereo of
  // what it was sent. False when no synthesizer is open.
  bool RenderSynthesizer(float* stereo, int frames);

 private:
  friend class HeadlessMidiOut;
  void Record(MidiRecord::Kind kind, const uint8_t* bytes, size_t length);
  MidiResult LongMessage(const uint8_t* bytes, size_t length);
  void Closed();

  Clock& clock_;
  mutable std::mutex mutex_;
  Sink sink_ = Sink::Recording;
  bool open_ = false;
  int refusals_ = 0;
  std::vector<MidiRecord> records_;
  sdl::FluidSynthesizer* synth_ = nullptr;  // owned by the open output
};

}  // namespace platform::headless
