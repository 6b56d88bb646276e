#pragma once
// The body of POST /api/games: a JSON object
//   {"name": "Ace", "replay": "<the replay file in base64>"}
// with no other members. The token travels in the Authorization header.
#include <string>
#include <string_view>

#include "server/database.h"

namespace board {

struct SubmissionBody {
  std::string name;
  Blob replay;
};

// False with the reason (for the player) when the body is not such an
// object, the name is not a player's name, or the replay is empty or larger
// than any replay can be.
bool ParseSubmissionBody(std::string_view body, SubmissionBody& out, std::string& reason);

}  // namespace board
