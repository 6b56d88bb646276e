#pragma once
// What a headless run sounds like: the mix of the headless sound system (the
// effects and the synthesizer's music, through the same mixer and limiter as
// the real device) taken at the pace of the virtual clock. Before every step
// of the clock the frames of the time that step covers are mixed and handed
// on, so the same run always gives the same samples.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/headless/clock.h"
#include "platform/headless/sound_device.h"

namespace platform::headless {

class MixRecorder {
 public:
  // Receives interleaved 16-bit stereo frames at 44.1 kHz.
  using Sink = std::function<void(const int16_t* stereo, uint32_t frames)>;

  // Starts recording at the clock's current time.
  MixRecorder(VirtualClock& clock, HeadlessSoundSystem& sound, Sink sink);
  // Stops recording (the time since the last step is not recorded).
  ~MixRecorder();
  MixRecorder(const MixRecorder&) = delete;
  MixRecorder& operator=(const MixRecorder&) = delete;

  uint64_t Frames() const { return frames_; }

 private:
  void Step(uint32_t to);

  VirtualClock& clock_;
  HeadlessSoundSystem& sound_;
  Sink sink_;
  uint32_t last_;
  uint64_t elapsedMs_ = 0;
  uint64_t frames_ = 0;
  std::vector<int16_t> block_;
};

}  // namespace platform::headless
