#include "game/records/replay_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "game/world/start_worlds.h"
#include "platform/files.h"

namespace game {
namespace {

constexpr char kMagic[8] = {'S', 'O', 'L', 'V', 'R', 'E', 'P', 'L'};

// Offsets of the header's fields.
constexpr size_t kFormatAt = 8, kSimulationAt = 12, kEndTimeAt = 16, kRowTextAt = 24, kScoreAt = 44;
constexpr size_t kChecksumAt = 48, kFramesAt = 56, kRandomAt = 60, kFieldCountAt = 64, kWorldAt = 68;
constexpr size_t kRunCountAt = kWorldAt + 4 * kWorldStartFields;
static_assert(kRunCountAt + 4 == kReplayHeaderBytes);

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

class Writer {
 public:
  explicit Writer(std::vector<uint8_t>& out) : out_(out) {}
  void Unsigned(uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  void Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + size);
  }

 private:
  std::vector<uint8_t>& out_;
};

// Little-endian fields at fixed offsets; the caller has checked the size.
uint64_t Unsigned(std::span<const uint8_t> bytes, size_t at, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}
uint32_t U32(std::span<const uint8_t> bytes, size_t at) { return static_cast<uint32_t>(Unsigned(bytes, at, 4)); }

bool Refuse(std::string& reason, std::string text) {
  reason = std::move(text);
  return false;
}

bool DecodeRuns(std::span<const uint8_t> bytes, size_t count, Replay& replay, std::string& reason) {
  replay.runs.clear();
  replay.runs.reserve(count);
  uint64_t covered = 0;
  for (size_t k = 0; k < count; ++k) {
    const size_t at = kReplayHeaderBytes + 4 * k;
    const InputRun run{static_cast<uint16_t>(Unsigned(bytes, at, 2)),
                       static_cast<uint16_t>(Unsigned(bytes, at + 2, 2))};
    const std::string which = "input run " + std::to_string(k + 1);
    if (run.frames == 0) return Refuse(reason, which + " is empty");
    if (!ValidInputCode(run.code)) return Refuse(reason, which + " holds the code " + std::to_string(run.code) +
                                                             ", which no poll of the input gives");
    covered += run.frames;
    if (covered > replay.frames)
      return Refuse(reason, which + " reaches past the game's " + std::to_string(replay.frames) + " frames");
    replay.runs.push_back(run);
  }
  if (covered < replay.frames)
    return Refuse(reason, "its input ends after frame " + std::to_string(covered) + ", before the game's " +
                              std::to_string(replay.frames) + " frames end");
  return true;
}

}  // namespace

