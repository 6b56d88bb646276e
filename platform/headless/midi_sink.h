#pragma once
// The headless MIDI sinks: a recording sink (the default) that keeps every
// message with the clock time it was sent at, a null sink that drops them,
// an unavailable output (Open fails) and the real synthesizer, loading its
// SoundFont in the background and mixed into the headless sound output as
// the real sink is into the real one (it records nothing).
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/midi.h"
#include "platform/sound.h"

namespace platform::headless {

struct MidiRecord {
  enum class Kind { Open, Close, Reset, Short, Long };
  Kind kind;
  uint32_t time;               // the clock's milliseconds when it was sent
  std::vector<uint8_t> bytes;  // Short: status and both data bytes; Long: the block
  bool operator==(const MidiRecord&) const = default;
};

// Opens the real synthesizer playing `soundFont` (empty: the one the game
// would find) into `sound`; null when it cannot.
using SynthesizerOpener = std::unique_ptr<MidiOut> (*)(const std::string& soundFont, SoundSystem& sound);

class HeadlessMidi final : public MidiSystem {
 public:
  enum class Sink { Recording, Null, Unavailable, Synthesizer };

  // Without `openSynthesizer` the synthesizer sink is unavailable.
  HeadlessMidi(Clock& clock, SoundSystem& sound, SynthesizerOpener openSynthesizer = nullptr);
  ~HeadlessMidi() override;

  std::unique_ptr<MidiOut> Open() override;

  // Takes effect at the next Open. The synthesizer plays `soundFont`, or the
  // SoundFont the game would find when it is empty.
  void Use(Sink sink, std::string soundFont = {});
  // The next `attempts` long messages sent are answered "not ready".
  void RefuseLongMessages(int attempts);
  // Outputs are still starting (as a synthesizer loading its SoundFont)
  // until let go; the recording and null sinks are ready at once otherwise.
  void HoldStarting(bool held);

  std::vector<MidiRecord> Records() const;
  void ClearRecords();
  bool IsOpen() const;

 private:
  friend class HeadlessMidiOut;
  bool Starting() const;
  void WaitUntilStarted();
  void Record(MidiRecord::Kind kind, const uint8_t* bytes, size_t length);
  MidiResult LongMessage(const uint8_t* bytes, size_t length);
  void Closed();

  Clock& clock_;
  SoundSystem& sound_;
  SynthesizerOpener openSynthesizer_;
  mutable std::mutex mutex_;
  std::condition_variable started_;
  bool held_ = false;
  Sink sink_ = Sink::Recording;
  std::string soundFont_;
  bool open_ = false;
  int refusals_ = 0;
  std::vector<MidiRecord> records_;
};

}  // namespace platform::headless
