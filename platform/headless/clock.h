#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace platform::headless {

// A virtual millisecond clock: time moves only when the main thread sleeps or
// waits, or when a test advances it. Readable from any thread.
//
// Moving it is a walk in steps: it stops at every deadline a timer waits for,
// lets that timer's thread run and waits until it waits again, then goes on.
// So the sequencer's passes happen at the same virtual times in every run,
// however the threads are scheduled. One thread at a time moves the clock,
// and never a thread that waits on one of its timers.
class VirtualClock final : public Clock {
 public:
  uint32_t Milliseconds() override { return now_.load(std::memory_order_acquire); }
  void Sleep(uint32_t ms) override { Advance(ms); }
  void WaitUntil(uint32_t deadline) override {
    if (!Reached(Milliseconds(), deadline)) MoveTo(deadline);
  }
  std::unique_ptr<ClockTimer> CreateTimer() override;

  void Advance(uint32_t ms) { MoveTo(Milliseconds() + ms); }
  // Puts the clock at `ms` in one jump; timers whose deadline it passes run
  // once, at the new time.
  void Set(uint32_t ms);
  // Called on the moving thread before each step, with the time the step
  // reaches, while every timer waits: what runs here sees the world as it
  // stood during the time the step covers.
  void OnStep(std::function<void(uint32_t)> hook);
  // From now on the clock moves in one jump, past the timers' deadlines: a
  // thread waiting on a timer runs only when woken. For a program that plays
  // the world alone (the verifier), whose timer threads (the sequencer,
  // sending to no output) serve no one: each stop would cost thread switches
  // worth more than the frame's world.
  void HoldTimers();

 private:
  class Timer;
  void MoveTo(uint32_t target);
  // With mutex_ held: waits until every timer waits, then lets those whose
  // deadline has come run and waits until they wait again.
  void RunDueTimers(std::unique_lock<std::mutex>& lock);
  bool AllWaiting() const;

  std::atomic<uint32_t> now_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Timer*> timers_;
  std::function<void(uint32_t)> hook_;
  bool held_ = false;
};

}  // namespace platform::headless
