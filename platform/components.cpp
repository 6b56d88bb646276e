#include <mutex>
#include <set>
#include <utility>

#include "platform/app.h"

namespace platform {
namespace {
std::mutex g_mutex;
std::set<std::pair<std::string, std::string>> g_palette;
}  // namespace

void RegisterComponent(const std::string& page, const std::string& className) {
  std::lock_guard lock(g_mutex);
  g_palette.insert({page, className});
}

bool IsComponentRegistered(const std::string& page, const std::string& className) {
  std::lock_guard lock(g_mutex);
  return g_palette.count({page, className}) != 0;
}

}  // namespace platform
