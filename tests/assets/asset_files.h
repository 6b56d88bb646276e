#pragma once
// Small readers for the generated assets, written apart from the generator so the tests
// judge the files themselves: 24-bit BMPs, PCM WAVs and Standard MIDI Files.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace assets_test {

using Bytes = std::vector<uint8_t>;

inline std::string AssetPath(const std::string& relative) { return std::string(SOLVARA_BUILD_DIR) + "/" + relative; }

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  Bytes b(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
  return b;
}

inline uint32_t Le(const Bytes& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
  return v;
}
inline uint32_t Be(const Bytes& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | b.at(at + i);
  return v;
}

struct Rgb {
  uint8_t r, g, b;
  bool IsKey() const { return r == 0 && g == 0 && b == 0; }
  // What the pixel becomes on a 16-bit display: zero there is the key colour.
  bool KeyIn565() const { return (r >> 3) == 0 && (g >> 2) == 0 && (b >> 3) == 0; }
  int Luma() const { return (r * 3 + g * 6 + b) / 10; }
};

struct Image {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  const Rgb& At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// A 24-bit uncompressed BMP, or nothing when the file is anything else.
inline std::optional<Image> ReadBmp(const std::string& path) {
  const Bytes b = ReadAll(path);
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  if (Le(b, 14, 4) < 40 || Le(b, 28, 2) != 24 || Le(b, 30, 4) != 0) return std::nullopt;
  Image img;
  img.width = static_cast<int>(Le(b, 18, 4));
  const auto rawHeight = static_cast<int32_t>(Le(b, 22, 4));
  img.height = rawHeight < 0 ? -rawHeight : rawHeight;
  const size_t offset = Le(b, 10, 4), rowBytes = (size_t(img.width) * 3 + 3) & ~size_t(3);
  if (img.width <= 0 || img.height <= 0 || offset + rowBytes * img.height > b.size()) return std::nullopt;
  img.pixels.resize(size_t(img.width) * img.height);
  for (int y = 0; y < img.height; ++y) {
    const size_t row = offset + rowBytes * size_t(rawHeight < 0 ? y : img.height - 1 - y);
    for (int x = 0; x < img.width; ++x)
      img.pixels[size_t(y) * img.width + x] = {b[row + 3 * x + 2], b[row + 3 * x + 1], b[row + 3 * x]};
  }
  return img;
}

struct Wav {
  int channels = 0, rate = 0, bits = 0, formatTag = 0;
  std::vector<double> samples;  // -1..1, all channels interleaved
};

// Walks the RIFF chunks the way a loader does: "fmt " and "data", others skipped.
inline std::optional<Wav> ReadWav(const std::string& path) {
  const Bytes b = ReadAll(path);
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
      std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
    return std::nullopt;
  Wav w;
  bool format = false;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + at, b.begin() + at + 4);
    const size_t size = Le(b, at + 4, 4), body = at + 8;
    if (body + size > b.size()) return std::nullopt;
    if (id == "fmt " && size >= 16) {
      w.formatTag = static_cast<int>(Le(b, body, 2));
      w.channels = static_cast<int>(Le(b, body + 2, 2));
      w.rate = static_cast<int>(Le(b, body + 4, 4));
      w.bits = static_cast<int>(Le(b, body + 14, 2));
      format = true;
    } else if (id == "data" && format) {
      for (size_t i = 0; w.bits == 8 ? i < size : i + 1 < size; i += w.bits / 8) {
        w.samples.push_back(w.bits == 8 ? (b[body + i] - 128) / 128.0
                                        : static_cast<int16_t>(Le(b, body + i, 2)) / 32768.0);
      }
      return w;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

struct MidiEvent {
  uint32_t tick;
  int track;
  uint8_t status;    // 0xFF for meta events
  uint8_t type;      // meta type, or the first data byte
  uint8_t data2;
  std::string text;  // meta payload
};

struct Smf {
  int format = 0, division = 0;
  std::vector<std::vector<MidiEvent>> tracks;
  std::vector<uint32_t> trackEnds;  // tick of each End of Track
};

inline uint32_t VarLen(const Bytes& b, size_t& at, size_t end) {
  uint32_t v = 0;
  for (int n = 0; n < 4 && at < end; ++n) {
    const uint8_t c = b[at++];
    v = (v << 7) | (c & 0x7F);
    if (!(c & 0x80)) return v;
  }
  throw std::runtime_error("bad variable-length number");
}

// Reads every track, requiring an End of Track at the end of each chunk.
inline std::optional<Smf> ReadSmf(const std::string& path) {
  const Bytes b = ReadAll(path);
  if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd" || Be(b, 4, 4) != 6) return std::nullopt;
  Smf s;
  s.format = static_cast<int>(Be(b, 8, 2));
  s.division = static_cast<int>(Be(b, 12, 2));
  const int count = static_cast<int>(Be(b, 10, 2));
  size_t at = 14;
  try {
    for (int t = 0; t < count; ++t) {
      if (at + 8 > b.size() || std::string(b.begin() + at, b.begin() + at + 4) != "MTrk") return std::nullopt;
      const size_t end = at + 8 + Be(b, at + 4, 4);
      if (end > b.size()) return std::nullopt;
      at += 8;
      std::vector<MidiEvent> events;
      uint32_t tick = 0;
      uint8_t running = 0;
      bool ended = false;
      while (at < end && !ended) {
        tick += VarLen(b, at, end);
        if (b.at(at) & 0x80) running = b[at++];
        MidiEvent e{tick, t, running, 0, 0, {}};
        if (running == 0xFF) {
          e.type = b.at(at++);
          const uint32_t n = VarLen(b, at, end);
          if (at + n > end) return std::nullopt;
          e.text.assign(b.begin() + at, b.begin() + at + n);
          at += n;
          ended = e.type == 0x2F;
        } else if (running == 0xF0 || running == 0xF7) {
          const uint32_t n = VarLen(b, at, end);
          if (at + n > end) return std::nullopt;
          e.text.assign(b.begin() + at, b.begin() + at + n);
          at += n;
        } else {
          const int dataBytes = ((running & 0xF0) == 0xC0 || (running & 0xF0) == 0xD0) ? 1 : 2;
          if (at + dataBytes > end) return std::nullopt;
          e.type = b[at++];
          if (dataBytes == 2) e.data2 = b[at++];
        }
        if (!ended) events.push_back(e);
      }
      if (!ended || at != end) return std::nullopt;
      s.tracks.push_back(std::move(events));
      s.trackEnds.push_back(tick);
    }
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return s;
}

}  // namespace assets_test
