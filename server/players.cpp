#include "server/players.h"

#include "platform/crypto.h"

namespace board {
namespace {

constexpr size_t kTokenBytes = 16;

bool Printable(char c) { return c >= 0x20 && c <= 0x7E; }

}  // namespace

std::string NewToken() { return platform::RandomHex(kTokenBytes); }

std::string TokenHash(std::string_view token) { return platform::Sha256Hex(token); }

TokenCheck MatchesToken(std::string presented) {
  const std::string hash = presented.empty() ? std::string() : TokenHash(presented);
  return [hash](const std::string& stored) { return !hash.empty() && platform::ConstantTimeEqual(hash, stored); };
}

std::string BearerToken(std::string_view authorization) {
  constexpr std::string_view kScheme = "Bearer ";
  if (authorization.size() <= kScheme.size() || authorization.substr(0, kScheme.size()) != kScheme) return {};
  const std::string_view token = authorization.substr(kScheme.size());
  for (char c : token)
    if (!Printable(c) || c == ' ') return {};
  return std::string(token);
}

}  // namespace board
