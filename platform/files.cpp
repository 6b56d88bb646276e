#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <system_error>

#include "platform/user_dirs.h"

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

void SetPlayerDirs(const std::string& dir) {
  SetDataDir(dir);
  SetConfigDir(dir);
  SetStateDir(dir);
}

// "path: reason" for the error in errno; always false, for `return Fail(...)`.
bool Fail(std::string* error, const std::string& path, int code = errno) {
  if (error) *error = path + ": " + std::error_code(code, std::generic_category()).message();
  return false;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows `path` while it names a symbolic link, so the file it finally points
// to is the one replaced (in that file's folder). False for a loop.
bool FollowLinks(std::string& path, std::string* error) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char target[4096];
    const ssize_t n = readlink(path.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof target) return Fail(error, path, n < 0 ? errno : ENAMETOOLONG);
    std::string next(target, static_cast<size_t>(n));
    path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
  }
  return Fail(error, path, ELOOP);
}

// Temporary names: ".score.dat.<random>.tmp" beside "score.dat".
std::string TemporaryPrefix(const std::string& name) { return "." + name + "."; }
constexpr std::string_view kTemporarySuffix = ".tmp";

// Creates a new temporary file in `folder` for `name`: exclusively, so a file
// or link already there (planted, or another writer's) is never opened.
int CreateTemporary(int folder, const std::string& name, std::string& created) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char unique[20];
    std::snprintf(unique, sizeof unique, "%08x%08x", random(), random());
    created = TemporaryPrefix(name) + unique + std::string(kTemporarySuffix);
    const int fd = openat(folder, created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, const char* p, size_t left) {
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string ProgramDir() {
  static const std::string dir = ExecutableDir();
  return dir;
}

std::string AssetDir() {
  const std::filesystem::path program = ProgramDir();
  std::error_code error;
  if (std::filesystem::is_directory(program / "bmp", error)) return program.string();
  return (program / SOLVARA_ASSETS_FROM_BINDIR).lexically_normal().string();
}

void SetHomeDir(const std::string& dir) {
  {
    std::lock_guard lock(g_mutex);
    g_home = dir;
  }
  SetPlayerDirs(dir);
}

void MapFolder(const std::string& first, const std::string& dir) {
  std::lock_guard lock(g_mutex);
  g_maps[first] = dir;
}

void ClearFolderMaps() {
  {
    std::lock_guard lock(g_mutex);
    g_maps.clear();
    g_home.clear();
  }
  SetPlayerDirs("");
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

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string* error) {
  std::string target = path;
  if (!FollowLinks(target, error)) return false;
  struct stat st;
  const bool existing = lstat(target.c_str(), &st) == 0;
  if (!existing && errno != ENOENT) return Fail(error, target);
  if (existing && !S_ISREG(st.st_mode)) return Fail(error, target, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  // The rename would replace a file the player made read-only; its mode says no.
  if (existing && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return Fail(error, target);

  const std::string folderPath = FolderOf(target), name = NameOf(target);
  const int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return Fail(error, folderPath);
  std::string temporary;
  const int fd = CreateTemporary(folder, name, temporary);
  if (fd < 0) {
    Fail(error, folderPath + "/" + TemporaryPrefix(name) + "*");
    close(folder);
    return false;
  }
  bool ok = (!existing || fchmod(fd, st.st_mode & 07777) == 0) && WriteAll(fd, static_cast<const char*>(data), size) &&
            fsync(fd) == 0;
  int code = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (ok) {
    fsync(folder);  // makes the rename itself durable
  } else {
    unlinkat(folder, temporary.c_str(), 0);
    Fail(error, target, code);
  }
  close(folder);
  return ok;
}

void RemoveLeftoverTemporaries(const std::string& path) {
  std::string target = path;
  if (!FollowLinks(target, nullptr)) return;
  const std::string prefix = TemporaryPrefix(NameOf(target));
  DIR* folder = opendir(FolderOf(target).c_str());
  if (!folder) return;
  while (const dirent* entry = readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name.size() > prefix.size() + kTemporarySuffix.size() && name.substr(0, prefix.size()) == prefix &&
        name.substr(name.size() - kTemporarySuffix.size()) == kTemporarySuffix)
      unlinkat(dirfd(folder), entry->d_name, 0);
  }
  closedir(folder);
}

bool MakeFolders(const std::string& dir, std::string* error) {
  if (dir.empty()) return Fail(error, "(no folder)", ENOENT);
  for (size_t slash = dir.find('/', 1); ; slash = dir.find('/', slash + 1)) {
    const std::string part = dir.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return Fail(error, part);
    if (slash == std::string::npos) break;
  }
  struct stat st;
  if (stat(dir.c_str(), &st) != 0) return Fail(error, dir);
  return S_ISDIR(st.st_mode) || Fail(error, dir, ENOTDIR);
}

FileLock::FileLock(const std::string& path) {
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  // An existing lock file in a folder this user cannot write still locks.
  if (fd_ < 0) fd_ = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) return;
  int locked;
  while ((locked = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked != 0) {
    close(fd_);
    fd_ = -1;
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace platform
