#pragma once
// The client of a shared-ranking board (solvara-board), through libcurl:
// submits a replay under a name, waits for its verdict, and keeps the name's
// token in the player's state folder. Every call blocks for at most the
// timeouts given, so the game calls it on a worker thread; nothing here
// touches the game's world.
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/board_tokens.h"

namespace platform {

struct BoardClientTimeouts {
  long connectSeconds = 10;
  long requestSeconds = 30;     // one request, start to end
  long busyRetrySeconds = 120;  // at most this long retrying a busy board (503)
  long verdictSeconds = 300;    // at most this long waiting for the verdict
};

struct BoardAnswer {
  enum class Kind {
    kAccepted,     // score, stage, rank (0: not among the ranked)
    kRefused,      // the verifier's reason
    kPending,      // no verdict yet when the wait ended
    kRejected,     // the board would not take it (reason: its words, status: the HTTP status)
    kUnreachable,  // no answer from the board (reason: why)
  };
  Kind kind = Kind::kUnreachable;
  int64_t gameId = 0;
  int64_t score = 0;
  int64_t stage = 0;
  int64_t rank = 0;
  long status = 0;
  std::string reason;
  bool duplicate = false;  // the board had the game already, as gameId
  std::string owner;       // duplicate: the name it was ranked under
  int busyRetries = 0;     // times the board said it was busy (503) and was asked again
};

// " (sent before, under NAME)" for a game the board had already; empty for
// a game sent now. Inline: the game's menus say it without linking the client.
inline std::string SentBefore(const BoardAnswer& a) {
  if (!a.duplicate) return {};
  return a.owner.empty() ? " (sent before)" : " (sent before, under " + a.owner + ")";
}

// Submits `replay` to `server` (http[s]://host[:port]) under `name`, with
// the name's token from `stateDir` when there is one (a new token the board
// gives is saved there), then waits for the verdict. A stop requested
// through `stop` ends it within a second or so, as unreachable ("stopped").
BoardAnswer SubmitReplay(const std::string& server, const std::string& name, const std::vector<uint8_t>& replay,
                         const std::string& stateDir, const BoardClientTimeouts& timeouts = {},
                         std::stop_token stop = {});

}  // namespace platform
