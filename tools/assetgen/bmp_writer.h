#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// A finished picture: tightly packed RGB rows, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  std::uint8_t* At(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const std::uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Writes an uncompressed 24-bit bottom-up BMP; throws std::runtime_error on I/O failure.
void WriteBmp(const std::string& path, const Picture& picture);

}  // namespace assetgen
