#include "synth.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Buffer Silence(double seconds) { return Buffer(static_cast<size_t>(seconds * kEffectRate), 0.0); }

void AddTone(Buffer& b, Wave wave, const std::function<double(double)>& freq,
             const std::function<double(double)>& level, double start) {
  double phase = 0;
  for (size_t i = static_cast<size_t>(start * kEffectRate); i < b.size(); ++i) {
    const double t = static_cast<double>(i) / kEffectRate - start;
    phase += freq(t) / kEffectRate;
    phase -= std::floor(phase);
    double v = 0;
    switch (wave) {
      case Wave::kSine: v = std::sin(2 * M_PI * phase); break;
      case Wave::kSquare: v = phase < 0.5 ? 0.7 : -0.7; break;
      case Wave::kSaw: v = 2 * phase - 1; break;
      case Wave::kTriangle: v = 1 - 4 * std::fabs(phase - 0.5); break;
    }
    b[i] += v * level(t);
  }
}

void AddNoise(Buffer& b, std::uint32_t seed, const std::function<double(double)>& cutoff,
              const std::function<double(double)>& level, double start) {
  Random rng(seed);
  double y = 0;
  for (size_t i = static_cast<size_t>(start * kEffectRate); i < b.size(); ++i) {
    const double t = static_cast<double>(i) / kEffectRate - start;
    const double a = 1 - std::exp(-2 * M_PI * cutoff(t) / kEffectRate);
    y += a * (rng.Range(-1, 1) - y);
    b[i] += y * level(t);
  }
}

double Decay(double t, double seconds) { return std::exp(-t * 5.0 / seconds); }

double AttackDecay(double t, double attack, double seconds) {
  return t < attack ? t / attack : Decay(t - attack, seconds);
}

void Finish(Buffer& b, double drive, double peak) {
  for (double& s : b) s = std::tanh(s * drive);
  const size_t fade = std::min<size_t>(b.size() / 2, kEffectRate / 200);
  for (size_t i = 0; i < fade; ++i) {
    const double k = static_cast<double>(i) / fade;
    b[i] *= k;
    b[b.size() - 1 - i] *= k;
  }
  double top = 0;
  for (double s : b) top = std::max(top, std::fabs(s));
  if (top > 0)
    for (double& s : b) s *= peak / top;
}

}  // namespace assetgen
