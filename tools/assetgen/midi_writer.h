#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// A song as the composer leaves it: notes per part, tempo, markers; the writer turns it into
// a format-1 Standard MIDI File (tempo track first, one track per part).
struct Note {
  std::uint32_t tick;
  std::uint32_t length;
  int key;
  int velocity;
};

struct Part {
  std::string name;
  int channel;  // 0-based; 9 is the General MIDI drum channel
  int program;  // General MIDI program 0-127 (ignored on the drum channel)
  int volume;
  int pan;
  int reverb;
  int chorus;
  std::vector<Note> notes;
};

struct Marker {
  std::uint32_t tick;
  std::string text;
};

struct Song {
  std::string title;
  int ticksPerQuarter = 480;
  int beatsPerBar = 4;
  double bpm = 120;
  std::vector<Marker> markers;
  std::vector<Part> parts;
  std::uint32_t endTick = 0;  // where every track ends
};

// Serialises the song; notes are sorted and note-offs come before note-ons at the same tick.
std::vector<std::uint8_t> EncodeSmf(const Song& song);

void WriteSmf(const std::string& path, const Song& song);

}  // namespace assetgen
