#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "midi_writer.h"

namespace assetgen {

// The composer writes a song from a plan: a style (key, tempo, instruments, grooves) and a
// list of sections, each with a chord progression and a role for the melody. Melodies come
// from two themes invented per song (motif, sequence, cadence) and are fitted to each
// chord they meet, so a theme returns recognisably over new harmony.

enum class Mode { kMinor, kMajor };

// A chord is a scale degree 0-6; adding kRaised makes its third major (the dominant of a
// minor key).
constexpr int kRaised = 10;

enum class Melody { kNone, kThemeA, kThemeB, kThemeAHigh };

struct Section {
  int bars;
  std::vector<int> chords;  // one per bar, repeated when the section is longer
  Melody melody;
  int energy;               // 0 sparse .. 3 full: density of drums, bass and comping
  bool fill;                // a drum fill in the last bar
};

struct Style {
  std::string title;
  double bpm;
  int tonic;  // MIDI key of the tonic in the melody's octave
  Mode mode;
  int lead, lead2, pad, bass, arp;  // General MIDI programs
  int bassStyle;  // 0 pulse, 1 walking, 2 long notes, 3 gallop
  bool stabs;     // the harmony punches short chords in driving sections (for brass and synths)
  std::uint32_t seed;
  // The song's level in dB: every part's channel volume is scaled by it along
  // the General MIDI volume curve (40 log10 of the ratio), so that the songs
  // play equally loud. The values are measured, not guessed: the loudness
  // test renders every song and holds them within 3 LU of each other.
  double levelDb;
};

struct Plan {
  Style style;
  std::vector<Section> intro;  // played once
  std::vector<Section> body;   // the loop (between the markers when the song loops)
  std::vector<Section> outro;  // played once at the end
  bool loops;
};

Song Compose(const Plan& plan);

}  // namespace assetgen
