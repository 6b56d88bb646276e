#pragma once
// The tokens shared-ranking boards gave the player's names, kept in the
// player's state folder for the board's client (board_client.h) and for
// the game's Options, where a token kept elsewhere is typed back.
#include <string>

namespace platform {

// The file in `stateDir` that keeps the tokens, one line each of the server,
// the name (without regard to case) and the token, separated by tabs,
// readable by the player only.
std::string BoardTokenFile(const std::string& stateDir);
std::string LoadBoardToken(const std::string& stateDir, const std::string& server, const std::string& name);
bool SaveBoardToken(const std::string& stateDir, const std::string& server, const std::string& name,
                    const std::string& token, std::string& error);

}  // namespace platform
