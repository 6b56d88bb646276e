#include "game/records/board_consent.h"

#include <sstream>

#include "platform/files.h"

namespace game {
namespace {

// A few addresses, each at most 200 bytes: a larger file is no agreement.
constexpr size_t kMaxConsentBytes = 64 * 1024;

std::string Agreed(const std::string& stateDir) {
  std::string text;
  if (!platform::ReadRegularFile(stateDir + "/" + kBoardConsentFile, text, kMaxConsentBytes)) return {};
  return text;
}

}  // namespace

std::string BoardAddress(std::string server) {
  while (!server.empty() && server.back() == '/') server.pop_back();
  return server;
}

bool ConsentGiven(const std::string& stateDir, const std::string& server) {
  std::istringstream lines(Agreed(stateDir));
  const std::string address = BoardAddress(server);
  for (std::string line; std::getline(lines, line);)
    if (!address.empty() && line == address) return true;
  return false;
}

bool GiveConsent(const std::string& stateDir, const std::string& server, std::string& error) {
  if (ConsentGiven(stateDir, server)) return true;
  std::string text = Agreed(stateDir);
  if (!text.empty() && text.back() != '\n') text += '\n';
  text += BoardAddress(server) + "\n";
  return platform::MakeFolders(stateDir, &error) &&
         platform::WriteFileAtomically(stateDir + "/" + kBoardConsentFile, text.data(), text.size(), &error);
}

}  // namespace game
