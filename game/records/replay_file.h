#pragma once
// The replay file: versioned, little-endian, closed by a CRC-32 of its bytes
// (docs/replay-format.md gives every field). The reader refuses anything it
// cannot play exactly, or that no game could have recorded, with the reason,
// and never reads past the bytes it has.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "game/records/replay.h"

namespace game {

// The fixed part before the input runs.
constexpr size_t kReplayHeaderBytes = 476;
// A game longer than two hours of play (at 30 frames a second) is not kept,
// and a replay that claims more frames is refused.
constexpr uint32_t kMaxReplayFrames = 216000;
// The input runs a replay may hold (every run is at least one frame).
constexpr size_t kMaxInputRuns = size_t{1} << 18;
// A checkpoint in the file: the world's fields, then a hash per pool.
constexpr size_t kCheckpointBytes = 4 * kWorldStartFields + 8 * kPoolCount;
constexpr size_t kMaxCheckpoints = CheckpointsOf(kMaxReplayFrames);
// Format 1 ends with the runs' CRC; format 2 puts its checkpoints between.
constexpr size_t kMaxReplayBytesV1 = kReplayHeaderBytes + 4 * kMaxInputRuns + 4;
constexpr size_t kMaxReplayBytes = kMaxReplayBytesV1 + 4 + kCheckpointBytes * kMaxCheckpoints;
// The text of a replay's ranking row, as the row holds it.
constexpr size_t kReplayRowTextBytes = 20;

std::vector<uint8_t> EncodeReplay(const Replay& replay);
// False with the reason when the bytes are not a whole, undamaged replay (of
// format 1 or 2) of this simulation version, of a game from a start point
// (start_worlds.h), whose input covers exactly its frames and, in format 2,
// with a checkpoint for each stretch of them.
bool DecodeReplay(std::span<const uint8_t> bytes, Replay& replay, std::string& reason);
// The CRC-32 (as zlib and PNG compute it) that closes a replay.
uint32_t ReplayCrc32(std::span<const uint8_t> bytes);

// A regular file only, never past the bytes a replay can have; its bytes in
// `bytes` when given (to copy or send the file as it is).
bool ReadReplayFile(const std::string& path, Replay& replay, std::string& reason, std::string* bytes = nullptr);
// Atomically, as score.dat is written.
bool WriteReplayFile(const std::string& path, const Replay& replay, std::string& error);

}  // namespace game
