#include "game/records/board_consent.h"

#include <sstream>
#include <string_view>

#include "platform/board_rules.h"
#include "platform/files.h"

namespace game {
namespace {

// A few addresses, each at most 200 bytes: a larger file is no answer.
constexpr size_t kMaxConsentBytes = 64 * 1024;

// An address has no spaces, so the mark cannot be read as one.
constexpr std::string_view kDeclinedMark = "declined ";

std::string Kept(const std::string& stateDir) {
  std::string text;
  if (!platform::ReadRegularFile(stateDir + "/" + kBoardConsentFile, text, kMaxConsentBytes)) return {};
  return text;
}

// The answer a line of the file gives for `address`.
Consent AnswerOf(std::string_view line, const std::string& address) {
  if (line == address) return Consent::kAgreed;
  if (line.starts_with(kDeclinedMark) && line.substr(kDeclinedMark.size()) == address) return Consent::kDeclined;
  return Consent::kUnasked;
}

}  // namespace

Consent ConsentFor(const std::string& stateDir, const std::string& server) {
  const std::string address = platform::BoardAddress(server);
  if (address.empty()) return Consent::kUnasked;
  std::istringstream lines(Kept(stateDir));
  for (std::string line; std::getline(lines, line);)
    if (const Consent answer = AnswerOf(line, address); answer != Consent::kUnasked) return answer;
  return Consent::kUnasked;
}

bool KeepConsent(const std::string& stateDir, const std::string& server, Consent answer, std::string& error) {
  const std::string address = platform::BoardAddress(server);
  if (ConsentFor(stateDir, address) == answer) return true;
  // The other boards' answers stay as they are, in their order.
  std::istringstream lines(Kept(stateDir));
  std::string text;
  for (std::string line; std::getline(lines, line);)
    if (AnswerOf(line, address) == Consent::kUnasked) text += line + "\n";
  if (answer == Consent::kAgreed) text += address + "\n";
  if (answer == Consent::kDeclined) text += std::string(kDeclinedMark) + address + "\n";
  return platform::MakeFolders(stateDir, &error) &&
         platform::WriteFileAtomically(stateDir + "/" + kBoardConsentFile, text.data(), text.size(), &error);
}

}  // namespace game
