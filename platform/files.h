#pragma once
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

// Removes the temporary files WriteFileAtomically left for `path` when a
// process died while writing. Call it only while holding the lock that
// serialises the writers: another one may be writing its file right now.
void RemoveLeftoverTemporaries(const std::string& path);

// Creates `dir` and any missing folder above it (new ones with mode 0700, as
// the player's folders want). True when `dir` is a folder afterwards.
bool MakeFolders(const std::string& dir, std::string* error = nullptr);

// An advisory lock (flock) on the file `path`, created when missing, taken
// (waiting for another holder) on construction and released on destruction.
// Not held when the file can be neither created nor opened (a read-only
// folder without one).
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace platform
