#pragma once
// Loudness of a recording after EBU R 128 (libebur128): integrated loudness,
// loudness range, true peak and sample peak, and the samples at full scale.
#include <cstdint>
#include <string>
#include <vector>

namespace loudness {

struct Audio {
  std::vector<int16_t> samples;  // interleaved
  int channels = 2;
  uint32_t rate = 44100;
  size_t Frames() const { return samples.size() / static_cast<size_t>(channels); }
};

struct Loudness {
  double integrated = 0;  // LUFS; -inf for silence
  double range = 0;       // LU
  double truePeak = 0;    // dBTP
  double samplePeak = 0;  // dBFS
  uint64_t fullScale = 0; // samples at +32767 or -32767 and below
};

// A sound shorter than one 400 ms block of the measurement is measured as
// that block, with silence after it, so a short effect has a loudness too.
// False when the measurement cannot be made (no samples, an unusable format).
bool Measure(const Audio& audio, Loudness& result);

// One line: the name, then the five figures.
std::string Describe(const std::string& name, const Loudness& l);
// The heads of Describe's columns.
inline constexpr const char* kColumns =
    "file             integrated      range   true peak  sample peak  at full scale";

}  // namespace loudness
