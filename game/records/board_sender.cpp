#include "game/records/board_sender.h"

namespace game {

BoardSender::~BoardSender() {
  worker_.request_stop();
  if (worker_.joinable()) worker_.join();
}

bool BoardSender::Send(SendRequest request, Answered answered) {
  if (busy_.exchange(true)) return false;
  // The last sending's thread has posted its answer: it is done, or nearly.
  if (worker_.joinable()) worker_.join();
  answered_ = std::move(answered);
  worker_ = std::jthread([this, request = std::move(request)](std::stop_token stop) {
    platform::BoardAnswer answer =
        platform::SubmitReplay(request.server, request.name, request.replay, request.stateDir, timeouts_, stop);
    if (stop.stop_requested()) return;
    {
      std::lock_guard lock(mutex_);
      answer_ = std::move(answer);
    }
    window_.Post(0, 0, 0);  // the one message its window takes
  });
  return true;
}

void BoardSender::Deliver() {
  platform::BoardAnswer answer;
  {
    std::lock_guard lock(mutex_);
    answer = answer_;
  }
  busy_ = false;
  if (answered_) answered_(answer);
}

}  // namespace game
