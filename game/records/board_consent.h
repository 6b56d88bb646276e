#pragma once
// The boards the player agreed to send games to, kept in the state folder,
// one address a line. Nothing is sent to a board before the player agrees
// on the page that says what is sent; an address the settings change to is
// asked about again.
#include <string>

namespace game {

inline constexpr const char* kBoardConsentFile = "board-consent";

// `server` as the agreement keeps it: without the slashes at its end.
std::string BoardAddress(std::string server);
bool ConsentGiven(const std::string& stateDir, const std::string& server);
// Adds `server` to the file; false with the reason when it cannot be kept
// (the agreement then holds for this run only).
bool GiveConsent(const std::string& stateDir, const std::string& server, std::string& error);

}  // namespace game
