#pragma once

#include <string>

namespace assetgen {

// Lays every picture out on a grid with its name under it and saves it as a PNG.
void WriteContactSheet(const std::string& pngPath);

}  // namespace assetgen
