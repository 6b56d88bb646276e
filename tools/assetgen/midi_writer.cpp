#include "midi_writer.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "byte_writer.h"

namespace assetgen {

namespace {

struct Event {
  std::uint32_t tick;
  int order;  // at one tick: set-up first, then note-offs, then note-ons
  std::vector<std::uint8_t> bytes;
};

void Meta(std::vector<Event>& ev, std::uint32_t tick, int order, std::uint8_t type, const std::string& text) {
  std::vector<std::uint8_t> b = {0xFF, type};
  ByteWriter len;
  len.VarLen(static_cast<std::uint32_t>(text.size()));
  b.insert(b.end(), len.Bytes().begin(), len.Bytes().end());
  b.insert(b.end(), text.begin(), text.end());
  ev.push_back({tick, order, b});
}

std::vector<std::uint8_t> Chunk(std::vector<Event> ev, std::uint32_t endTick) {
  std::stable_sort(ev.begin(), ev.end(),
                   [](const Event& a, const Event& b) { return std::tie(a.tick, a.order) < std::tie(b.tick, b.order); });
  ByteWriter body;
  std::uint32_t now = 0;
  for (const Event& e : ev) {
    body.VarLen(e.tick - now);
    now = e.tick;
    body.Append(e.bytes);
  }
  body.VarLen(endTick > now ? endTick - now : 0);
  body.Append({0xFF, 0x2F, 0x00});
  ByteWriter chunk;
  chunk.Text("MTrk");
  chunk.U32be(static_cast<std::uint32_t>(body.Size()));
  chunk.Append(body.Bytes());
  return chunk.Bytes();
}

std::vector<std::uint8_t> TempoTrack(const Song& song) {
  std::vector<Event> ev;
  Meta(ev, 0, 0, 0x03, song.title);
  // General MIDI System On, so the synthesizer starts from its defaults.
  ev.push_back({0, 1, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}});
  const std::uint8_t denominatorPower = 2;  // quarter notes
  ev.push_back({0, 2, {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(song.beatsPerBar), denominatorPower, 24, 8}});
  const auto usPerQuarter = static_cast<std::uint32_t>(std::lround(60000000.0 / song.bpm));
  ev.push_back({0, 3,
                {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(usPerQuarter >> 16),
                 static_cast<std::uint8_t>(usPerQuarter >> 8), static_cast<std::uint8_t>(usPerQuarter)}});
  for (const Marker& m : song.markers) Meta(ev, m.tick, 4, 0x06, m.text);
  return Chunk(std::move(ev), song.endTick);
}

std::vector<std::uint8_t> PartTrack(const Part& part, std::uint32_t endTick) {
  std::vector<Event> ev;
  Meta(ev, 0, 0, 0x03, part.name);
  const auto ch = static_cast<std::uint8_t>(part.channel);
  auto cc = [&](std::uint8_t controller, int value) {
    ev.push_back({0, 1, {static_cast<std::uint8_t>(0xB0 | ch), controller, static_cast<std::uint8_t>(value)}});
  };
  if (part.channel != 9) ev.push_back({0, 1, {static_cast<std::uint8_t>(0xC0 | ch), static_cast<std::uint8_t>(part.program)}});
  cc(7, part.volume);
  cc(10, part.pan);
  cc(91, part.reverb);
  cc(93, part.chorus);
  for (const Note& n : part.notes) {
    const auto key = static_cast<std::uint8_t>(std::clamp(n.key, 0, 127));
    const auto vel = static_cast<std::uint8_t>(std::clamp(n.velocity, 1, 127));
    ev.push_back({n.tick, 3, {static_cast<std::uint8_t>(0x90 | ch), key, vel}});
    ev.push_back({n.tick + n.length, 2, {static_cast<std::uint8_t>(0x80 | ch), key, 0x40}});
  }
  return Chunk(std::move(ev), endTick);
}

}  // namespace

std::vector<std::uint8_t> EncodeSmf(const Song& song) {
  ByteWriter out;
  out.Text("MThd");
  out.U32be(6);
  out.U16be(1);
  out.U16be(static_cast<std::uint32_t>(song.parts.size() + 1));
  out.U16be(static_cast<std::uint32_t>(song.ticksPerQuarter));
  out.Append(TempoTrack(song));
  for (const Part& p : song.parts) out.Append(PartTrack(p, song.endTick));
  return out.Bytes();
}

void WriteSmf(const std::string& path, const Song& song) {
  ByteWriter out;
  out.Append(EncodeSmf(song));
  out.Save(path);
}

}  // namespace assetgen
