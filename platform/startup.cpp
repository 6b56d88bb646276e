#include "platform/startup.h"

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Set while the program's static objects are built, before main runs, on
// its main thread.
const Clock::time_point kProgramStart = Clock::now();
const std::thread::id kMainThread = std::this_thread::get_id();

std::mutex& StagesMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<StartUpStage>& Stages() {
  static std::vector<StartUpStage> stages;
  return stages;
}

bool& Finished() {
  static bool finished = false;
  return finished;
}

// The innermost stage being timed on this thread.
thread_local StageTimer* innermost = nullptr;

}  // namespace

StageTimer::StageTimer(std::string stage)
    : stage_(std::move(stage)), start_(MillisecondsSinceStart()), outer_(innermost) {
  innermost = this;
}

StageTimer::~StageTimer() {
  const double took = MillisecondsSinceStart() - start_;
  innermost = outer_;
  if (outer_) outer_->inner_ += took;
  NoteStartUpStage(stage_, took - inner_);
}

double MillisecondsSinceStart() {
  return std::chrono::duration<double, std::milli>(Clock::now() - kProgramStart).count();
}

void NoteStartUpStage(const std::string& stage, double milliseconds) {
  std::lock_guard lock(StagesMutex());
  if (Finished()) return;
  for (StartUpStage& noted : Stages()) {
    if (noted.name == stage) {
      noted.milliseconds += milliseconds;
      return;
    }
  }
  Stages().push_back({stage, milliseconds, std::this_thread::get_id() != kMainThread});
}

std::vector<StartUpStage> TakeStartUpStages() {
  std::lock_guard lock(StagesMutex());
  return std::exchange(Stages(), {});
}

void FinishStartUp() {
  std::lock_guard lock(StagesMutex());
  Finished() = true;
  Stages().clear();
}

std::string DescribeStages(const std::vector<StartUpStage>& stages) {
  std::string text;
  for (const StartUpStage& stage : stages) {
    if (!text.empty()) text += ", ";
    text += stage.name + " " + std::to_string(std::lround(stage.milliseconds));
  }
  return text;
}

}  // namespace platform
