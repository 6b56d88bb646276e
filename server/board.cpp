#include "server/board.h"

#include <cstdio>
#include <ctime>

#include "game/records/replay.h"

namespace board {
namespace {

using namespace std::chrono_literals;

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

}  // namespace

Board::Board(Database& db, BoardSettings s)
    : settings(std::move(s)),
      store(db),
      ranking(store, game::kSimulationVersion),
      verifiers(store, settings.verifier, [this] {
        try {
          ranking.Refresh();
        } catch (const StorageError&) {
          // Housekeeping refreshes it again shortly.
        }
      }),
      housekeeping_([this] { Housekeeping(); }) {}

Board::~Board() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_.notify_all();
  housekeeping_.join();
}

std::string ClientAddress(const std::string& peer, const std::string& forwardedFor, const std::string& trustedProxy) {
  if (trustedProxy.empty() || peer != trustedProxy || forwardedFor.empty()) return peer;
  const size_t comma = forwardedFor.rfind(',');
  const std::string last = Trimmed(comma == std::string::npos ? forwardedFor : forwardedFor.substr(comma + 1));
  return last.empty() || last.size() > 64 ? peer : last;
}

void Board::Housekeeping() {
  int64_t lastPrune = 0;
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    lock.unlock();
    try {
      // Other boards sharing the database, and the operator's commands,
      // change the ranking too.
      ranking.Refresh();
      const int64_t now = static_cast<int64_t>(std::time(nullptr));
      if (now - lastPrune >= 3600) {
        store.Prune(now - kRefusedKeptSeconds, now - kAddressesKeptSeconds);
        lastPrune = now;
      }
    } catch (const StorageError& e) {
      std::fprintf(stderr, "solvara-board: housekeeping: %s\n", e.what());
    }
    lock.lock();
    stop_.wait_for(lock, 1s, [&] { return stopping_; });
  }
}

}  // namespace board
