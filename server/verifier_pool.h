#pragma once
// The verifiers: N worker threads, each taking the oldest waiting job from
// the store under a lease, running one solvara-verify process on its replay
// and storing the verdict. The lease is renewed while the process runs; a
// board that dies mid-verification leaves a lease that runs out, and the job
// is taken again (by this board or another sharing the database), so no
// game is lost and none is judged twice. A verifier that fails (it cannot be
// run, it crashed, the machine was too slow) gives the job back for another
// attempt; after the last attempt the game is refused as unverifiable.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "app/verify/verdict.h"
#include "server/store.h"

namespace board {

struct VerifierSettings {
  std::string program;   // solvara-verify
  std::string assets;    // its --assets (empty: its default)
  int processes = 2;
  int64_t leaseSeconds = 30;
  int64_t maxAttempts = 3;
  int64_t keepBest = 10;  // accepted games kept per player and season
};

// A verdict, or why the verifier gave none.
struct VerifierAnswer {
  bool answered = false;
  verify::Verdict verdict;
  std::string failure;
};

// Runs the verifier on `replay`: only reading it (--identify) or playing it.
// A verification that ran out of processor time is refused; other failures
// are not answers.
VerifierAnswer RunVerifier(const VerifierSettings& settings, bool identifyOnly, std::span<const uint8_t> replay,
                           const std::function<void()>& whileRunning = nullptr);

class VerifierPool {
 public:
  // `accepted` runs after each accepted game is stored.
  VerifierPool(Store& store, VerifierSettings settings, std::function<void()> accepted);
  ~VerifierPool();
  VerifierPool(const VerifierPool&) = delete;
  VerifierPool& operator=(const VerifierPool&) = delete;

  // A job was queued: a waiting worker looks at once.
  void Wake();

 private:
  void Work(int index);
  bool Stopping() const { return stopping_.load(); }
  // Waits up to `most` or until woken (or stopping).
  void Rest(std::chrono::milliseconds most);
  // Why no job can be taken (empty: jobs are taken), said when it changes:
  // a database that stays away is one line, not one per worker and try.
  void TakingFails(const std::string& why);

  Store& store_;
  const VerifierSettings settings_;
  std::function<void()> accepted_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  uint64_t wakes_ = 0;
  std::string takingFails_;
  std::vector<std::thread> workers_;
};

}  // namespace board
