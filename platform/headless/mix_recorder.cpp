#include "platform/headless/mix_recorder.h"

#include "platform/sdl/sound_mixer.h"

namespace platform::headless {

MixRecorder::MixRecorder(VirtualClock& clock, HeadlessSoundSystem& sound, Sink sink)
    : clock_(clock), sound_(sound), sink_(std::move(sink)), last_(clock.Milliseconds()) {
  clock_.OnStep([this](uint32_t to) { Step(to); });
}

MixRecorder::~MixRecorder() { clock_.OnStep(nullptr); }

void MixRecorder::Step(uint32_t to) {
  elapsedMs_ += to - last_;
  last_ = to;
  // Whole frames of the time since the start, so no fraction is lost between
  // steps (44.1 frames a millisecond).
  const uint64_t due = elapsedMs_ * sdl::kMixFormat.samplesPerSec / 1000;
  const uint32_t count = static_cast<uint32_t>(due - frames_);
  if (count == 0) return;
  block_.resize(size_t{count} * sdl::kMixFormat.channels);
  sound_.RenderMix(block_.data(), count);
  frames_ = due;
  sink_(block_.data(), count);
}

}  // namespace platform::headless
