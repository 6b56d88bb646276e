#pragma once
// One running board: its store, its ranking snapshot, its verifiers and the
// housekeeping that refreshes the ranking and forgets what is kept for a
// while only (refused games after 7 days, addresses after 30).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "server/database.h"
#include "server/ranking.h"
#include "server/store.h"
#include "server/verifier_pool.h"

namespace board {

constexpr int64_t kRefusedKeptSeconds = 7 * 24 * 3600;
constexpr int64_t kAddressesKeptSeconds = 30 * 24 * 3600;

struct BoardSettings {
  VerifierSettings verifier;
  SubmitLimits limits;
  // The TLS proxy in front: only its requests' X-Forwarded-For is believed.
  std::string trustedProxy;
};

// The client's address: the peer's, or for a request from the trusted proxy,
// the address the proxy added last to X-Forwarded-For.
std::string ClientAddress(const std::string& peer, const std::string& forwardedFor, const std::string& trustedProxy);

class Board {
 public:
  Board(Database& db, BoardSettings settings);
  ~Board();
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  const BoardSettings settings;
  Store store;
  RankingCache ranking;
  VerifierPool verifiers;

  // Why submissions would be refused now (the database cannot be written,
  // its disk has no room for the largest game, the verifier cannot be run),
  // for the public; empty when they would not.
  // Found at most once a second, and said on stderr when it changes.
  std::string SubmissionsRefused();

 private:
  void Housekeeping();

  Database& db_;
  std::mutex healthMutex_;
  std::chrono::steady_clock::time_point healthChecked_;
  std::string health_;

  std::mutex mutex_;
  std::condition_variable stop_;
  bool stopping_ = false;
  std::thread housekeeping_;
};

}  // namespace board
