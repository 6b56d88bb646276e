#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
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
  return (program / SOLVARA_ASSETS_FROM_PROGRAMDIR).lexically_normal().string();
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

namespace {

// Writes `data` into a new temporary file for `name` in the open folder
// `folder` (with the permission bits `mode`, when given) and syncs it;
// `temporary` is its name. False with errno set, the temporary file removed.
bool WriteTemporary(int folder, const std::string& name, const void* data, size_t size, const mode_t* mode,
                    std::string& temporary) {
  const int fd = CreateTemporary(folder, name, temporary);
  if (fd < 0) {
    temporary.clear();
    return false;
  }
  bool ok = (!mode || fchmod(fd, *mode) == 0) && WriteAll(fd, static_cast<const char*>(data), size) && fsync(fd) == 0;
  int code = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    unlinkat(folder, temporary.c_str(), 0);
    errno = code;
  }
  return ok;
}

// The name of the file a temporary name (".NAME.<16 hex digits>.tmp") is
// for; empty when it is no temporary name.
std::string_view TemporaryFor(std::string_view temporary) {
  constexpr size_t kUnique = 16;
  const size_t fixed = 1 + 1 + kUnique + kTemporarySuffix.size();
  if (temporary.size() <= fixed || temporary[0] != '.' ||
      temporary.substr(temporary.size() - kTemporarySuffix.size()) != kTemporarySuffix)
    return {};
  const std::string_view unique = temporary.substr(temporary.size() - kTemporarySuffix.size() - kUnique, kUnique);
  if (temporary[temporary.size() - kTemporarySuffix.size() - kUnique - 1] != '.' ||
      unique.find_first_not_of("0123456789abcdef") != std::string_view::npos)
    return {};
  return temporary.substr(1, temporary.size() - fixed);
}

// Folder and name of the file WriteFileAtomically writes for `path`.
bool Resolved(const std::string& path, std::string& folder, std::string& name, std::string* error) {
  std::string target = path;
  if (!FollowLinks(target, error)) return false;
  folder = FolderOf(target);
  name = NameOf(target);
  return true;
}

}  // namespace

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
  const mode_t mode = st.st_mode & 07777;
  std::string temporary;
  bool ok = WriteTemporary(folder, name, data, size, existing ? &mode : nullptr, temporary);
  if (ok && renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) {
    const int code = errno;
    unlinkat(folder, temporary.c_str(), 0);
    errno = code;
    ok = false;
  }
  if (ok) fsync(folder);  // makes the rename itself durable
  else Fail(error, temporary.empty() ? folderPath + "/" + TemporaryPrefix(name) + "*" : target);
  close(folder);
  return ok;
}

bool CreateFileAtomically(const std::string& path, const void* data, size_t size, std::string* error) {
  std::string folderPath, name;
  if (!Resolved(path, folderPath, name, error)) return false;
  const int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return Fail(error, folderPath);
  std::string temporary;
  bool ok = WriteTemporary(folder, name, data, size, nullptr, temporary);
  // A link, unlike a rename, never replaces what is there.
  if (ok && linkat(folder, temporary.c_str(), folder, name.c_str(), 0) != 0) ok = false;
  const int code = errno;
  if (!temporary.empty()) unlinkat(folder, temporary.c_str(), 0);
  if (ok) fsync(folder);
  else Fail(error, path, code);
  close(folder);
  errno = code;
  return ok;
}

namespace {

void RemoveTemporaries(const std::string& folderPath, const std::function<bool(std::string_view)>& ours,
                       std::chrono::seconds minAge) {
  DIR* folder = opendir(folderPath.c_str());
  if (!folder) return;
  const auto now = std::chrono::system_clock::now();
  while (const dirent* entry = readdir(folder)) {
    const std::string_view target = TemporaryFor(entry->d_name);
    if (target.empty() || !ours(target)) continue;
    struct stat st;
    if (minAge.count() > 0 &&
        (fstatat(dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
         now - std::chrono::system_clock::from_time_t(st.st_mtim.tv_sec) < minAge))
      continue;
    unlinkat(dirfd(folder), entry->d_name, 0);
  }
  closedir(folder);
}

}  // namespace

void RemoveLeftoverTemporaries(const std::string& path) {
  std::string folder, name;
  if (Resolved(path, folder, name, nullptr))
    RemoveTemporaries(folder, [&name](std::string_view target) { return target == name; }, {});
}

void RemoveLeftoverTemporariesIn(const std::string& folder, bool (*ours)(std::string_view name),
                                 std::chrono::seconds minAge) {
  RemoveTemporaries(folder, ours, minAge);
}

int OpenRegularFile(const std::string& path, std::string* reason) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && fcntl(fd, F_SETFL, 0) == 0) return fd;
  int code = errno;
  if (fd >= 0) {
    close(fd);
    code = EINVAL;
  }
  if (reason) *reason = code == EINVAL ? "not a regular file" : std::strerror(code);
  errno = code;
  return -1;
}

bool ReadRegularFile(const std::string& path, std::string& bytes, size_t limit, uint64_t* size, std::string* reason) {
  bytes.clear();
  const int fd = OpenRegularFile(path, reason);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (ok && size) *size = static_cast<uint64_t>(st.st_size);
  char buffer[65536];
  while (ok && bytes.size() < limit) {
    const ssize_t n = read(fd, buffer, std::min(sizeof buffer, limit - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
  if (!ok && reason) *reason = std::strerror(errno);
  close(fd);
  return ok;
}

bool WritableRegularFile(const std::string& path, std::string* reason) {
  // A named pipe with no reader refuses a non-blocking open (ENXIO); one with
  // a reader opens, and is no file all the same.
  struct stat st;
  const bool other = stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
  const int fd = other ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  const int code = errno;
  const bool regular = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (fd >= 0) close(fd);
  if (!regular && reason) *reason = other || fd >= 0 ? "not a regular file" : std::strerror(code);
  return regular;
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

namespace {

// An exclusive flock on `fd`, waiting for other holders. Closes it and
// returns -1 when the lock cannot be taken.
int Locked(int fd) {
  if (fd < 0) return -1;
  int locked;
  while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked == 0) return fd;
  const int code = errno;
  close(fd);
  errno = code;
  return -1;
}

// The lock file, when it is a regular file opened without following a link.
int OpenLockFile(const std::string& path) {
  constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0600);
  // An existing lock file in a folder this user cannot write still locks.
  if (fd < 0 && errno != ELOOP) fd = open(path.c_str(), O_RDONLY | kFlags);
  struct stat st;
  if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

}  // namespace

FolderLock::FolderLock(const std::string& folder, const std::string& lockFile) {
  // Always the folder first, then the file: a copy waiting for the file holds
  // the folder, which earlier versions never wait for.
  folder_ = Locked(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const int folderCode = errno;
  file_ = Locked(OpenLockFile(lockFile));
  if (!Held())
    reason_ = "cannot lock " + folder + " (" + std::strerror(folderCode) + ") nor " + lockFile + " (" +
              (errno == ELOOP ? "a symbolic link" : errno == EINVAL ? "not a regular file" : std::strerror(errno)) + ")";
}

FolderLock::~FolderLock() {
  if (file_ >= 0) close(file_);
  if (folder_ >= 0) close(folder_);
}

}  // namespace platform
