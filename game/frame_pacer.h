#pragma once
// Frame pacing: when the next frame may start, and when its picture may go
// out. A frame starts no sooner than 33 ms after the previous one, and a late
// frame is followed at once, with no catch-up. Where the display refreshes at
// a whole multiple of 30 Hz (60, 120 ... within 1 Hz), the pictures go out
// with vertical sync and every frame lasts the same whole number of refreshes
// (two at 60 Hz): between frames the picture on the screen is presented
// again, once per refresh. There is no refresh counter to read; the refreshes
// are counted from the time between presents, each of which waits for one.
// Elsewhere (other rates, an unknown rate, no sync) the clock alone paces.
#include <cstdint>

#include "platform/display.h"

namespace platform {
class Clock;
}

namespace game {

// Frames start no sooner than this many milliseconds after the previous one.
constexpr uint32_t kFrameMilliseconds = 33;

// How many refreshes of a display of `hz` make one frame: n where `hz` is
// within 1 Hz of n x 30, else 0.
int RefreshesPerFrame(int hz);

// What the frames of a stretch of time (a second, for the debug log) did.
struct PacingRecord {
  uint32_t frames = 0;
  uint32_t shortest = 0, longest = 0;  // milliseconds from one frame's start to the next
  uint32_t missed = 0;                 // refreshes a picture stayed beyond its own
};

class FramePacer {
 public:
  FramePacer(platform::Clock& clock, platform::DisplaySync& display);

  // The next frame starts at once, wherever the clock stands.
  void Start();
  // Waits until the next frame may start. The previous frame's picture has
  // just been presented (or the frame ended early). Writes a line to the
  // debug log once a second while it is on.
  void Pace(platform::VSync choice);
  // Waits until the frame's finished picture may be presented: with
  // vertical sync, until the refresh before the one it is due on.
  void WaitToPresent();

  // Refreshes per frame with vertical sync; 0 while the clock paces.
  int Refreshes() const { return refreshes_; }

 private:
  // Reads the display's rate and turns vertical sync on or off for `choice`.
  void Decide(platform::VSync choice);
  // Counts the refreshes since the previous present, which returned at
  // lastPresent_, as one more present returns now.
  uint32_t CountRefreshes();
  // Presents the picture on the screen again until it has been shown for
  // `shown` refreshes.
  void Repeat(int shown);
  // Refreshes to keep free for `work` milliseconds of a frame.
  int Reserve(uint32_t work) const;
  // Closes the second that ends at `now`.
  void EndSecond(uint32_t now);

  platform::Clock& clock_;
  platform::DisplaySync& display_;
  platform::VSync choice_ = platform::VSync::Auto;
  bool decided_ = false;
  // What the display was asked for, and whether its presents now wait.
  bool syncAsked_ = false, syncWanted_ = false;
  bool syncOn_ = false;
  // The display's sync did not wait for the blanks: the clock paces until
  // the player chooses again.
  bool syncFailed_ = false;
  int rate_ = 0;
  int refreshes_ = 0;
  uint32_t frameStart_ = 0;
  bool firstFrame_ = true;
  // Vertical sync: when the last present returned, and for how many
  // refreshes the picture on the screen has been shown by then.
  uint32_t lastPresent_ = 0;
  uint32_t shown_ = 0;
  bool counting_ = false;
  // Refreshes kept free for a frame's work before its picture is due, for
  // the longest work of this second and the last.
  int reserved_ = 0;
  uint32_t longestWork_ = 0;
  // Presents in this second, and those that came back without waiting.
  uint32_t presents_ = 0, early_ = 0;
  uint32_t secondStart_ = 0;
  PacingRecord second_;
};

}  // namespace game
