#include <algorithm>
#include <deque>
#include <mutex>
#include <set>

#include "platform/app.h"

namespace platform {
namespace {

struct Posted {
  MessageWindow* window;
  Message message;
};

std::mutex g_mutex;
std::deque<Posted> g_queue;
std::set<MessageWindow*> g_live;

}  // namespace

MessageWindow::MessageWindow(std::function<void(Message&)> procedure)
    : procedure_(std::move(procedure)) {
  std::lock_guard lock(g_mutex);
  g_live.insert(this);
}

MessageWindow::~MessageWindow() {
  std::lock_guard lock(g_mutex);
  g_live.erase(this);
  g_queue.erase(std::remove_if(g_queue.begin(), g_queue.end(),
                               [this](const Posted& p) { return p.window == this; }),
                g_queue.end());
}

void MessageWindow::Post(uint32_t id, uintptr_t wparam, intptr_t lparam) {
  std::lock_guard lock(g_mutex);
  g_queue.push_back({this, {id, wparam, lparam, 0}});
}

void DispatchPostedMessages() {
  for (;;) {
    Posted next;
    {
      std::lock_guard lock(g_mutex);
      if (g_queue.empty()) return;
      next = g_queue.front();
      g_queue.pop_front();
      if (!g_live.count(next.window)) continue;
    }
    // A window destroyed between the check and the call can only be destroyed
    // on this (the main) thread, so the call is safe.
    next.window->Send(next.message);
  }
}

}  // namespace platform
