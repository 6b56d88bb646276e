#include "server/board.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "game/records/replay.h"
#include "game/records/replay_file.h"

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
      db_(db),
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

std::string Board::SubmissionsRefused() {
  std::lock_guard lock(healthMutex_);
  const auto now = std::chrono::steady_clock::now();
  if (healthChecked_ != std::chrono::steady_clock::time_point() && now - healthChecked_ < 1s) return health_;
  healthChecked_ = now;
  std::string problem, detail;
  try {
    store.CheckWritable();
  } catch (const StorageError& e) {
    problem = e.kind() == StorageError::Kind::kFull ? "the board's disk is full" : "the board's database cannot be written";
    detail = e.what();
  }
  // Room for the largest replay twice: the write-ahead log holds the row's
  // pages, then the database file takes them again.
  if (const int64_t free = db_.FreeBytes(); problem.empty() && free >= 0 && free < 2 * int64_t{game::kMaxReplayBytes}) {
    problem = "the board's disk is full";
    detail = "the database's disk has " + std::to_string(free) + " bytes free, less than a game may take";
  }
  if (problem.empty() && access(settings.verifier.program.c_str(), X_OK) != 0) {
    problem = "the board cannot read replays";
    detail = "the verifier " + settings.verifier.program + " cannot be run: " + std::strerror(errno);
  }
  if (problem != health_)
    std::fprintf(stderr, "solvara-board: %s\n",
                 problem.empty() ? "submissions are taken again" : ("submissions are refused: " + detail).c_str());
  health_ = problem;
  return health_;
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
      // Tried once an hour, failing or not: a database that takes no writes
      // is said once, not every second.
      if (now - lastPrune >= 3600) {
        lastPrune = now;
        store.Prune(now - kRefusedKeptSeconds, now - kAddressesKeptSeconds);
      }
    } catch (const StorageError& e) {
      std::fprintf(stderr, "solvara-board: housekeeping: %s\n", e.what());
    }
    lock.lock();
    stop_.wait_for(lock, 1s, [&] { return stopping_; });
  }
}

}  // namespace board
