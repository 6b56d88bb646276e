#pragma once

#include <string>
#include <vector>

namespace assetgen {

// Writes mono PCM samples (-1..1) as a RIFF WAVE file with a 16-byte "fmt " chunk and a
// "data" chunk, at 8 bits (unsigned) or 16 bits (signed little-endian).
void WriteWav(const std::string& path, const std::vector<double>& samples, int rate, int bits);

}  // namespace assetgen
