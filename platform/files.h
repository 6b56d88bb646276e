#pragma once
#include <string>
#include <string_view>

namespace platform {

// Paths are named by the system with backslashes ("bmp\title.bmp") relative to
// the program's folder. Resolve turns one into a host path: slashes, relative
// to the program folder, or to a folder mapped for its first component
// (the runner maps "bmp" and "sound" to the asset folder and keeps score.dat
// in a home folder of its own).
std::string ResolvePath(std::string_view systemPath);

// The folder of the running executable.
std::string ProgramDir();
void SetHomeDir(const std::string& dir);  // replaces the program folder as the base
void MapFolder(const std::string& first, const std::string& dir);
void ClearFolderMaps();

// Replaces `path` with `data` atomically: a temporary file beside it is
// written, flushed, synced and renamed over it. Returns false on any failure
// (the old file is then untouched).
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);

}  // namespace platform
