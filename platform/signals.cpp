#include "platform/signals.h"

#include <signal.h>

#include <atomic>

#include "platform/app.h"

namespace platform {
namespace {

std::atomic<int> g_signal{0};
std::atomic<bool> g_taken{false};
static_assert(std::atomic<int>::is_always_lock_free, "the handler stores into it");

void Record(int signal) {
  int none = 0;
  g_signal.compare_exchange_strong(none, signal);
}

}  // namespace

void CatchCloseSignals() {
  struct sigaction action {};
  action.sa_handler = Record;
  sigemptyset(&action.sa_mask);
  // Blocking calls resume; the second signal of a kind gets its default action.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool TakeCloseSignal() { return g_signal.load() != 0 && !g_taken.exchange(true); }

bool Application::ClosingOnSignal() { return g_signal.load() != 0; }

}  // namespace platform
