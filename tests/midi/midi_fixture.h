#pragma once
// Helpers of the MIDI tests: Standard MIDI Files built in memory and written
// to a private temporary folder, and a fixture with the headless backend and
// a TVantorMidi whose sequencer the test steps at simulated time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/headless/backend.h"
#include "vantor/midi/midi.h"

namespace miditest {

using Bytes = std::vector<uint8_t>;
using platform::headless::MidiRecord;

// One track chunk's events, written with their delta times.
class TrackBuilder {
 public:
  TrackBuilder& Raw(const Bytes& bytes) {
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  TrackBuilder& Delta(uint32_t delta) {
    uint8_t groups[5];
    int count = 0;
    do {
      groups[count++] = delta & 0x7F;
      delta >>= 7;
    } while (delta);
    while (count > 1) data_.push_back(groups[--count] | 0x80);
    data_.push_back(groups[0]);
    return *this;
  }
  TrackBuilder& Event(uint32_t delta, const Bytes& bytes) { return Delta(delta).Raw(bytes); }
  TrackBuilder& Meta(uint32_t delta, uint8_t type, const std::string& text) {
    Event(delta, {0xFF, type});
    Delta(static_cast<uint32_t>(text.size()));
    return Raw(Bytes(text.begin(), text.end()));
  }
  TrackBuilder& Tempo(uint32_t delta, uint32_t microseconds) {
    return Event(delta, {0xFF, 0x51, 0x03, static_cast<uint8_t>(microseconds >> 16),
                         static_cast<uint8_t>(microseconds >> 8),
                         static_cast<uint8_t>(microseconds)});
  }
  TrackBuilder& Marker(uint32_t delta, const std::string& text) { return Meta(delta, 0x06, text); }
  TrackBuilder& Cue(uint32_t delta, const std::string& text) { return Meta(delta, 0x07, text); }
  TrackBuilder& End(uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }

  const Bytes& Data() const { return data_; }

 private:
  Bytes data_;
};

inline void Append32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline Bytes Chunk(const char* type, const Bytes& body) {
  Bytes out(type, type + 4);
  Append32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline Bytes Smf(uint16_t format, uint16_t division, const std::vector<TrackBuilder>& tracks) {
  Bytes out = Chunk("MThd", {static_cast<uint8_t>(format >> 8), static_cast<uint8_t>(format),
                             0, static_cast<uint8_t>(tracks.size()),
                             static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)});
  for (const TrackBuilder& track : tracks) {
    Bytes chunk = Chunk("MTrk", track.Data());
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

// A folder of this test process's own, so parallel test runs never share
// files; it is removed when the tests end.
inline std::filesystem::path TempDir() {
  return std::filesystem::temp_directory_path() /
         ("solvara-midi-tests-" + std::to_string(getpid()));
}

class TempDirCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(TempDir(), ignored);
  }
};
inline ::testing::Environment* const kTempDirCleanup =
    ::testing::AddGlobalTestEnvironment(new TempDirCleanup);

inline std::string TempFile(const std::string& name) {
  std::filesystem::create_directories(TempDir());
  return (TempDir() / name).string();
}

inline std::string WriteFile(const std::string& name, const Bytes& bytes) {
  std::string path = TempFile(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

inline AnsiString Text(const char* utf8) { return platform::Utf8ToCp932(utf8); }

class MidiTest : public ::testing::Test {
 protected:
  void SetUp() override { midi.SetReport(true); }

  // One sequencer pass `ms` milliseconds after the previous one. Whether the
  // thread or this call takes the pass, it is taken exactly once.
  void Pass(uint32_t ms) {
    backend.clock.Advance(ms);
    midi.SequencerPass();
  }
  void Passes(int count, uint32_t ms = 10) {
    for (int i = 0; i < count; ++i) Pass(ms);
  }

  void Load(const char* name, const std::vector<TrackBuilder>& tracks, uint16_t division = 480,
            uint16_t format = 1) {
    midi.CreateData(name, WriteFile(std::string(name) + ".mid", Smf(format, division, tracks)));
  }

  // The records of one kind, in order.
  std::vector<Bytes> Sent(MidiRecord::Kind kind) const {
    std::vector<Bytes> out;
    for (const MidiRecord& r : backend.midi.Records())
      if (r.kind == kind) out.push_back(r.bytes);
    return out;
  }
  std::vector<Bytes> Shorts() const { return Sent(MidiRecord::Kind::Short); }
  std::vector<Bytes> Longs() const { return Sent(MidiRecord::Kind::Long); }
  int Count(const Bytes& shortMessage) const {
    int n = 0;
    for (const Bytes& b : Shorts()) n += b == shortMessage;
    return n;
  }

  platform::headless::Backend backend;
  VantorMidiSystem::TVantorMidi midi{nullptr};
};

}  // namespace miditest
