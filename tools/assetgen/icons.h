#pragma once

#include <filesystem>

namespace assetgen {

// The sizes of the application icon, in pixels (square).
inline constexpr int kIconSizes[] = {32, 48, 64, 128, 256};

// Writes the application icon at every size as dir/solvara-<size>.png (RGBA, transparent
// outside its rounded square).
void WriteIcons(const std::filesystem::path& dir);

}  // namespace assetgen
