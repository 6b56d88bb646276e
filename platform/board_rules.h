#pragma once
// What a shared-ranking board takes as a player's name, and what the game
// takes as a board's address: the same rules for the board, the runner and
// the settings file.
#include <string>
#include <string_view>

namespace platform {

constexpr size_t kMaxBoardNameLength = 16;
constexpr size_t kMaxBoardServerLength = 200;
// A board gives a name a token of 16 random bytes, in lowercase hex digits.
constexpr size_t kBoardTokenLength = 32;

// Why `name` cannot be a player's name on a board; empty when it can. A name
// is 1-16 printable ASCII characters, with no space at either end ("Ace "
// would pass for "Ace" on every page).
std::string BoardNameRefusal(std::string_view name);

// The name as a board tells players apart: without regard to case ("ace"
// and "Ace" are one player), as the board keeps it and the game keeps its
// tokens.
std::string BoardNameKey(std::string_view name);

// Why `server` is no address to send games to; empty when it is. An
// https:// address, or http:// to this machine (localhost, 127.0.0.1,
// [::1]) only: the name's token goes with every game, and must not cross a
// network in the clear.
std::string BoardServerRefusal(std::string_view server);

// `server` as the game keeps answers and tokens for it: without the
// slashes at its end.
std::string BoardAddress(std::string server);

// Why `token` cannot be a token a board gave; empty when it can.
std::string BoardTokenRefusal(std::string_view token);

}  // namespace platform
