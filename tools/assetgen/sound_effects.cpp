#include "sound_effects.h"

#include <cmath>
#include <cstdio>

#include "synth.h"
#include "wav_writer.h"

namespace assetgen {

namespace {

// The peak each effect is finished at (the last argument of Finish) sets its
// level: measured through the game's mixer, every effect plays about 2 LU
// above the songs, the hit tick, heard many times a second, 1 LU. The
// loudness test holds each within 0 to 6 LU above the songs.

Buffer Explosion(double seconds, double thumpHz, std::uint32_t seed, double brightness) {
  Buffer b = Silence(seconds);
  AddNoise(b, seed, [=](double t) { return 200 + brightness * 5000 * Decay(t, seconds * 0.5); },
           [=](double t) { return 1.4 * AttackDecay(t, 0.004, seconds); });
  AddTone(b, Wave::kSine, [=](double t) { return thumpHz * (0.35 + 0.65 * Decay(t, seconds * 0.4)); },
          [=](double t) { return 0.9 * AttackDecay(t, 0.003, seconds * 0.6); });
  return b;
}

// sou01: the ship is hit: a heavy blast with a falling electric whine.
Buffer ShipHit() {
  Buffer b = Explosion(1.0, 110, 1, 1.0);
  AddTone(b, Wave::kSaw, [](double t) { return 900 * std::exp(-t * 3.5) + 60; },
          [](double t) { return 0.25 * Decay(t, 0.8); });
  Finish(b, 1.6, 0.375);
  return b;
}

// sou02: item collected: a bright rising arpeggio.
Buffer Item() {
  Buffer b = Silence(0.36);
  const double notes[4] = {1046.5, 1318.5, 1568.0, 2093.0};
  for (int k = 0; k < 4; ++k) {
    AddTone(b, Wave::kSquare, [&notes, k](double) { return notes[k]; },
            [](double t) { return t < 0.2 ? 0.5 * Decay(t, 0.2) : 0; }, k * 0.05);
  }
  Finish(b, 1.0, 0.228);
  return b;
}

// sou03: small enemy or carrier destroyed: a short pop.
Buffer SmallKill() {
  Buffer b = Explosion(0.32, 180, 3, 0.8);
  AddTone(b, Wave::kSquare, [](double t) { return 600 * std::exp(-t * 12) + 80; },
          [](double t) { return 0.3 * Decay(t, 0.12); });
  Finish(b, 1.4, 0.483);
  return b;
}

// sou04: a shot hits without destroying: a dry metallic tick.
Buffer HitSpark() {
  Buffer b = Silence(0.07);
  AddTone(b, Wave::kSquare, [](double t) { return 2400 - 8000 * t; }, [](double t) { return 0.5 * Decay(t, 0.05); });
  AddNoise(b, 4, [](double) { return 7000.0; }, [](double t) { return 0.6 * Decay(t, 0.03); });
  Finish(b, 1.2, 0.83);
  return b;
}

// sou05: an ordinary enemy fires: a quick falling zap.
Buffer EnemyFire() {
  Buffer b = Silence(0.16);
  AddTone(b, Wave::kSquare, [](double t) { return 1100 * std::exp(-t * 9) + 220; },
          [](double t) { return 0.6 * AttackDecay(t, 0.002, 0.15); });
  Finish(b, 1.0, 0.389);
  return b;
}

// sou06: a medium enemy destroyed.
Buffer MediumKill() {
  Buffer b = Explosion(0.65, 120, 6, 0.9);
  AddNoise(b, 16, [](double) { return 9000.0; }, [](double t) { return 0.25 * Decay(t, 0.08); }, 0.05);
  Finish(b, 1.5, 0.446);
  return b;
}

// sou07: the first boss's ring and fan volleys: a wobbling laser burst.
Buffer BossVolley() {
  Buffer b = Silence(0.34);
  AddTone(b, Wave::kSaw, [](double t) { return 1400 * std::exp(-t * 6) + 180 + 60 * std::sin(t * 2 * M_PI * 40); },
          [](double t) { return 0.45 * AttackDecay(t, 0.004, 0.32); });
  AddTone(b, Wave::kSquare, [](double t) { return 700 * std::exp(-t * 6) + 90; },
          [](double t) { return 0.25 * AttackDecay(t, 0.004, 0.3); });
  Finish(b, 1.3, 0.477);
  return b;
}

// sou08: a boss destroyed: a long double blast with rumble and crackle.
Buffer LargeKill() {
  Buffer b = Explosion(1.5, 70, 8, 1.0);
  Buffer second = Explosion(1.2, 55, 18, 0.7);
  for (size_t i = 0; i < second.size() && i + kEffectRate * 0.25 < b.size(); ++i)
    b[i + static_cast<size_t>(kEffectRate * 0.25)] += 0.8 * second[i];
  AddNoise(b, 28, [](double) { return 6000.0; },
           [](double t) { return 0.3 * Decay(t, 1.2) * (std::sin(t * 2 * M_PI * 23) > 0.6 ? 1 : 0.1); });
  Finish(b, 1.7, 0.278);
  return b;
}

// sou09: ring and volley fire of the large craft: a swelling whoosh with a chord.
Buffer RingVolley() {
  Buffer b = Silence(0.45);
  AddNoise(b, 9, [](double t) { return 400 + 6000 * t; }, [](double t) { return 0.8 * AttackDecay(t, 0.08, 0.35); });
  for (double f : {330.0, 415.3, 493.9}) {
    AddTone(b, Wave::kSquare, [f](double t) { return f * (1 + 0.5 * t); },
            [](double t) { return 0.16 * AttackDecay(t, 0.05, 0.35); });
  }
  Finish(b, 1.2, 0.528);
  return b;
}

// sou10: the stage-2 boss roars: a low detuned growl that swells and sinks.
Buffer BossRoar() {
  Buffer b = Silence(1.1);
  auto env = [](double t) { return t < 0.25 ? t / 0.25 : std::exp(-(t - 0.25) * 3); };
  for (double detune : {0.0, 1.7, -2.3}) {
    AddTone(b, Wave::kSaw, [detune](double t) { return 62 + detune + 18 * std::sin(t * 2.6) + 6 * std::sin(t * 2 * M_PI * 9); },
            [env](double t) { return 0.35 * env(t); });
  }
  AddNoise(b, 10, [](double t) { return 300 + 900 * std::sin(t * 2.8); }, [env](double t) { return 0.7 * env(t); });
  Finish(b, 2.2, 0.294);
  return b;
}

struct Effect {
  Buffer (*make)();
  int bits;
};

// In the order of the effect numbers; the short hit tick is stored as 8-bit.
constexpr Effect kEffects[10] = {{ShipHit, 16},   {Item, 16},      {SmallKill, 16}, {HitSpark, 8},
                                 {EnemyFire, 16}, {MediumKill, 16}, {BossVolley, 16}, {LargeKill, 16},
                                 {RingVolley, 16}, {BossRoar, 16}};

}  // namespace

void WriteSoundEffects(const std::filesystem::path& dir) {
  for (int n = 0; n < 10; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "sou%02d.wav", n + 1);
    WriteWav((dir / name).string(), kEffects[n].make(), kEffectRate, kEffects[n].bits);
  }
}

}  // namespace assetgen
