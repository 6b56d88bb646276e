#include "platform/board_rules.h"

#include <algorithm>

namespace platform {
namespace {

bool Printable(char c) { return c >= 0x20 && c <= 0x7E; }

// The schemes a board is reached by, and the hosts plain HTTP may reach.
constexpr std::string_view kSecure = "https://";
constexpr std::string_view kPlain = "http://";
constexpr std::string_view kThisMachine[] = {"localhost", "127.0.0.1", "[::1]"};

}  // namespace

std::string BoardNameRefusal(std::string_view name) {
  if (name.empty()) return "a name is needed";
  if (name.size() > kMaxBoardNameLength) return "a name has at most 16 characters";
  for (char c : name)
    if (!Printable(c)) return "a name holds printable ASCII characters only";
  if (name.front() == ' ' || name.back() == ' ') return "a name neither starts nor ends with a space";
  return {};
}

std::string BoardNameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

std::string BoardServerRefusal(std::string_view server) {
  if (server.size() > kMaxBoardServerLength) return "an address of at most 200 characters";
  for (char c : server)
    if (!Printable(c) || c == ' ') return "an address without spaces or control characters";
  const bool secure = server.starts_with(kSecure);
  if (!secure && !server.starts_with(kPlain)) return "an https:// address (http:// only for this machine)";
  const std::string_view rest = server.substr(secure ? kSecure.size() : kPlain.size());
  // The host runs to the port, the path or the end; an IPv6 host is bracketed.
  const size_t end = rest.starts_with('[') ? rest.find(']') + 1 : rest.find_first_of(":/?#");
  const std::string_view host = rest.substr(0, end == 0 ? std::string_view::npos : end);
  if (host.empty() || host.find('@') != std::string_view::npos) return "an address with a host (and no user name)";
  if (secure) return {};
  for (std::string_view local : kThisMachine)
    if (host == local) return {};
  return "an https:// address: http:// only for this machine (localhost, 127.0.0.1, [::1])";
}

std::string BoardAddress(std::string server) {
  while (!server.empty() && server.back() == '/') server.pop_back();
  return server;
}

std::string BoardTokenRefusal(std::string_view token) {
  const bool hex = std::all_of(token.begin(), token.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
  if (token.size() != kBoardTokenLength || !hex) return "a token is 32 characters, each 0-9 or a-f";
  return {};
}

}  // namespace platform
