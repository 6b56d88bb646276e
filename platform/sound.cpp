#include "platform/sound.h"

#include <chrono>
#include <condition_variable>

namespace platform {

// All sound events share one lock and one condition: a wait on several events
// then needs no more than a scan of their flags.
struct SoundEvent::Hub {
  std::mutex mutex;
  std::condition_variable changed;
  // The event sets of the threads blocked in WaitAny.
  std::vector<std::pair<SoundEvent* const*, int>> waiting;

  static Hub& Get() {
    static Hub hub;
    return hub;
  }
  int CountIdle() const {
    int idle = 0;
    for (const auto& [events, count] : waiting)
      if (FirstSet(events, count) < 0) ++idle;
    return idle;
  }
};

int SoundEvent::FirstSet(SoundEvent* const* events, int count) {
  for (int i = 0; i < count; ++i)
    if (events[i]->set_) return i;
  return -1;
}

void SoundEvent::Set() {
  Hub& hub = Hub::Get();
  std::lock_guard<std::mutex> lock(hub.mutex);
  set_ = true;
  hub.changed.notify_all();
}

void SoundEvent::Reset() {
  Hub& hub = Hub::Get();
  std::lock_guard<std::mutex> lock(hub.mutex);
  set_ = false;
  hub.changed.notify_all();
}

int SoundEvent::WaitAny(SoundEvent* const* events, int count) {
  Hub& hub = Hub::Get();
  std::unique_lock<std::mutex> lock(hub.mutex);
  int index = FirstSet(events, count);
  if (index < 0) {
    hub.waiting.emplace_back(events, count);
    hub.changed.notify_all();
    hub.changed.wait(lock, [&] { return (index = FirstSet(events, count)) >= 0; });
    std::erase(hub.waiting, std::make_pair(events, count));
  }
  events[index]->set_ = false;
  hub.changed.notify_all();
  return index;
}

int SoundEvent::IdleWaiters() {
  Hub& hub = Hub::Get();
  std::lock_guard<std::mutex> lock(hub.mutex);
  return hub.CountIdle();
}

bool SoundEvent::WaitForIdleWaiters(int count, int timeoutMs) {
  Hub& hub = Hub::Get();
  std::unique_lock<std::mutex> lock(hub.mutex);
  return hub.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return hub.CountIdle() == count; });
}

int SoundSystem::AddMixSource(MixSource source) {
  std::lock_guard<std::mutex> lock(sourcesMutex_);
  int id = nextSourceId_++;
  sources_.emplace_back(id, std::move(source));
  return id;
}

void SoundSystem::RemoveMixSource(int id) {
  std::lock_guard<std::mutex> lock(sourcesMutex_);
  std::erase_if(sources_, [id](const auto& entry) { return entry.first == id; });
}

void SoundSystem::RenderMixSources(float* mix, int frames, int channels, int rate) {
  std::lock_guard<std::mutex> lock(sourcesMutex_);
  for (auto& entry : sources_) entry.second(mix, frames, channels, rate);
}

}  // namespace platform
