#pragma once
// The way to the first presented frame, in real time: how long after the
// program started it came, and what each stage of the start-up took, noted
// by whoever ran it (the form, the application, the text renderer, the
// synthesizer loading its SoundFont alongside). The form writes them to the
// debug log.
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Opening the debug log measures the processor's clock for its report: the
// stage under this name is start-up only when the log is on.
inline constexpr const char* kDebugLogStage = "debug log";

// Milliseconds of real time since the program started (since its libraries
// were loaded, just before main).
double MillisecondsSinceStart();

struct StartUpStage {
  std::string name;
  double milliseconds;
  // Run on a thread of its own, beside the program's own start-up.
  bool alongside = false;
};

// Adds `milliseconds` to `stage` (a stage noted again takes longer). Safe
// from any thread; noted from any but the program's main thread, the stage
// ran alongside.
void NoteStartUpStage(const std::string& stage, double milliseconds);
// The stages noted so far, in the order first noted, and forgets them.
std::vector<StartUpStage> TakeStartUpStages();

// Notes the real time from its construction to its destruction as `stage`.
// A stage timed inside another (fonts opened while the first frame is drawn)
// counts only for itself, not for the other as well.
class StageTimer {
 public:
  explicit StageTimer(std::string stage);
  ~StageTimer();
  StageTimer(const StageTimer&) = delete;
  StageTimer& operator=(const StageTimer&) = delete;

 private:
  std::string stage_;
  double start_;
  double inner_ = 0;
  StageTimer* outer_;
};

// Runs `work` as `stage`.
template <class Work>
void TimeStage(std::string stage, Work&& work) {
  StageTimer timer(std::move(stage));
  work();
}

// Start-up is over: stages noted from now on are let go.
void FinishStartUp();

// "name 12, name 3" with whole milliseconds.
std::string DescribeStages(const std::vector<StartUpStage>& stages);

}  // namespace platform
