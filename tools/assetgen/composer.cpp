#include "composer.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "random.h"

namespace assetgen {

namespace {

constexpr int kSteps = 16;  // sixteenth notes per bar
constexpr std::array<int, 7> kMinorScale = {0, 2, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> kMajorScale = {0, 2, 4, 5, 7, 9, 11};

// General MIDI drum keys.
constexpr int kKick = 36, kSnare = 38, kClosedHat = 42, kOpenHat = 46, kCrash = 49, kRide = 51;
constexpr int kTomLow = 45, kTomMid = 47, kTomHigh = 50;

// Part order in the file.
enum PartIndex { kLead, kLead2, kPad, kBass, kArp, kDrums, kPartCount };

struct ThemeNote {
  int pos;     // sixteenth within the four-bar phrase
  int len;     // in sixteenths
  int degree;  // scale degree counted from the tonic (7 = one octave up)
};

// A four-bar phrase: three bars of body, then an open (half-cadence) or closed ending.
struct Theme {
  std::vector<ThemeNote> body, openEnd, closedEnd;
};

// One-bar rhythms in sixteenths; negative values are rests.
const std::vector<std::vector<int>> kRhythms = {
    {4, 2, 2, 4, 4}, {3, 3, 2, 4, 4}, {2, 2, 4, 2, 2, 4}, {6, 2, 4, 4},
    {4, 4, 2, 2, 2, 2}, {3, 3, 4, 2, 2, 2}, {2, 2, 2, 2, 4, -4}, {8, 2, 2, 4},
};

int FloorDiv(int a, int b) { return (a >= 0) ? a / b : -((-a + b - 1) / b); }

// A channel volume moved by `db` along the General MIDI volume curve.
int Level(int volume, double db) {
  return std::clamp(static_cast<int>(std::lround(volume * std::pow(10.0, db / 40.0))), 1, 127);
}

class Composer {
 public:
  explicit Composer(const Plan& plan) : plan_(plan), rng_(plan.style.seed) {
    scale_ = plan.style.mode == Mode::kMinor ? kMinorScale : kMajorScale;
    ticksPerStep_ = song_.ticksPerQuarter / 4;
    themeA_ = MakeTheme(7, 0);
    themeB_ = MakeTheme(9, 2);
  }

  Song Build() {
    const Style& st = plan_.style;
    song_.title = st.title;
    song_.bpm = st.bpm;
    song_.parts.resize(kPartCount);
    song_.parts[kLead] = {"Lead", 0, st.lead, 110, 64, 40, 20, {}};
    song_.parts[kLead2] = {"Lead double", 1, st.lead2, 82, 44, 60, 30, {}};
    song_.parts[kPad] = {"Harmony", 2, st.pad, 78, 84, 70, 40, {}};
    song_.parts[kBass] = {"Bass", 3, st.bass, 108, 64, 20, 0, {}};
    song_.parts[kArp] = {"Arpeggio", 4, st.arp, 70, 96, 50, 30, {}};
    song_.parts[kDrums] = {"Drums", 9, 0, 104, 64, 40, 0, {}};
    for (Part& part : song_.parts) part.volume = Level(part.volume, st.levelDb);

    int bar = 0;
    for (const Section& s : plan_.intro) bar = Render(s, bar);
    const int loopStart = bar;
    for (const Section& s : plan_.body) bar = Render(s, bar);
    const int loopEnd = bar;
    for (const Section& s : plan_.outro) bar = Render(s, bar);

    const std::uint32_t barTicks = kSteps * ticksPerStep_;
    if (plan_.loops) {
      song_.markers.push_back({static_cast<std::uint32_t>(loopStart) * barTicks, "RepeatStart"});
      song_.markers.push_back({static_cast<std::uint32_t>(loopEnd) * barTicks, "RepeatEnd"});
      // The sequencer jumps at the end marker without sending note-offs, so every note of the
      // loop must be released a little before it.
      ReleaseBefore(static_cast<std::uint32_t>(loopEnd) * barTicks - ticksPerStep_);
      song_.endTick = static_cast<std::uint32_t>(loopEnd) * barTicks;
    } else {
      // Let the last chord ring for a moment after its release.
      song_.endTick = static_cast<std::uint32_t>(bar) * barTicks + 2 * ticksPerStep_;
    }
    return song_;
  }

 private:
  // Semitones above the tonic of a scale degree (any integer; 7 is the octave).
  int ScalePitch(int degree) const {
    const int octave = FloorDiv(degree, 7);
    return octave * 12 + scale_[degree - octave * 7];
  }

  static int Root(int chord) { return chord % kRaised; }
  static bool Raised(int chord) { return chord >= kRaised; }

  bool IsChordTone(int degree, int chord) const {
    const int rel = ((degree - Root(chord)) % 7 + 7) % 7;
    return rel == 0 || rel == 2 || rel == 4;
  }

  // Semitone of a melody or chord degree over a chord, raising the leading tone of a raised chord.
  int Pitch(int degree, int chord) const {
    int p = ScalePitch(degree);
    if (Raised(chord) && ((degree - Root(chord) - 2) % 7 + 7) % 7 == 0) p += 1;
    return p;
  }

  Theme MakeTheme(int startDegree, int lift) {
    Theme t;
    const std::vector<int>& r1 = kRhythms[rng_.Below(static_cast<int>(kRhythms.size()))];
    const std::vector<int>& r2 = kRhythms[rng_.Below(static_cast<int>(kRhythms.size()))];
    // Bar 1: a motif walking from the start degree.
    std::vector<int> contour;
    int d = startDegree;
    for (size_t i = 0; i < r1.size(); ++i) {
      contour.push_back(d);
      const int step = std::array<int, 6>{-2, -1, 1, 2, 1, 3}[rng_.Below(6)];
      d = std::clamp(d + step, startDegree - 3, startDegree + 5);
    }
    auto addBar = [&](int bar, const std::vector<int>& rhythm, const std::vector<int>& degrees,
                      std::vector<ThemeNote>& out) {
      int pos = 0;
      for (size_t i = 0; i < rhythm.size(); ++i) {
        const int len = std::abs(rhythm[i]);
        if (rhythm[i] > 0) out.push_back({bar * kSteps + pos, len, degrees[i % degrees.size()]});
        pos += len;
      }
    };
    addBar(0, r1, contour, t.body);
    // Bar 2: the motif in sequence, a step or two higher or lower.
    const int shift = std::array<int, 3>{2, -1, 1}[rng_.Below(3)];
    std::vector<int> seq;
    for (int x : contour) seq.push_back(x + shift);
    addBar(1, r1, seq, t.body);
    // Bar 3: a new rhythm climbing toward the phrase's high point.
    std::vector<int> climb;
    int c = contour.back() + shift;
    for (size_t i = 0; i < r2.size(); ++i) {
      climb.push_back(c + lift);
      c += (i % 2 == 0) ? 1 : std::array<int, 3>{1, 2, -1}[rng_.Below(3)];
    }
    addBar(2, r2, climb, t.body);
    // Keep the phrase singable: fold anything outside a tenth around the start back inside.
    for (ThemeNote& n : t.body) {
      while (n.degree > startDegree + 6) n.degree -= 3;
      while (n.degree < startDegree - 3) n.degree += 3;
    }
    // Bar 4: the two cadences, both falling to a long note.
    const int top = t.body.back().degree;
    t.openEnd = {{48, 4, top - 1}, {52, 4, top - 2}, {56, 8, 11}};
    t.closedEnd = {{48, 4, 9}, {52, 2, 8}, {54, 2, 8}, {56, 8, 7}};
    return t;
  }

  void Add(PartIndex part, int bar, int step, int lenSteps, int key, int velocity) {
    const std::uint32_t tick = (static_cast<std::uint32_t>(bar) * kSteps + step) * ticksPerStep_;
    const std::uint32_t len = std::max<std::uint32_t>(ticksPerStep_ / 2, lenSteps * ticksPerStep_ * 9 / 10);
    velocity += rng_.Below(9) - 4;  // a touch of life
    song_.parts[part].notes.push_back({tick, len, key, velocity});
  }

  int ChordAt(const Section& s, int barInSection) const {
    return s.chords[static_cast<size_t>(barInSection) % s.chords.size()];
  }

  // Chord pitches in close position inside [low, low + 12).
  std::vector<int> Voicing(int chord, int low, bool seventh) const {
    std::vector<int> keys;
    const int tones = seventh ? 4 : 3;
    for (int i = 0; i < tones; ++i) {
      int k = plan_.style.tonic + Pitch(Root(chord) + 2 * i, chord);
      while (k < low) k += 12;
      while (k >= low + 12) k -= 12;
      keys.push_back(k);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
  }

  int Render(const Section& s, int firstBar) {
    for (int b = 0; b < s.bars; ++b) {
      const int bar = firstBar + b, chord = ChordAt(s, b);
      const bool last = b == s.bars - 1;
      RenderHarmony(s, bar, chord);
      RenderBass(s, bar, chord, b);
      RenderDrums(s, bar, b, last && s.fill);
    }
    RenderMelody(s, firstBar);
    ++sectionsDone_;
    return firstBar + s.bars;
  }

  void RenderMelody(const Section& s, int firstBar) {
    if (s.melody == Melody::kNone) return;
    const Theme& theme = s.melody == Melody::kThemeB ? themeB_ : themeA_;
    const int octave = s.melody == Melody::kThemeAHigh ? 12 : 0;
    for (int phraseBar = 0; phraseBar + 4 <= s.bars; phraseBar += 4) {
      // Alternate open and closed endings, closing the section's last phrase.
      const bool closed = phraseBar + 8 > s.bars || (phraseBar / 4) % 2 == 1;
      std::vector<ThemeNote> notes = theme.body;
      const auto& end = closed ? theme.closedEnd : theme.openEnd;
      notes.insert(notes.end(), end.begin(), end.end());
      for (const ThemeNote& n : notes) {
        const int barInSection = phraseBar + n.pos / kSteps, chord = ChordAt(s, barInSection);
        int degree = n.degree;
        // Strong beats land on chord tones: step to the nearest one, preferring downward.
        if (n.pos % 8 == 0 && !IsChordTone(degree, chord)) degree += IsChordTone(degree - 1, chord) ? -1 : 1;
        const int key = plan_.style.tonic + octave + Pitch(degree, chord);
        const int vel = 92 + (n.pos % 8 == 0 ? 12 : 0) + 4 * s.energy;
        Add(kLead, firstBar + barInSection, n.pos % kSteps, n.len, key, vel);
        if (s.melody == Melody::kThemeAHigh || s.energy >= 3) {
          Add(kLead2, firstBar + barInSection, n.pos % kSteps, n.len, key - 12, vel - 20);
        } else if (s.melody == Melody::kThemeB && s.energy == 2) {
          // A second voice a third below, dropping to the fifth below where a third would clash.
          const int below = (n.pos % 8 == 0 && !IsChordTone(degree - 2, chord)) ? degree - 3 : degree - 2;
          Add(kLead2, firstBar + barInSection, n.pos % kSteps, n.len, plan_.style.tonic + Pitch(below, chord), vel - 24);
        }
      }
    }
  }

  void RenderHarmony(const Section& s, int bar, int chord) {
    const std::vector<int> pad = Voicing(chord, plan_.style.tonic - 7, s.energy < 2);
    if (s.energy >= 2 && s.melody != Melody::kNone && plan_.style.stabs) {
      // Rhythmic stabs on the driving sections.
      for (int step : {0, 3, 6, 10, 12}) {
        for (int k : pad) Add(kPad, bar, step, 2, k, 70 + 6 * s.energy);
      }
    } else {
      // Held chords, struck again at the half bar when the music drives.
      const int strike = s.energy >= 2 ? kSteps / 2 : kSteps;
      for (int step = 0; step < kSteps; step += strike)
        for (int k : pad) Add(kPad, bar, step, strike, k, 64 + 6 * s.energy);
    }
    if (s.energy >= 1) {
      // Arpeggio over two octaves, up and back down, one note per sixteenth.
      const std::vector<int> v = Voicing(chord, plan_.style.tonic + 5, false);
      const int order[8] = {0, 1, 2, 3, 4, 5, 4, 2};
      for (int step = 0; step < kSteps; step += (s.energy >= 2 ? 1 : 2)) {
        const int i = order[(step / (s.energy >= 2 ? 1 : 2)) % 8];
        Add(kArp, bar, step, 1, v[i % 3] + 12 * (i / 3), step % 4 == 0 ? 80 : 64);
      }
    }
  }

  void RenderBass(const Section& s, int bar, int chord, int barInSection) {
    const int root = plan_.style.tonic - 24 + Pitch(Root(chord), chord) - (Root(chord) >= 5 ? 12 : 0);
    const int fifth = root + 7;
    const int v = 96 + 6 * s.energy;
    if (s.energy == 0) {
      Add(kBass, bar, 0, kSteps, root, v - 10);
      return;
    }
    switch (plan_.style.bassStyle) {
      case 0:  // pulse: eighths, octave leaps on the offbeats when driving
        for (int step = 0; step < kSteps; step += 2)
          Add(kBass, bar, step, 2, (s.energy >= 3 && step % 4 == 2) ? root + 12 : root, step % 4 == 0 ? v : v - 12);
        break;
      case 1: {  // walking quarters
        const int walk[4] = {root, fifth, root + 12, barInSection % 2 ? fifth - 2 : fifth};
        for (int q = 0; q < 4; ++q) Add(kBass, bar, 4 * q, 4, walk[q], v - 4 * (q % 2));
        break;
      }
      case 2:  // long notes
        Add(kBass, bar, 0, 8, root, v);
        Add(kBass, bar, 8, 8, barInSection % 2 ? fifth : root, v - 10);
        break;
      default:  // gallop: one eighth and two sixteenths per beat
        for (int beat = 0; beat < 4; ++beat) {
          Add(kBass, bar, 4 * beat, 2, root, v);
          Add(kBass, bar, 4 * beat + 2, 1, root, v - 18);
          Add(kBass, bar, 4 * beat + 3, 1, beat == 3 ? fifth : root, v - 14);
        }
        break;
    }
  }

  void RenderDrums(const Section& s, int bar, int barInSection, bool fill) {
    auto hit = [&](int step, int key, int vel) { Add(kDrums, bar, step, 1, key, vel); };
    // A crash opens each section, and every fourth bar when the music drives hardest.
    if (s.energy >= 2 && (barInSection == 0 || (s.energy >= 3 && barInSection % 4 == 0))) hit(0, kCrash, 110);
    const bool oddBar = barInSection % 2 == 1;
    const int fillFrom = fill ? 12 : kSteps;
    for (int step = 0; step < fillFrom; ++step) {
      switch (s.energy) {
        case 0:
          if (step == 0) hit(step, kKick, 70);
          if (step % 8 == 4) hit(step, kClosedHat, 50);
          break;
        case 1:
          if (step == 0 || step == 10) hit(step, kKick, 88);
          if (step % 4 == 0) hit(step, kRide, 62);
          if (step == 12) hit(step, kSnare, 70);
          break;
        case 2:
          if (step == 0 || step == 8 || step == 10) hit(step, kKick, 100);
          if (step == 4 || step == 12) hit(step, kSnare, 104);
          if (oddBar && step == 15) hit(step, kSnare, 52);  // a ghost note leading into the next bar
          if (step % 2 == 0) hit(step, step == 14 ? kOpenHat : kClosedHat, step % 4 == 0 ? 80 : 62);
          break;
        default:
          if (step == 0 || step == 3 || step == 8 || step == 11 || step == 14) hit(step, kKick, 108);
          if (step == 4 || step == 12) hit(step, kSnare, 112);
          hit(step, kClosedHat, step % 4 == 0 ? 84 : (step % 2 == 0 ? 66 : 48));
          break;
      }
    }
    if (fill) {
      // Alternate a run down the toms with a rising snare roll.
      const int toms[4] = {kSnare, kTomHigh, kTomMid, kTomLow};
      const bool roll = sectionsDone_ % 2 == 1;
      for (int step = 12; step < kSteps; ++step) hit(step, roll ? kSnare : toms[step - 12], 90 + 8 * (step - 12));
    }
  }

  void ReleaseBefore(std::uint32_t limit) {
    for (Part& p : song_.parts) {
      for (Note& n : p.notes) {
        if (n.tick < limit && n.tick + n.length > limit) n.length = limit - n.tick;
      }
      // A note starting in the released window would still cross the marker: drop it.
      std::erase_if(p.notes, [&](const Note& n) { return n.tick >= limit; });
    }
  }

  const Plan& plan_;
  Random rng_;
  std::array<int, 7> scale_{};
  Song song_;
  std::uint32_t ticksPerStep_ = 0;
  Theme themeA_, themeB_;
  int sectionsDone_ = 0;
};

}  // namespace

Song Compose(const Plan& plan) { return Composer(plan).Build(); }

}  // namespace assetgen
