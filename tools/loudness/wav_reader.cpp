#include "wav_reader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace loudness {
namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<size_t>(i)];
  return v;
}

}  // namespace

bool ReadWav(const std::string& path, Audio& audio, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read the file";
    return false;
  }
  const std::vector<uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  int bits = 0;
  audio = Audio{};
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = Le(b, at + 4, 4);
    const size_t body = at + 8;
    if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16 && body + 16 <= b.size()) {
      if (Le(b, body, 2) != 1) break;
      audio.channels = static_cast<int>(Le(b, body + 2, 2));
      audio.rate = Le(b, body + 4, 4);
      bits = static_cast<int>(Le(b, body + 14, 2));
    } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
      if ((bits != 8 && bits != 16) || audio.channels < 1) break;
      const size_t end = std::min(b.size(), body + size);
      for (size_t p = body; p + bits / 8 <= end; p += static_cast<size_t>(bits / 8))
        audio.samples.push_back(bits == 8 ? static_cast<int16_t>((b[p] - 128) * 256)
                                          : static_cast<int16_t>(Le(b, p, 2)));
      return true;
    }
    at = body + size + (size & 1);
  }
  error = "not an 8 or 16-bit PCM WAV file";
  return false;
}

}  // namespace loudness
