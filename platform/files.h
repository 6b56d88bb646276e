#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Paths are named by the system with backslashes ("bmp\title.bmp") relative to
// the program's folder. Resolve turns one into a host path: slashes, relative
// to the program folder, or to a folder mapped for its first component
// (the runner maps "bmp" and "sound" to the asset folder).
std::string ResolvePath(std::string_view systemPath);

// The folder of the running executable.
std::string ProgramDir();
// The folder holding bmp/ and sound/: the program folder when they are there (the
// build), else the installed data folder found relative to the program folder.
std::string AssetDir();
// A stand-in for the program folder and for every one of the player's folders
// (user_dirs.h): the runner's --home, tests and benchmarks, which must neither
// read nor write the player's own files.
void SetHomeDir(const std::string& dir);
void MapFolder(const std::string& first, const std::string& dir);
// Forgets the maps and the home folder (the player's folders are the
// defaults again).
void ClearFolderMaps();

// Replaces `path` with `data` atomically: a temporary file with a unique name
// is created exclusively (never through a link) in the target's folder,
// written, synced and renamed over the target, and the folder is synced. A
// symbolic link stays a link: the file it points to is the one replaced. A
// replaced file keeps its permission bits; a file this user may not write is
// left alone. Returns false on any failure, with a one-line reason in `error`
// (the old file is then untouched and the temporary file removed).
bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// Creates `path` with `data`, all or nothing, as WriteFileAtomically writes,
// but never replaces a file already there (false, with EEXIST in errno).
bool CreateFileAtomically(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// Removes the temporary files WriteFileAtomically left for `path` (in the
// folder of the file its links end at) when a process died while writing.
// Call it only while holding the lock that serialises the writers: another
// one may be writing its file right now.
void RemoveLeftoverTemporaries(const std::string& path);
// The same in `folder` for every file whose name `ours` accepts, keeping
// those changed less than `minAge` ago: without a lock, a writer's temporary
// file lives a few milliseconds, a dead writer's forever.
void RemoveLeftoverTemporariesIn(const std::string& folder, bool (*ours)(std::string_view name),
                                 std::chrono::seconds minAge = {});

// Opens `path` for reading without waiting on it: a named pipe or a device is
// refused, not waited on, and so is a folder. A descriptor (close-on-exec,
// reads block as usual), or -1 with errno set (EINVAL for anything but a
// regular file) and the reason in words in `reason`.
int OpenRegularFile(const std::string& path, std::string* reason = nullptr);
// Reads up to `limit` bytes of the regular file `path` (opened as above);
// `size` gets its whole size. False with the reason when it cannot be read.
bool ReadRegularFile(const std::string& path, std::string& bytes, size_t limit, uint64_t* size = nullptr,
                     std::string* reason = nullptr);
// Whether `path` is a regular file this process may write, created (empty)
// when missing; never waits on a named pipe. False with the reason.
bool WritableRegularFile(const std::string& path, std::string* reason = nullptr);

// Creates `dir` and any missing folder above it (new ones with mode 0700, as
// the player's folders want). True when `dir` is a folder afterwards.
bool MakeFolders(const std::string& dir, std::string* error = nullptr);

// The lock that serialises the saves of every running copy into `folder`,
// taken (waiting for another holder) on construction and released on
// destruction: an advisory lock (flock) on the folder itself, which works
// on a read-only folder too, and on the file `lockFile`, created when
// missing, when it is usable (a regular file that opens without following a
// link), so that copies of earlier versions, which take only that one, are
// kept out as well. Not held when neither can be taken.
class FolderLock {
 public:
  FolderLock(const std::string& folder, const std::string& lockFile);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool Held() const { return folder_ >= 0 || file_ >= 0; }
  // Why it is not held.
  const std::string& Reason() const { return reason_; }

 private:
  int folder_ = -1, file_ = -1;
  std::string reason_;
};

}  // namespace platform
