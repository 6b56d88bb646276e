#include "platform/headless/clock.h"

#include <algorithm>

namespace platform::headless {

class VirtualClock::Timer final : public ClockTimer {
 public:
  explicit Timer(VirtualClock& clock) : clock_(clock) {
    std::lock_guard lock(clock_.mutex_);
    clock_.timers_.push_back(this);
  }
  ~Timer() override {
    std::lock_guard lock(clock_.mutex_);
    std::erase(clock_.timers_, this);
    clock_.changed_.notify_all();
  }

  void WaitUntil(uint32_t deadline) override {
    std::unique_lock lock(clock_.mutex_);
    if (woken_ || Reached(clock_.Milliseconds(), deadline)) {
      woken_ = false;
      return;
    }
    deadline_ = deadline;
    waiting_ = true;
    clock_.changed_.notify_all();
    clock_.changed_.wait(lock, [this] { return !waiting_; });
  }

  void Wake() override {
    std::lock_guard lock(clock_.mutex_);
    if (waiting_)
      waiting_ = false;
    else
      woken_ = true;
    clock_.changed_.notify_all();
  }

 private:
  friend class VirtualClock;
  VirtualClock& clock_;
  // Guarded by the clock's mutex.
  uint32_t deadline_ = 0;
  bool waiting_ = false;
  bool woken_ = false;
};

std::unique_ptr<ClockTimer> VirtualClock::CreateTimer() { return std::make_unique<Timer>(*this); }

bool VirtualClock::AllWaiting() const {
  return std::all_of(timers_.begin(), timers_.end(), [](const Timer* t) { return t->waiting_; });
}

void VirtualClock::RunDueTimers(std::unique_lock<std::mutex>& lock) {
  for (;;) {
    changed_.wait(lock, [this] { return AllWaiting(); });
    bool released = false;
    for (Timer* t : timers_) {
      if (Reached(Milliseconds(), t->deadline_)) {
        t->waiting_ = false;
        released = true;
      }
    }
    if (!released) return;
    changed_.notify_all();
  }
}

void VirtualClock::MoveTo(uint32_t target) {
  std::unique_lock lock(mutex_);
  if (held_) {
    now_.store(target, std::memory_order_release);
    return;
  }
  RunDueTimers(lock);
  while (Milliseconds() != target) {
    const uint32_t now = Milliseconds();
    uint32_t step = target - now;
    for (const Timer* t : timers_) step = std::min(step, t->deadline_ - now);
    if (hook_) {
      const std::function<void(uint32_t)> hook = hook_;
      lock.unlock();
      hook(now + step);
      lock.lock();
      changed_.wait(lock, [this] { return AllWaiting(); });
    }
    now_.store(now + step, std::memory_order_release);
    RunDueTimers(lock);
  }
}

void VirtualClock::Set(uint32_t ms) {
  std::unique_lock lock(mutex_);
  if (held_) {
    now_.store(ms, std::memory_order_release);
    return;
  }
  changed_.wait(lock, [this] { return AllWaiting(); });
  now_.store(ms, std::memory_order_release);
  RunDueTimers(lock);
}

void VirtualClock::OnStep(std::function<void(uint32_t)> hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

void VirtualClock::HoldTimers() {
  std::lock_guard lock(mutex_);
  held_ = true;
}

}  // namespace platform::headless
