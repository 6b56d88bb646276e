#pragma once
// The board's client on a worker thread: a replay sent with timeouts, so
// the game never waits for the network, and the answer posted back to the
// main thread. Destroying it stops a sending under way (its answer never
// comes) within about a second.
#include <atomic>
#include <mutex>
#include <thread>

#include "game/records/replay_sender.h"
#include "platform/app.h"

namespace game {

// Short enough that a player still watches for the answer: a board that
// takes longer to verify is asked again from its page.
constexpr platform::BoardClientTimeouts kGameBoardTimeouts = {
    .connectSeconds = 5, .requestSeconds = 20, .busyRetrySeconds = 60, .verdictSeconds = 90};

class BoardSender final : public ReplaySender {
 public:
  explicit BoardSender(platform::BoardClientTimeouts timeouts = kGameBoardTimeouts) : timeouts_(timeouts) {}
  ~BoardSender() override;

  bool Send(SendRequest request, Answered answered) override;
  bool Busy() const override { return busy_; }

 private:
  void Deliver();

  platform::BoardClientTimeouts timeouts_;
  // Set by Send, cleared on the main thread as the answer is delivered.
  std::atomic<bool> busy_{false};
  std::mutex mutex_;
  platform::BoardAnswer answer_;  // guarded by mutex_
  Answered answered_;
  platform::MessageWindow window_{[this](platform::Message&) { Deliver(); }};
  // Last: it stops and joins before the rest goes.
  std::jthread worker_;
};

}  // namespace game
