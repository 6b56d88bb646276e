#include "balance.h"

#include <algorithm>
#include <cstdio>

#include "render.h"

namespace loudness {
namespace {

constexpr int kSongs = 6;
constexpr int kEffects = 10;

std::string SongFile(int i) { return "bgm" + std::to_string(i) + ".mid"; }

std::string EffectFile(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "sou%02d.wav", i + 1);
  return name;
}

bool Add(std::vector<Measured>& list, const std::string& file, const Audio& audio, std::string& error) {
  Measured m{file, {}};
  if (!Measure(audio, m.loudness)) {
    error = file + ": nothing to measure";
    return false;
  }
  list.push_back(m);
  return true;
}

}  // namespace

double Balance::SongAverage() const {
  double sum = 0;
  for (const Measured& s : songs) sum += s.loudness.integrated;
  return songs.empty() ? 0 : sum / static_cast<double>(songs.size());
}

double Balance::SongSpread() const {
  auto [quietest, loudest] = std::minmax_element(songs.begin(), songs.end(), [](const Measured& a, const Measured& b) {
    return a.loudness.integrated < b.loudness.integrated;
  });
  return songs.empty() ? 0 : loudest->loudness.integrated - quietest->loudness.integrated;
}

bool Balance::Holds() const {
  if (songs.empty() || SongSpread() > kSongSpreadLimit) return false;
  const double average = SongAverage();
  return std::all_of(effects.begin(), effects.end(), [average](const Measured& e) {
    const double above = e.loudness.integrated - average;
    return above >= kEffectAboveSongsMin && above <= kEffectAboveSongsMax;
  });
}

bool MeasureAssets(const std::string& soundDir, const std::string& soundFont, Balance& balance, std::string& error) {
  balance = Balance{};
  Audio audio;
  for (int i = 0; i < kSongs; ++i) {
    const std::string file = SongFile(i);
    if (!RenderSong(soundDir + "/" + file, soundFont, audio, error)) {
      error = file + ": " + error;
      return false;
    }
    if (!Add(balance.songs, file, audio, error)) return false;
  }
  for (int i = 0; i < kEffects; ++i) {
    const std::string file = EffectFile(i);
    if (!RenderEffect(soundDir + "/" + file, audio, error)) {
      error = file + ": " + error;
      return false;
    }
    if (!Add(balance.effects, file, audio, error)) return false;
  }
  return true;
}

std::string Report(const Balance& balance) {
  std::string text = std::string(kColumns) + "\n";
  for (const Measured& s : balance.songs) text += Describe(s.file, s.loudness) + "\n";
  char line[160];
  std::snprintf(line, sizeof line, "songs: %.1f LUFS on average, %.1f LU from the quietest to the loudest (at most %.0f)\n",
                balance.SongAverage(), balance.SongSpread(), kSongSpreadLimit);
  text += line;
  for (const Measured& e : balance.effects) {
    std::snprintf(line, sizeof line, " %+5.1f LU above the songs", e.loudness.integrated - balance.SongAverage());
    text += Describe(e.file, e.loudness) + line + "\n";
  }
  std::snprintf(line, sizeof line, "effects: %.0f to %.0f LU above the songs' average; balance %s\n",
                kEffectAboveSongsMin, kEffectAboveSongsMax, balance.Holds() ? "holds" : "does NOT hold");
  text += line;
  return text;
}

}  // namespace loudness
