#pragma once

#include <functional>
#include <vector>

#include "random.h"

namespace assetgen {

// Building blocks for the synthesized effects. Everything works on mono buffers at one rate.
constexpr int kEffectRate = 22050;

using Buffer = std::vector<double>;

// A buffer of the given length in seconds.
Buffer Silence(double seconds);

// An oscillator whose frequency (Hz) and level follow functions of time (seconds).
enum class Wave { kSine, kSquare, kSaw, kTriangle };
void AddTone(Buffer& b, Wave wave, const std::function<double(double)>& freq,
             const std::function<double(double)>& level, double start = 0);

// White noise through a one-pole low-pass whose cutoff (Hz) follows a function of time.
void AddNoise(Buffer& b, std::uint32_t seed, const std::function<double(double)>& cutoff,
              const std::function<double(double)>& level, double start = 0);

// Envelope shapes.
double Decay(double t, double seconds);                         // 1 falling exponentially
double AttackDecay(double t, double attack, double seconds);   // quick rise, then Decay

// Soft saturation, then scaling so the loudest sample sits at the given peak, with short
// fades at both ends so nothing clicks.
void Finish(Buffer& b, double drive, double peak);

}  // namespace assetgen
