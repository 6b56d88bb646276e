// Frame pacing on a simulated display: the virtual clock, and presents that
// wait for the display's next vertical blank while vertical sync is on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/frame_pacer.h"
#include "platform/headless/clock.h"
#include "vantor/system/debug.h"

namespace game {
namespace {

using platform::VSync;

// Refreshes at `milliHz` and reports `reportedHz`, as SDL reports whole
// hertz. `canSync`: the display offers vertical sync; `waits`: its presents
// really wait for the blank (some only claim to).
class SimulatedDisplay final : public platform::DisplaySync {
 public:
  SimulatedDisplay(platform::headless::VirtualClock& clock, int reportedHz, int milliHz, bool canSync, bool waits)
      : clock_(clock), reportedHz_(reportedHz), milliHz_(milliHz), canSync_(canSync), waits_(waits) {}

  int RefreshRate() override { return reportedHz_; }
  bool SetVSync(bool on) override {
    vsync_ = on && canSync_;
    return vsync_;
  }
  void WaitVSync() override { NextBlank(); }

  // A frame's present: the number of the blank it went up on (the clock
  // then stands there), or -1 when it went out at once.
  int64_t Present() { return vsync_ ? NextBlank() : -1; }
  bool VSyncOn() const { return vsync_; }

 private:
  // Blank k comes at k / rate, on the clock's next whole millisecond.
  uint32_t BlankTime(int64_t k) const { return uint32_t((k * 1000000 + milliHz_ - 1) / milliHz_); }
  int64_t NextBlank() {
    if (!vsync_ || !waits_) return -1;
    const uint32_t now = clock_.Milliseconds();
    int64_t k = int64_t(now) * milliHz_ / 1000000;
    while (BlankTime(k) <= now) ++k;
    clock_.WaitUntil(BlankTime(k));
    return k;
  }

