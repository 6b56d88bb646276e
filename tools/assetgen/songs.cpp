#include "songs.h"

#include <string>

#include "composer.h"

namespace assetgen {

namespace {

constexpr int V = 4 + kRaised;  // the dominant with a major third, in minor keys

// General MIDI programs used below.
enum Program {
  kPiano = 0, kHarp = 46, kStrings = 48, kSlowStrings = 49, kSynthStrings = 50, kTrumpet = 56,
  kBrass = 61, kSynthBrass = 62, kFlute = 73, kSquareLead = 80, kSawLead = 81, kOverdrive = 29,
  kDistortion = 30, kFingerBass = 33, kSynthBass = 38, kSynthBass2 = 39, kAcousticBass = 32,
  kWarmPad = 89, kViolin = 40,
};

Plan Title() {
  Plan p{{"Solvara 2001 - Title", 118, 62, Mode::kMinor, kBrass, kTrumpet, kStrings, kSynthBass, kSquareLead, 2, false, 0x5101, -9.4},
         {}, {}, {}, true};
  p.intro = {{4, {0, 5, 2, 6}, Melody::kNone, 1, true}};
  p.body = {
      {8, {0, 5, 2, 6, 0, 5, 3, V}, Melody::kThemeA, 2, false},
      {8, {3, 4, 2, 5, 3, 4, V, V}, Melody::kThemeB, 2, true},
      {8, {0, 5, 2, 6, 0, 5, 3, V}, Melody::kThemeAHigh, 3, true},
      {8, {5, 6, 0, 0, 5, 6, V, V}, Melody::kNone, 1, true},
  };
  return p;
}

Plan StageOne() {
  Plan p{{"Solvara 2001 - Stage 1", 152, 64, Mode::kMinor, kSawLead, kOverdrive, kSynthStrings, kFingerBass, kSquareLead, 0, true, 0x5102, -9.9},
         {}, {}, {}, true};
  p.intro = {{2, {0}, Melody::kNone, 0, false}, {2, {0, V}, Melody::kNone, 2, true}};
  p.body = {
      {8, {0, 0, 5, 6, 0, 0, 3, V}, Melody::kThemeA, 3, false},
      {8, {0, 0, 5, 6, 0, 0, 3, V}, Melody::kThemeAHigh, 3, true},
      {8, {5, 6, 0, 0, 5, 6, 3, V}, Melody::kThemeB, 2, true},
      {8, {3, 3, 0, 0, 5, 5, V, V}, Melody::kNone, 1, true},
      {8, {0, 0, 5, 6, 0, 0, 3, V}, Melody::kThemeA, 3, true},
  };
  return p;
}

Plan StageTwo() {
  Plan p{{"Solvara 2001 - Stage 2", 160, 69, Mode::kMinor, kSquareLead, kSawLead, kWarmPad, kSynthBass, kSawLead, 3, false, 0x5103, -9.3},
         {}, {}, {}, true};
  p.intro = {{4, {0, 6, 5, 6}, Melody::kNone, 1, true}};
  p.body = {
      {8, {0, 6, 5, 6, 0, 6, 5, V}, Melody::kThemeA, 3, false},
      {8, {3, 0, 3, 0, 5, 6, V, V}, Melody::kThemeB, 2, true},
      {8, {0, 6, 5, 6, 0, 6, 5, V}, Melody::kThemeAHigh, 3, true},
      {8, {5, 3, 0, 6, 5, 3, V, V}, Melody::kNone, 1, true},
      {8, {3, 0, 3, 0, 5, 6, V, V}, Melody::kThemeB, 3, false},
      {4, {0, 6, 5, V}, Melody::kNone, 2, true},
  };
  return p;
}

Plan Boss() {
  Plan p{{"Solvara 2001 - Boss", 172, 60, Mode::kMinor, kDistortion, kSynthBrass, kBrass, kSynthBass2, kSawLead, 3, true, 0x5104, -7.7},
         {}, {}, {}, true};
  p.intro = {{2, {0, 1}, Melody::kNone, 1, false}, {2, {5, V}, Melody::kNone, 3, true}};
  p.body = {
      {8, {0, 0, 5, V, 0, 0, 5, V}, Melody::kThemeA, 3, true},
      {8, {3, 3, 0, 0, 5, 5, V, V}, Melody::kThemeB, 3, true},
      {8, {0, 1, 0, 1, 5, 3, V, V}, Melody::kNone, 2, true},
      {8, {0, 0, 5, V, 0, 0, 5, V}, Melody::kThemeAHigh, 3, true},
      {8, {3, 3, 0, 0, 5, 5, V, V}, Melody::kThemeB, 3, true},
      {4, {5, 5, V, V}, Melody::kNone, 3, true},
  };
  return p;
}

Plan GameOver() {
  Plan p{{"Solvara 2001 - Game Over", 104, 69, Mode::kMinor, kPiano, kStrings, kSlowStrings, kAcousticBass, kHarp, 2, false, 0x5105, 0.4},
         {}, {}, {}, false};
  p.body = {{4, {3, V, 0, 0}, Melody::kThemeA, 0, false}};
  return p;
}

Plan Ending() {
  Plan p{{"Solvara 2001 - Ending", 104, 65, Mode::kMajor, kFlute, kViolin, kStrings, kAcousticBass, kHarp, 1, false, 0x5106, -10.8},
         {}, {}, {}, false};
  p.intro = {{4, {0, 3, 5, 4}, Melody::kNone, 1, false}};
  p.body = {
      {8, {0, 4, 5, 3, 0, 4, 3, 4}, Melody::kThemeA, 1, false},
      {8, {5, 3, 0, 4, 5, 3, 1, 4}, Melody::kThemeB, 2, true},
      {8, {0, 4, 5, 3, 0, 4, 3, 4}, Melody::kThemeAHigh, 2, false},
  };
  p.outro = {{2, {3, 0}, Melody::kNone, 0, false}};
  return p;
}

}  // namespace

std::vector<Song> ComposeSongs() {
  return {Compose(Title()), Compose(StageOne()), Compose(StageTwo()),
          Compose(Boss()),  Compose(GameOver()), Compose(Ending())};
}

void WriteSongs(const std::filesystem::path& dir) {
  const std::vector<Song> songs = ComposeSongs();
  for (size_t i = 0; i < songs.size(); ++i)
    WriteSmf((dir / ("bgm" + std::to_string(i) + ".mid")).string(), songs[i]);
}

}  // namespace assetgen
