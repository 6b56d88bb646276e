#pragma once

#include <filesystem>

namespace assetgen {

// Writes sou01.wav ... sou10.wav into the folder.
void WriteSoundEffects(const std::filesystem::path& dir);

}  // namespace assetgen
