#include "platform/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_home;
std::map<std::string, std::string> g_maps;

std::string ExecutableDir() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

std::string ProgramDir() {
  static const std::string dir = ExecutableDir();
  return dir;
}

void SetHomeDir(const std::string& dir) {
  std::lock_guard lock(g_mutex);
  g_home = dir;
}

void MapFolder(const std::string& first, const std::string& dir) {
  std::lock_guard lock(g_mutex);
  g_maps[first] = dir;
}

void ClearFolderMaps() {
  std::lock_guard lock(g_mutex);
  g_maps.clear();
  g_home.clear();
}

std::string ResolvePath(std::string_view systemPath) {
  std::string rel(systemPath);
  for (char& c : rel)
    if (c == '\\') c = '/';
  if (!rel.empty() && rel[0] == '/') return rel;
  std::lock_guard lock(g_mutex);
  size_t slash = rel.find('/');
  if (slash != std::string::npos) {
    auto it = g_maps.find(rel.substr(0, slash));
    if (it != g_maps.end()) return it->second + rel.substr(slash);
  }
  return (g_home.empty() ? ProgramDir() : g_home) + "/" + rel;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
  std::string tmp = path + ".tmp";
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const char* p = static_cast<const char*>(data);
  size_t left = size;
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n <= 0) {
      close(fd);
      unlink(tmp.c_str());
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (fsync(fd) != 0 || close(fd) != 0) {
    unlink(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    unlink(tmp.c_str());
    return false;
  }
  // Make the rename itself durable.
  std::string dir = path.substr(0, path.rfind('/') == std::string::npos ? 0 : path.rfind('/'));
  int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

}  // namespace platform
