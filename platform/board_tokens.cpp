#include "platform/board_tokens.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/board_rules.h"
#include "platform/files.h"

namespace platform {

std::string BoardTokenFile(const std::string& stateDir) { return stateDir + "/board-tokens"; }

std::string LoadBoardToken(const std::string& stateDir, const std::string& server, const std::string& name) {
  std::ifstream in(BoardTokenFile(stateDir));
  std::string line;
  const std::string key = BoardAddress(server) + "\t" + BoardNameKey(name) + "\t";
  while (std::getline(in, line))
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0) return line.substr(key.size());
  return {};
}

bool SaveBoardToken(const std::string& stateDir, const std::string& server, const std::string& name,
                    const std::string& token, std::string& error) {
  std::ostringstream kept;
  {
    std::ifstream in(BoardTokenFile(stateDir));
    std::string line;
    const std::string key = BoardAddress(server) + "\t" + BoardNameKey(name) + "\t";
    while (std::getline(in, line))
      if (line.compare(0, key.size(), key) != 0) kept << line << "\n";
    kept << key << token << "\n";
  }
  if (!MakeFolders(stateDir, &error)) return false;
  const std::string text = kept.str();
  if (!WriteFileAtomically(BoardTokenFile(stateDir), text.data(), text.size(), &error)) return false;
  if (chmod(BoardTokenFile(stateDir).c_str(), 0600) == 0) return true;
  error = BoardTokenFile(stateDir) + ": " + std::strerror(errno);
  return false;
}

}  // namespace platform
