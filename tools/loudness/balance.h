#pragma once
// The balance the game's sound is made to: the six songs within 3 LU of each
// other, and every effect 0 to 6 LU above the songs' average, all measured
// on offline renders (render.h).
#include <string>
#include <vector>

#include "measure.h"

namespace loudness {

constexpr double kSongSpreadLimit = 3.0;
constexpr double kEffectAboveSongsMin = 0.0;
constexpr double kEffectAboveSongsMax = 6.0;

struct Measured {
  std::string file;
  Loudness loudness;
};

struct Balance {
  std::vector<Measured> songs;    // bgm0.mid ... bgm5.mid
  std::vector<Measured> effects;  // sou01.wav ... sou10.wav
  double SongAverage() const;
  // Loudest song minus quietest.
  double SongSpread() const;
  bool Holds() const;
};

// Renders and measures every song and effect in `soundDir` with the SoundFont
// `soundFont`. False, with the reason in `error`, when one cannot be played.
bool MeasureAssets(const std::string& soundDir, const std::string& soundFont, Balance& balance, std::string& error);

// The measurements as a table, each effect with its distance above the songs.
std::string Report(const Balance& balance);

}  // namespace loudness
