#include "game/frame_pacer.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "vantor/system/frame.h"

namespace game {
namespace {

constexpr int kFramesPerSecond = 30;
constexpr uint32_t kSecond = 1000;
// Milliseconds of work a frame is allowed beyond the longest of the last second.
constexpr uint32_t kWorkMargin = 2;

}  // namespace

int RefreshesPerFrame(int hz) {
  if (hz < kFramesPerSecond - 1) return 0;
  const int n = (hz + kFramesPerSecond / 2) / kFramesPerSecond;
  return std::abs(hz - n * kFramesPerSecond) <= 1 ? n : 0;
}

FramePacer::FramePacer(platform::Clock& clock, platform::DisplaySync& display) : clock_(clock), display_(display) {}

void FramePacer::Start() {
  firstFrame_ = true;
  counting_ = false;
  decided_ = false;
}

void FramePacer::Decide(platform::VSync choice) {
  if (choice != choice_) syncFailed_ = false;
  choice_ = choice;
  decided_ = true;
  rate_ = display_.RefreshRate();
  const int n = choice == platform::VSync::Off || syncFailed_ ? 0 : RefreshesPerFrame(rate_);
  const bool wanted = choice == platform::VSync::On || n > 0;
  if (!syncAsked_ || wanted != syncWanted_) {
    syncAsked_ = true;
    syncWanted_ = wanted;
    syncOn_ = display_.SetVSync(wanted);
  }
  const int refreshes = syncOn_ ? n : 0;
  if (refreshes != refreshes_) {
    counting_ = false;
    reserved_ = 0;
  }
  refreshes_ = refreshes;
}

uint32_t FramePacer::CountRefreshes() {
  const uint32_t now = clock_.Milliseconds();
  const uint64_t elapsed = now - lastPresent_;
  lastPresent_ = now;
  const auto refreshes = static_cast<uint32_t>((elapsed * uint64_t(rate_) + kSecond / 2) / kSecond);
  ++presents_;
  if (refreshes == 0) ++early_;
  return refreshes;
}

void FramePacer::Repeat(int shown) {
  for (int i = 0; i < refreshes_; ++i) {
    // Refreshes over since the last present, rounded down: the one under
    // way has not ended.
    const auto over = static_cast<int>(uint64_t(clock_.Milliseconds() - lastPresent_) * rate_ / kSecond);
    if (int(shown_) + over >= shown) return;
    display_.WaitVSync();
    shown_ += CountRefreshes();
  }
}

void FramePacer::Pace(platform::VSync choice) {
  if (!decided_ || choice != choice_) Decide(choice);
  if (refreshes_ > 0) {
    // The frame's picture went up as its present came back, just now: the
    // picture before it stayed for the refreshes counted so far and those
    // that passed since.
    if (counting_) {
      const uint32_t stayed = shown_ + CountRefreshes();
      if (stayed > uint32_t(refreshes_)) second_.missed += stayed - refreshes_;
    } else {
      lastPresent_ = clock_.Milliseconds();
      counting_ = true;
    }
    shown_ = 0;
    // The new frame starts as late as its work allows: the refreshes that
    // work takes stay free before its picture is due.
    Repeat(refreshes_ - 1 - reserved_);
  }
  if (!firstFrame_) clock_.WaitUntil(frameStart_ + kFrameMilliseconds);
  const uint32_t now = clock_.Milliseconds();
  if (firstFrame_) {
    firstFrame_ = false;
    secondStart_ = now;
  } else {
    const uint32_t interval = now - frameStart_;
    second_.shortest = second_.frames ? std::min(second_.shortest, interval) : interval;
    second_.longest = second_.frames ? std::max(second_.longest, interval) : interval;
    ++second_.frames;
  }
  frameStart_ = now;
  if (now - secondStart_ >= kSecond) EndSecond(now);
}

void FramePacer::WaitToPresent() {
  if (refreshes_ == 0 || !counting_) return;
  // Longer work keeps more refreshes free from the next frame on.
  longestWork_ = std::max(longestWork_, clock_.Milliseconds() - frameStart_);
  reserved_ = std::max(reserved_, Reserve(longestWork_));
  // A frame done early waits out the refreshes kept free for it.
  Repeat(refreshes_ - 1);
}

int FramePacer::Reserve(uint32_t work) const {
  const auto refreshes = static_cast<int>(uint64_t(work + kWorkMargin) * rate_ / kSecond);
  return std::min(refreshes_ - 1, refreshes);
}

void FramePacer::EndSecond(uint32_t now) {
  if (VantorDebugSystem::TVantorDebug::GetDebug()) {
    std::string line = "frame pacing: " + std::to_string(second_.frames) + " frames, " +
                       std::to_string(second_.shortest) + "-" + std::to_string(second_.longest) + " ms apart, " +
                       std::to_string(second_.missed) + " refreshes missed (";
    if (refreshes_ > 0)
      line += "vertical sync, " + std::to_string(refreshes_) + " refreshes of " + std::to_string(rate_) + " Hz a frame)";
    else if (rate_ > 0)
      line += "clock, display at " + std::to_string(rate_) + " Hz)";
    else
      line += "clock, display rate unknown)";
    VantorSystem::VnTrace(line);
  }
  if (refreshes_ > 0) {
    // Most presents came back without waiting: the sync does not wait for
    // the display's blanks, and presenting again is only wasted work.
    if (early_ * 2 > presents_) syncFailed_ = true;
    // The next second keeps free what this one's longest work took.
    reserved_ = Reserve(longestWork_);
  }
  longestWork_ = 0;
  // The rate is read again: the window may have moved to another display.
  decided_ = false;
  second_ = {};
  presents_ = early_ = 0;
  secondStart_ = now;
}

}  // namespace game