uint32_t ReplayCrc32(std::span<const uint8_t> bytes) {
  static constexpr std::array<uint32_t, 256> kTable = MakeCrcTable();
  uint32_t c = 0xFFFFFFFFu;
  for (uint8_t b : bytes) c = kTable[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::vector<uint8_t> EncodeReplay(const Replay& r) {
  std::vector<uint8_t> out;
  out.reserve(kReplayHeaderBytes + 4 * r.runs.size() + 8 + kCheckpointBytes * r.checkpoints.size());
  Writer w(out);
  w.Bytes(kMagic, sizeof kMagic);
  w.Unsigned(r.format, 4);
  w.Unsigned(r.simulationVersion, 4);
  w.Unsigned(static_cast<uint64_t>(r.endTime), 8);
  char text[kReplayRowTextBytes] = {};
  std::memcpy(text, r.rowText.data(), std::min(r.rowText.size(), sizeof text));
  w.Bytes(text, sizeof text);
  w.Unsigned(static_cast<uint32_t>(r.finalScore), 4);
  w.Unsigned(r.endChecksum, 8);
  w.Unsigned(r.frames, 4);
  w.Unsigned(r.randomState, 4);
  w.Unsigned(kWorldStartFields, 4);
  for (int32_t value : r.world) w.Unsigned(static_cast<uint32_t>(value), 4);
  w.Unsigned(r.runs.size(), 4);
  for (const InputRun& run : r.runs) {
    w.Unsigned(run.code, 2);
    w.Unsigned(run.frames, 2);
  }
  if (r.format >= 2) {
    w.Unsigned(r.checkpoints.size(), 4);
    for (const Checkpoint& c : r.checkpoints) {
      for (int32_t value : c.world) w.Unsigned(static_cast<uint32_t>(value), 4);
      for (uint64_t hash : c.pools) w.Unsigned(hash, 8);
    }
  }
  w.Unsigned(ReplayCrc32(out), 4);
  return out;
}

bool DecodeReplay(std::span<const uint8_t> bytes, Replay& r, std::string& reason) {
  const size_t size = bytes.size();
  if (size > kMaxReplayBytes)
    return Refuse(reason, "oversized: " + std::to_string(size) + " bytes, more than a replay holds (" +
                              std::to_string(kMaxReplayBytes) + ")");
  if (size < sizeof kMagic) return Refuse(reason, "truncated: " + std::to_string(size) + " bytes");
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return Refuse(reason, "not a SOLVARA 2001 replay");
  if (size < kFormatAt + 4) return Refuse(reason, "truncated: " + std::to_string(size) + " bytes");
  const uint32_t format = U32(bytes, kFormatAt);
  if (format != 1 && format != kReplayFormatVersion)
    return Refuse(reason, "file format " + std::to_string(format) + ", this game reads formats 1 and " +
                              std::to_string(kReplayFormatVersion));
  // Format 2 adds the checkpoints' count (and the checkpoints) before the CRC.
  const size_t minimum = kReplayHeaderBytes + (format == 1 ? 4 : 8);
  if (size < minimum)
    return Refuse(reason, "truncated: " + std::to_string(size) + " bytes, a replay has at least " +
                              std::to_string(minimum));
  const uint32_t runs = U32(bytes, kRunCountAt);
  if (runs > kMaxInputRuns)
    return Refuse(reason, "oversized: " + std::to_string(runs) + " input runs, more than a replay holds (" +
                              std::to_string(kMaxInputRuns) + ")");
  const size_t runsEnd = kReplayHeaderBytes + 4 * size_t{runs};
  if (size < minimum + 4 * size_t{runs})
    return Refuse(reason, "truncated: " + std::to_string(size) + " bytes of the " +
                              std::to_string(minimum + 4 * size_t{runs}) + " its " + std::to_string(runs) +
                              " input runs need");
  const uint32_t checkpoints = format == 1 ? 0 : U32(bytes, runsEnd);
  if (checkpoints > kMaxCheckpoints)
    return Refuse(reason, "oversized: " + std::to_string(checkpoints) + " checkpoints, more than a replay holds (" +
                              std::to_string(kMaxCheckpoints) + ")");
  const size_t whole = minimum + 4 * size_t{runs} + kCheckpointBytes * checkpoints;
  if (size < whole)
    return Refuse(reason, "truncated: " + std::to_string(size) + " bytes of the " + std::to_string(whole) +
                              " its " + std::to_string(checkpoints) + " checkpoints need");
  if (size > whole)
    return Refuse(reason, "oversized: " + std::to_string(size - whole) + " bytes after its end");
  if (ReplayCrc32(bytes.first(size - 4)) != U32(bytes, size - 4))
    return Refuse(reason, "damaged: its checksum does not match its contents");
  r.simulationVersion = U32(bytes, kSimulationAt);
  if (r.simulationVersion != kSimulationVersion)
    return Refuse(reason, "recorded by simulation version " + std::to_string(r.simulationVersion) +
                              ", this game plays version " + std::to_string(kSimulationVersion));
  if (U32(bytes, kFieldCountAt) != kWorldStartFields)
    return Refuse(reason, "its world holds " + std::to_string(U32(bytes, kFieldCountAt)) + " fields, not " +
                              std::to_string(kWorldStartFields));
  r.endTime = static_cast<int64_t>(Unsigned(bytes, kEndTimeAt, 8));
  const auto* text = reinterpret_cast<const char*>(bytes.data() + kRowTextAt);
  r.rowText.assign(text, strnlen(text, kReplayRowTextBytes));
  r.finalScore = static_cast<int32_t>(U32(bytes, kScoreAt));
  r.endChecksum = Unsigned(bytes, kChecksumAt, 8);
  r.frames = U32(bytes, kFramesAt);
  if (r.frames == 0) return Refuse(reason, "it holds no frame of a game");
  if (r.frames > kMaxReplayFrames)
    return Refuse(reason, "oversized: " + std::to_string(r.frames) + " frames, more than a replay holds (" +
                              std::to_string(kMaxReplayFrames) + ", two hours of play)");
  r.randomState = U32(bytes, kRandomAt);
  for (size_t i = 0; i < kWorldStartFields; ++i) r.world[i] = static_cast<int32_t>(U32(bytes, kWorldAt + 4 * i));
  std::string why;
  if (!FindStartPoint(r.world, &why)) return Refuse(reason, "its world is not one a game starts from: " + why);
  if (!DecodeRuns(bytes, runs, r, reason)) return false;
  r.format = format;
  if (format == 1) {
    r.checkpoints.clear();
    return true;
  }
  if (checkpoints != CheckpointsOf(r.frames))
    return Refuse(reason, "it holds " + std::to_string(checkpoints) + " checkpoints, where its " +
                              std::to_string(r.frames) + " frames have " + std::to_string(CheckpointsOf(r.frames)));
  r.checkpoints.resize(checkpoints);
  size_t at = runsEnd + 4;
  for (Checkpoint& c : r.checkpoints) {
    for (int32_t& value : c.world) {
      value = static_cast<int32_t>(U32(bytes, at));
      at += 4;
    }
    for (uint64_t& hash : c.pools) {
      hash = Unsigned(bytes, at, 8);
      at += 8;
    }
  }
  return true;
}

bool ReadReplayFile(const std::string& path, Replay& replay, std::string& reason, std::string* bytes) {
  // Not blocking: a named pipe is refused, not waited on. One byte more than
  // a replay can hold tells an oversized file, without reading all of it.
  std::string read;
  std::string& text = bytes ? *bytes : read;
  uint64_t size = 0;
  if (!platform::ReadRegularFile(path, text, kMaxReplayBytes + 1, &size, &reason)) return false;
  if (text.size() > kMaxReplayBytes)
    return Refuse(reason, "oversized: " + std::to_string(std::max<uint64_t>(size, text.size())) +
                              " bytes, more than a replay holds (" + std::to_string(kMaxReplayBytes) + ")");
  return DecodeReplay(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), replay, reason);
}

bool WriteReplayFile(const std::string& path, const Replay& replay, std::string& error) {
  const std::vector<uint8_t> bytes = EncodeReplay(replay);
  return platform::WriteFileAtomically(path, bytes.data(), bytes.size(), &error);
}

}  // namespace game
