#include "server/verifier_pool.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "game/records/replay_file.h"
#include "platform/child_process.h"
#include "platform/crypto.h"
#include "server/database.h"

namespace board {
namespace {

using namespace std::chrono_literals;

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

void Log(const std::string& line) {
  std::fprintf(stderr, "solvara-board: %s\n", line.c_str());
}

}  // namespace

VerifierAnswer RunVerifier(const VerifierSettings& settings, bool identifyOnly, std::span<const uint8_t> replay,
                           const std::function<void()>& whileRunning) {
  std::vector<std::string> argv{settings.program};
  if (!settings.assets.empty()) argv.insert(argv.end(), {"--assets", settings.assets});
  if (identifyOnly) argv.push_back("--identify");
  const uint64_t cpuSeconds = verify::CpuSecondsFor(game::kMaxReplayFrames);
  platform::ChildOptions options;
  // The processor limit ends a long verification; the clock only guards
  // against a verifier that waits for nothing (on a loaded machine a
  // verification may take several times its processor time).
  options.deadline = identifyOnly ? std::chrono::milliseconds(30s) : std::chrono::seconds(4 * cpuSeconds);
  options.keepStderr = false;
  options.tick = std::chrono::seconds(5);
  options.onTick = whileRunning;
  const platform::ChildResult r = platform::RunChild(argv, replay, options);
  VerifierAnswer answer;
  if (!r.started) {
    answer.failure = "the verifier cannot be run: " + r.error;
    return answer;
  }
  if (r.signal == SIGXCPU || (r.signal == SIGKILL && !r.timedOut)) {
    answer.answered = true;
    answer.verdict = verify::Verdict::Refused("its verification took more than the " + std::to_string(cpuSeconds) +
                                              " seconds of processor time allowed");
    return answer;
  }
  if (std::optional<verify::Verdict> v = verify::ParseVerdict(r.output); v && (r.exitStatus == 0 || r.exitStatus == 1)) {
    answer.answered = true;
    answer.verdict = *v;
    return answer;
  }
  answer.failure = r.timedOut ? "the verifier did not finish in time"
                   : r.signal ? "the verifier was ended by signal " + std::to_string(r.signal)
                              : "the verifier ended with status " + std::to_string(r.exitStatus) + " and no verdict";
  return answer;
}

VerifierPool::VerifierPool(Store& store, VerifierSettings settings, std::function<void()> accepted)
    : store_(store), settings_(std::move(settings)), accepted_(std::move(accepted)) {
  for (int i = 0; i < settings_.processes; ++i) workers_.emplace_back([this, i] { Work(i); });
}

VerifierPool::~VerifierPool() {
  stopping_ = true;
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

void VerifierPool::Wake() {
  {
    std::lock_guard lock(mutex_);
    ++wakes_;
  }
  wake_.notify_one();
}

void VerifierPool::Rest(std::chrono::milliseconds most) {
  std::unique_lock lock(mutex_);
  const uint64_t seen = wakes_;
  wake_.wait_for(lock, most, [&] { return Stopping() || wakes_ != seen; });
}

void VerifierPool::TakingFails(const std::string& why) {
  std::lock_guard lock(mutex_);
  if (why == takingFails_) return;
  Log(why.empty() ? "jobs are taken again" : "cannot take a job: " + why);
  takingFails_ = why;
}

void VerifierPool::Work(int index) {
  // Unique among every board sharing the database, and across restarts.
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  const std::string owner =
      std::string(host) + ":" + std::to_string(getpid()) + ":" + std::to_string(index) + ":" + platform::RandomHex(4);
  while (!Stopping()) {
    std::optional<Job> job;
    try {
      job = store_.ClaimJob(owner, Now(), Now() + settings_.leaseSeconds, settings_.maxAttempts);
      TakingFails({});
    } catch (const StorageError& e) {
      TakingFails(e.what());
      Rest(2s);
      continue;
    }
    if (!job) {
      // Also looks again now and then: another board may queue work, and a
      // lease may run out.
      Rest(1s);
      continue;
    }
    const VerifierAnswer answer = RunVerifier(settings_, false, job->replay, [&] {
      try {
        store_.RenewLease(job->gameId, owner, Now() + settings_.leaseSeconds);
      } catch (const StorageError&) {
        // Kept trying at the next tick; the lease has room for a few misses.
      }
    });
    try {
      if (!answer.answered) {
        Log("game " + std::to_string(job->gameId) + ", attempt " + std::to_string(job->attempts) + ": " +
            answer.failure);
        store_.ReleaseJob(job->gameId, owner);
        Rest(1s);
      } else if (store_.FinishJob(job->gameId, owner, answer.verdict, Now(), settings_.keepBest) &&
                 answer.verdict.outcome == verify::Verdict::Outcome::kAccepted && accepted_) {
        accepted_();
      }
    } catch (const StorageError& e) {
      // The verdict is not stored: the lease runs out and the job is taken
      // again, so the game is judged once, later.
      Log("game " + std::to_string(job->gameId) + ": the verdict cannot be stored: " + e.what());
      Rest(2s);
    }
  }
}

}  // namespace board
