#include "platform/sdl/clock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform::sdl {
namespace {

class SteadyTimer final : public ClockTimer {
 public:
  explicit SteadyTimer(SteadyClock& clock) : clock_(clock) {}

  void WaitUntil(uint32_t deadline) override {
    std::unique_lock lock(mutex_);
    const int32_t left = static_cast<int32_t>(deadline - clock_.Milliseconds());
    if (left > 0) wake_.wait_for(lock, std::chrono::milliseconds(left), [this] { return woken_; });
    woken_ = false;
  }

  void Wake() override {
    {
      std::lock_guard lock(mutex_);
      woken_ = true;
    }
    wake_.notify_all();
  }

 private:
  SteadyClock& clock_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool woken_ = false;
};

}  // namespace

uint32_t SteadyClock::Milliseconds() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SteadyClock::WaitUntil(uint32_t deadline) {
  // Sleep until shortly before the deadline (the scheduler may wake us a
  // millisecond or two late), then sleep precisely to the instant the counter
  // reaches it: one more wake-up, where waiting in short steps took ten.
  using namespace std::chrono;
  for (;;) {
    const auto now = steady_clock::now();
    const auto whole = duration_cast<milliseconds>(now.time_since_epoch());
    const int32_t left = static_cast<int32_t>(deadline - static_cast<uint32_t>(whole.count()));
    if (left <= 0) return;
    if (left > 2) Sleep(static_cast<uint32_t>(left - 2));
    else std::this_thread::sleep_until(steady_clock::time_point(whole + milliseconds(left)));
  }
}

std::unique_ptr<ClockTimer> SteadyClock::CreateTimer() { return std::make_unique<SteadyTimer>(*this); }

}  // namespace platform::sdl
