#pragma once
// Players' names and tokens. A name (platform/board_rules.h) belongs to
// whoever first submitted under it, without regard to case. That
// submission's answer carries a 128-bit token; the board keeps only its
// SHA-256 and compares hashes in constant time.
#include <string>
#include <string_view>

#include "server/store.h"

namespace board {

std::string NewToken();
std::string TokenHash(std::string_view token);
// Whether a stored hash is that of `presented` (never, for an empty one).
TokenCheck MatchesToken(std::string presented);
// The token of an "Authorization: Bearer TOKEN" header; empty when there is
// none or it is malformed.
std::string BearerToken(std::string_view authorization);

}  // namespace board
