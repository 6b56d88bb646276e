#include "measure.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace loudness {
namespace {

double Decibels(double linear) { return 20.0 * std::log10(linear); }

struct StateDeleter {
  void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

}  // namespace

bool Measure(const Audio& audio, Loudness& result) {
  if (audio.channels < 1 || audio.rate == 0 || audio.Frames() == 0) return false;
  std::unique_ptr<ebur128_state, StateDeleter> state(
      ebur128_init(static_cast<unsigned>(audio.channels), audio.rate,
                   EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_SAMPLE_PEAK));
  // A sound shorter than one 400 ms block is measured as that block, with
  // silence after it.
  const size_t blockFrames = audio.rate * 4 / 10;
  const size_t silentFrames = audio.Frames() < blockFrames ? blockFrames - audio.Frames() : 0;
  const std::vector<int16_t> silence(silentFrames * static_cast<size_t>(audio.channels));
  if (!state || ebur128_add_frames_short(state.get(), audio.samples.data(), audio.Frames()) != EBUR128_SUCCESS ||
      ebur128_add_frames_short(state.get(), silence.data(), silentFrames) != EBUR128_SUCCESS)
    return false;
  double truePeak = 0, samplePeak = 0;
  for (unsigned c = 0; c < static_cast<unsigned>(audio.channels); ++c) {
    double peak = 0;
    if (ebur128_true_peak(state.get(), c, &peak) == EBUR128_SUCCESS) truePeak = std::max(truePeak, peak);
    if (ebur128_sample_peak(state.get(), c, &peak) == EBUR128_SUCCESS) samplePeak = std::max(samplePeak, peak);
  }
  if (ebur128_loudness_global(state.get(), &result.integrated) != EBUR128_SUCCESS ||
      ebur128_loudness_range(state.get(), &result.range) != EBUR128_SUCCESS)
    return false;
  result.truePeak = Decibels(truePeak);
  result.samplePeak = Decibels(samplePeak);
  result.fullScale = static_cast<uint64_t>(std::count_if(audio.samples.begin(), audio.samples.end(),
                                                         [](int16_t s) { return s >= 32767 || s <= -32767; }));
  return true;
}

std::string Describe(const std::string& name, const Loudness& l) {
  char line[256];
  std::snprintf(line, sizeof line, "%-16s %7.1f LUFS %6.1f LU %7.1f dBTP %7.1f dBFS %8llu", name.c_str(),
                l.integrated, l.range, l.truePeak, l.samplePeak, static_cast<unsigned long long>(l.fullScale));
  return line;
}

}  // namespace loudness
