#pragma once
// The player's answer for each board they were asked about, kept in the
// state folder, a line each: the address alone where they agreed (as
// earlier versions wrote it), "declined " and the address where they did
// not. Nothing is sent to a board before the player agrees on the page that
// says what is sent; an address the settings change to is asked about
// again, and Options > Online changes an answer.
#include <cstdint>
#include <string>

namespace game {

inline constexpr const char* kBoardConsentFile = "board-consent";

enum class Consent : uint8_t {
  kUnasked,  // nothing kept: the page asks
  kAgreed,
  kDeclined,
};

Consent ConsentFor(const std::string& stateDir, const std::string& server);
// Keeps `answer` for `server` in place of the one before (kUnasked: none is
// kept); false with the reason when it cannot be kept (it then holds for
// this run only).
bool KeepConsent(const std::string& stateDir, const std::string& server, Consent answer, std::string& error);

}  // namespace game
