#include "platform/user_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct Kind {
  const char* variable;
  const char* fallback;  // below the home folder
};
enum Which { kData, kConfig, kState, kKinds };
constexpr Kind kKind[kKinds] = {
    {"XDG_DATA_HOME", ".local/share"},
    {"XDG_CONFIG_HOME", ".config"},
    {"XDG_STATE_HOME", ".local/state"},
};

std::mutex g_mutex;
std::string g_chosen[kKinds];

bool Absolute(const char* path) { return path && path[0] == '/'; }

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (Absolute(home)) return home;
  // No usable $HOME (a service, a cleaned environment): the account's folder.
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      Absolute(found->pw_dir))
    return found->pw_dir;
  return "";
}

std::string Folder(Which which) {
  {
    std::lock_guard lock(g_mutex);
    if (!g_chosen[which].empty()) return g_chosen[which];
  }
  const char* base = std::getenv(kKind[which].variable);
  if (Absolute(base)) return std::string(base) + "/solvara";
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + "/" + kKind[which].fallback + "/solvara";
}

void Choose(Which which, const std::string& dir) {
  std::lock_guard lock(g_mutex);
  g_chosen[which] = dir;
}

}  // namespace

std::string DataDir() { return Folder(kData); }
std::string ConfigDir() { return Folder(kConfig); }
std::string StateDir() { return Folder(kState); }

void SetDataDir(const std::string& dir) { Choose(kData, dir); }
void SetConfigDir(const std::string& dir) { Choose(kConfig, dir); }
void SetStateDir(const std::string& dir) { Choose(kState, dir); }

}  // namespace platform
