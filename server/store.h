#pragma once
// The board's records on either database: players, their games and replays,
// the verification queue (jobs with a state, a lease and a count of
// attempts) and the submissions the rate limits count. Each operation is one
// transaction; the rules that must hold together (a token, a ban, a limit, a
// duplicate, the queue's bound) are checked in the transaction that stores.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/verify/verdict.h"
#include "server/database.h"

namespace board {

struct SubmitLimits {
  int64_t queueBound = 64;             // games waiting at most (then 503)
  int64_t framesPerHourByName = 500000;
  int64_t framesPerHourByAddress = 500000;
  // What a wrong token costs its address: a hundredth of the hour's frames.
  int64_t FramesPerWrongToken() const { return std::max<int64_t>(1, framesPerHourByAddress / 100); }
};

struct Submission {
  std::string name;     // as the player wrote it
  std::string nameKey;  // the name without regard to case
  std::string address;  // the client's address
  std::string identity; // the game's as its file claims it (verify::ClaimedIdentity)
  int64_t season = 0;   // its simulation version
  int64_t frames = 0;
  int64_t claimedScore = 0;
  Blob replay;
  int64_t now = 0;
};

struct SubmitResult {
  // kDuplicate: the game was verified before under this name; kAnothersGame:
  // under another.
  enum class Kind {
    kQueued, kDuplicate, kAnothersGame, kNameTaken, kBanned, kNameLimited, kAddressLimited, kQueueFull
  };
  Kind kind = Kind::kQueued;
  int64_t gameId = 0;       // queued; duplicate and another's: the game verified first
  std::string owner;        // duplicate and another's: the name it was verified under
  bool newPlayer = false;   // queued: the name was registered now
  int64_t retryAfter = 0;   // limited: seconds until the frames fit
};

struct GameInfo {
  int64_t id = 0;
  std::string player;
  int64_t season = 0;
  std::string state;  // pending, accepted, refused
  std::string reason;
  int64_t duplicateOf = 0;  // refused as the same game as this one (0: not a duplicate)
  std::string owner;        // a duplicate's: the name that game was verified under
  int64_t claimedScore = 0;
  int64_t frames = 0;
  int64_t score = 0;
  int64_t stage = 0;
  int64_t received = 0;
  int64_t verified = 0;
};

struct RankedGame {
  int64_t id = 0;
  int64_t playerId = 0;
  std::string player;
  int64_t score = 0;
  int64_t stage = 0;
  int64_t frames = 0;
  int64_t received = 0;
};

struct Job {
  int64_t gameId = 0;
  int64_t attempts = 0;  // this one included
  Blob replay;
};

// Whether a stored token hash is the one of the token presented.
using TokenCheck = std::function<bool(const std::string& storedHash)>;

class Store {
 public:
  explicit Store(Database& db) : db_(db) {}

  // Whether `nameKey` may send from `address` at all, asked before its replay
  // is read: the address has frames left this hour, the name is not banned,
  // and a registered name's token matches. A wrong token counts against the
  // address (SubmitLimits::FramesPerWrongToken). Null when it may send.
  std::optional<SubmitResult> CheckSender(const std::string& nameKey, const std::string& address,
                                          const TokenCheck& tokenMatches, const SubmitLimits& limits, int64_t now);
  // Registers the name with `newTokenHash` when nobody has it; otherwise the
  // token must match and the player must not be banned. A game verified
  // before (by its identity) is not queued again.
  SubmitResult Submit(const Submission& s, const std::string& newTokenHash, const TokenCheck& tokenMatches,
                      const SubmitLimits& limits);

  // The oldest job waiting, or one whose lease ran out, leased to `owner`
  // until `leaseUntil`. A game whose verification was tried `maxAttempts`
  // times without a verdict is refused on the way.
  std::optional<Job> ClaimJob(const std::string& owner, int64_t now, int64_t leaseUntil, int64_t maxAttempts);
  // False when the lease is no longer the owner's.
  bool RenewLease(int64_t gameId, const std::string& owner, int64_t leaseUntil);
  // Stores the verdict, once: false (nothing stored) when the lease is no
  // longer the owner's. An accepted game is its player's unless another
  // game of its identity was verified first: then it is refused as that
  // game's duplicate. An accepted game beyond its player's best `keepBest`
  // of the season drops the lowest. A game accepted before, verified again
  // (the migration that proved the stored games' identities), keeps the
  // time it was first verified, which decides which of its copies is first.
  bool FinishJob(int64_t gameId, const std::string& owner, const verify::Verdict& verdict, int64_t now,
                 int64_t keepBest);
  // The verifier could not run: the job waits for another attempt.
  void ReleaseJob(int64_t gameId, const std::string& owner);

  std::optional<GameInfo> FindGame(int64_t id);
  // The replay of a game that is shown (not hidden, its player not banned).
  std::optional<Blob> GameReplay(int64_t id);
  // A player's shown games, newest first; null when there is no such player.
  std::optional<std::vector<GameInfo>> PlayerGames(const std::string& nameKey);
  // Deletes the player, the games and the submissions (with the addresses).
  enum class DeleteResult { kDeleted, kNoSuchPlayer, kWrongToken };
  DeleteResult DeletePlayer(const std::string& nameKey, const TokenCheck& tokenMatches);

  // Accepted, shown games of a season with points, in ranking order (score,
  // then the earlier received, as the game's own ranking keeps ties).
  std::vector<RankedGame> Ranking(int64_t season);
  std::vector<int64_t> Seasons();
  // Changes each time the ranking may have changed.
  int64_t RankingGeneration();
  int64_t QueueLength();
  // Writes nothing, in a transaction that may write: throws StorageError
  // when submissions could not be stored.
  void CheckWritable();

  // The operator's commands; false when there is no such game or player (or
  // the new name is taken).
  bool HideGame(int64_t id, bool hidden);
  bool RenamePlayer(const std::string& nameKey, const std::string& newName, const std::string& newNameKey);
  bool BanPlayer(const std::string& nameKey, bool banned);

  // Refused games verified before `refusedBefore`, submissions (addresses)
  // made before `addressesBefore`.
  void Prune(int64_t refusedBefore, int64_t addressesBefore);

 private:
  Database& db_;
};

}  // namespace board