  platform::headless::VirtualClock& clock_;
  const int reportedHz_, milliHz_;
  const bool canSync_, waits_;
  bool vsync_ = false;
};

// The frame pacing lines of the debug log `log`.
std::vector<std::string> PacingLines(const std::string& log) {
  std::ifstream in(log);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("frame pacing: ", 0) == 0) lines.push_back(line);
  return lines;
}

TEST(FramePacer, WholeRefreshesAtMultiplesOf30HzAndTheClockElsewhere) {
  struct Case {
    const char* display;
    int reportedHz, milliHz;
    VSync choice;
    bool canSync, waits;
    uint32_t work, lateWork;  // milliseconds of work of a frame, and of frame 40
    // Expected: presents with vertical sync at the end, refreshes per frame
    // (0: the clock paces), and the log's line for the second second.
    bool sync;
    int refreshes;
    const char* secondLine;
  };
  const Case cases[] = {
      {"60 Hz", 60, 60000, VSync::Auto, true, true, 2, 2, true, 2,
       "30 frames, 33-34 ms apart, 0 refreshes missed (vertical sync, 2 refreshes of 60 Hz a frame)"},
      {"60 Hz, one frame of 20 ms", 60, 60000, VSync::Auto, true, true, 2, 20, true, 2,
       "30 frames, 33-34 ms apart, 1 refreshes missed (vertical sync, 2 refreshes of 60 Hz a frame)"},
      {"60 Hz, every frame 20 ms", 60, 60000, VSync::Auto, true, true, 20, 20, true, 2,
       "30 frames, 33-34 ms apart, 0 refreshes missed (vertical sync, 2 refreshes of 60 Hz a frame)"},
      {"59.94 Hz, reported as 60", 60, 59940, VSync::Auto, true, true, 2, 2, true, 2,
       "30 frames, 33-34 ms apart, 0 refreshes missed (vertical sync, 2 refreshes of 60 Hz a frame)"},
      {"120 Hz", 120, 120000, VSync::Auto, true, true, 2, 2, true, 4,
       "30 frames, 33-34 ms apart, 0 refreshes missed (vertical sync, 4 refreshes of 120 Hz a frame)"},
      {"240 Hz, every frame 6 ms", 240, 240000, VSync::Auto, true, true, 6, 6, true, 8,
       "30 frames, 33-34 ms apart, 0 refreshes missed (vertical sync, 8 refreshes of 240 Hz a frame)"},
      {"62 Hz", 62, 62000, VSync::Auto, true, true, 2, 2, false, 0,
       "31 frames, 33-33 ms apart, 0 refreshes missed (clock, display at 62 Hz)"},
      {"75 Hz, one frame of 50 ms", 75, 75000, VSync::Auto, true, true, 2, 50, false, 0,
       "30 frames, 33-50 ms apart, 0 refreshes missed (clock, display at 75 Hz)"},
      {"144 Hz, one frame of 50 ms", 144, 144000, VSync::Auto, true, true, 2, 50, false, 0,
       "30 frames, 33-50 ms apart, 0 refreshes missed (clock, display at 144 Hz)"},
      {"rate unknown", 0, 60000, VSync::Auto, true, true, 2, 2, false, 0,
       "31 frames, 33-33 ms apart, 0 refreshes missed (clock, display rate unknown)"},
      {"60 Hz, vsync off", 60, 60000, VSync::Off, true, true, 2, 2, false, 0,
       "31 frames, 33-33 ms apart, 0 refreshes missed (clock, display at 60 Hz)"},
      {"60 Hz without sync", 60, 60000, VSync::Auto, false, true, 2, 2, false, 0,
       "31 frames, 33-33 ms apart, 0 refreshes missed (clock, display at 60 Hz)"},
      // Presents that come back at once: dropped after the first second.
      {"60 Hz, sync that does not wait", 60, 60000, VSync::Auto, true, false, 2, 2, false, 0,
       "31 frames, 33-33 ms apart, 0 refreshes missed (clock, display at 60 Hz)"},
      // On: no tearing at any rate; the clock still starts the frames.
      {"75 Hz, vsync on", 75, 75000, VSync::On, true, true, 2, 2, true, 0,
       "31 frames, 33-33 ms apart, 0 refreshes missed (clock, display at 75 Hz)"},
  };
  const std::string log =
      (std::filesystem::temp_directory_path() / ("solvara-pacing-" + std::to_string(getpid()) + ".log")).string();
  VantorDebugSystem::TVantorDebug::SetDebug(log.c_str(), true, false);
  size_t logged = 0;  // pacing lines of the cases before
  for (const Case& c : cases) {
    SCOPED_TRACE(c.display);
    platform::headless::VirtualClock clock;
    clock.Set(5000);
    SimulatedDisplay display(clock, c.reportedHz, c.milliHz, c.canSync, c.waits);
    FramePacer pacer(clock, display);
    pacer.Start();
    // Seventy frames: two seconds close, the third is under way.
    std::vector<int64_t> blanks;
    for (int frame = 0; frame < 70; ++frame) {
      pacer.Pace(c.choice);
      clock.Advance(frame == 40 ? c.lateWork : c.work);
      pacer.WaitToPresent();
      blanks.push_back(display.Present());
    }
    const std::vector<std::string> lines = PacingLines(log);
    ASSERT_EQ(lines.size(), logged + 2);
    const std::string& second = lines.back();
    logged = lines.size();
    EXPECT_EQ(second, std::string("frame pacing: ") + c.secondLine);
    EXPECT_EQ(display.VSyncOn(), c.sync);
    EXPECT_EQ(pacer.Refreshes(), c.refreshes);
    // With sync every picture of the second second stays its refreshes, or
    // longer where a refresh was missed.
    if (c.refreshes == 0) continue;
    int64_t beyond = 0;
    for (size_t i = 35; i < 60; ++i) {
      EXPECT_GE(blanks[i] - blanks[i - 1], c.refreshes) << i;
      beyond += blanks[i] - blanks[i - 1] - c.refreshes;
    }
    // The refreshes missed, inferred from the time between presents, are
    // those the display really showed a picture beyond its own.
    EXPECT_NE(second.find(", " + std::to_string(beyond) + " refreshes missed"), std::string::npos);
  }
  VantorDebugSystem::TVantorDebug::SetDebug(nullptr, false, false);
  std::filesystem::remove(log);
}

}  // namespace
}  // namespace game
