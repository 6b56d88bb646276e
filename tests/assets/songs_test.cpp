// The six songs: format-1 files a General MIDI synthesizer plays as written, the four
// looping ones marked for the sequencer's loop, and each as long as its moment in the game.
#include <map>
#include <set>

#include "asset_files.h"
#include "asset_names.h"

namespace assets_test {
namespace {

struct SongFacts {
  Smf smf;
  uint32_t usPerQuarter = 0;
  std::vector<std::pair<uint32_t, std::string>> markers;
  uint32_t lastTick = 0;

  double Seconds(uint32_t tick) const { return double(tick) * usPerQuarter / smf.division / 1e6; }
  uint32_t Marker(const std::string& text) const {
    for (const auto& [tick, t] : markers)
      if (t == text) return tick;
    return 0;
  }
};

SongFacts Read(int n) {
  SongFacts f;
  auto smf = ReadSmf(AssetPath("sound/" + SongFile(n)));
  if (!smf) {
    ADD_FAILURE() << SongFile(n) << " does not parse";
    return f;
  }
  f.smf = *smf;
  for (const auto& track : f.smf.tracks)
    for (const MidiEvent& e : track) {
      if (e.status == 0xFF && e.type == 0x51 && e.text.size() == 3)
        f.usPerQuarter = uint8_t(e.text[0]) << 16 | uint8_t(e.text[1]) << 8 | uint8_t(e.text[2]);
      if (e.status == 0xFF && e.type == 0x06) f.markers.push_back({e.tick, e.text});
    }
  for (uint32_t end : f.smf.trackEnds) f.lastTick = std::max(f.lastTick, end);
  return f;
}

bool IsNoteOn(const MidiEvent& e) { return (e.status & 0xF0) == 0x90 && e.data2 > 0; }
bool IsNoteOff(const MidiEvent& e) { return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data2 == 0); }

TEST(Songs, EachIsAFormatOneGeneralMidiArrangement) {
  for (int n = 0; n < 6; ++n) {
    SCOPED_TRACE(SongFile(n));
    const SongFacts f = Read(n);
    ASSERT_EQ(f.smf.format, 1);
    ASSERT_GE(f.smf.tracks.size(), 5u);
    // The tempo track carries tempo and time signature at the start.
    bool tempo = false, signature = false;
    for (const MidiEvent& e : f.smf.tracks[0]) {
      tempo |= e.status == 0xFF && e.type == 0x51 && e.tick == 0;
      signature |= e.status == 0xFF && e.type == 0x58 && e.tick == 0;
      EXPECT_FALSE(IsNoteOn(e)) << "notes in the tempo track";
    }
    EXPECT_TRUE(tempo);
    EXPECT_TRUE(signature);
    std::set<int> channelsWithNotes;
    for (const auto& track : f.smf.tracks) {
      bool named = false;
      std::set<int> programmed;
      for (const MidiEvent& e : track) {
        named |= e.status == 0xFF && e.type == 0x03 && !e.text.empty();
        if ((e.status & 0xF0) == 0xC0) programmed.insert(e.status & 0x0F);
        if (!IsNoteOn(e)) continue;
        const int channel = e.status & 0x0F;
        channelsWithNotes.insert(channel);
        if (channel != 9) {
          EXPECT_TRUE(programmed.count(channel)) << "a note before its program change";
        }
      }
      EXPECT_TRUE(named) << "a track without a name";
    }
    // Melody, harmony and bass on three channels or more, drums on channel 10.
    EXPECT_TRUE(channelsWithNotes.count(9));
    EXPECT_GE(channelsWithNotes.size(), 4u);
  }
}

TEST(Songs, EveryNoteIsReleased) {
  for (int n = 0; n < 6; ++n) {
    SCOPED_TRACE(SongFile(n));
    const SongFacts f = Read(n);
    for (const auto& track : f.smf.tracks) {
      std::map<int, int> sounding;  // channel * 128 + key -> open note-ons
      for (const MidiEvent& e : track) {
        const int key = (e.status & 0x0F) * 128 + e.type;
        if (IsNoteOn(e)) ++sounding[key];
        if (IsNoteOff(e)) {
          EXPECT_GT(sounding[key], 0) << "a note-off without its note at tick " << e.tick;
          --sounding[key];
        }
      }
      for (const auto& [key, open] : sounding) EXPECT_EQ(open, 0) << "key " << key % 128 << " never released";
    }
  }
}

TEST(Songs, LoopingSongsMarkAnIntroAndALoopOfAMinuteOrMore) {
  for (int n = 0; n < 4; ++n) {
    SCOPED_TRACE(SongFile(n));
    const SongFacts f = Read(n);
    ASSERT_EQ(f.markers.size(), 2u);
    const uint32_t start = f.Marker("RepeatStart"), end = f.Marker("RepeatEnd");
    // A loop start at tick 0 would mean "from the top" to the sequencer: the intro comes first.
    EXPECT_GT(start, 0u);
    EXPECT_GT(end, start);
    EXPECT_GE(f.Seconds(end - start), 60.0);
    EXPECT_LE(f.Seconds(end - start), 150.0);
  }
}

TEST(Songs, NoNoteCrossesTheLoopEnd) {
  // At "RepeatEnd" the sequencer jumps back without sending note-offs, and it handles the marker
  // before the other events of its 10 ms pass: every note must be released at least 20 ms early.
  for (int n = 0; n < 4; ++n) {
    SCOPED_TRACE(SongFile(n));
    const SongFacts f = Read(n);
    const uint32_t end = f.Marker("RepeatEnd");
    const double ticksPer20ms = 0.02e6 * f.smf.division / f.usPerQuarter;
    for (const auto& track : f.smf.tracks) {
      std::map<int, uint32_t> startedAt;
      for (const MidiEvent& e : track) {
        const int key = (e.status & 0x0F) * 128 + e.type;
        if (IsNoteOn(e)) {
          EXPECT_LT(e.tick, end);
          startedAt[key] = e.tick;
        }
        if (IsNoteOff(e) && startedAt.count(key)) {
          EXPECT_LE(e.tick + ticksPer20ms, end) << "released too late";
        }
      }
    }
  }
}

TEST(Songs, GameOverIsAShortPhraseAndTheEndingRunsItsCourse) {
  const SongFacts over = Read(4), ending = Read(5);
  EXPECT_GE(over.Seconds(over.lastTick), 5.0);
  EXPECT_LE(over.Seconds(over.lastTick), 10.0);
  EXPECT_GE(ending.Seconds(ending.lastTick), 40.0);
  EXPECT_LE(ending.Seconds(ending.lastTick), 90.0);
  EXPECT_TRUE(over.markers.empty());
  EXPECT_TRUE(ending.markers.empty());
}

TEST(Songs, TheMelodyMovesAndStaysSingable) {
  // The lead line of every song uses a good handful of pitches within two and a half octaves
  // (the theme returns an octave up) and mostly moves by steps and small leaps.
  for (int n = 0; n < 6; ++n) {
    SCOPED_TRACE(SongFile(n));
    const SongFacts f = Read(n);
    std::vector<int> lead;
    for (const MidiEvent& e : f.smf.tracks.at(1))
      if (IsNoteOn(e)) lead.push_back(e.type);
    ASSERT_GE(lead.size(), 12u);
    const auto [low, high] = std::minmax_element(lead.begin(), lead.end());
    EXPECT_LE(*high - *low, 31);
    EXPECT_GE(std::set<int>(lead.begin(), lead.end()).size(), 5u);
    int small = 0;
    for (size_t i = 1; i < lead.size(); ++i) small += std::abs(lead[i] - lead[i - 1]) <= 5;
    EXPECT_GE(small * 10, int(lead.size() - 1) * 7);
  }
}

}  // namespace
}  // namespace assets_test
