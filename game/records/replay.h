#pragma once
// A replay: one game, enough to play it again exactly as it went. The world
// advances only by whole frames, from the input codes it reads and from the
// one random generator, so a game is the world it inherits from before it
// started (the generator's state and the named fields of GameState,
// PlayerShip and the trail) and the input codes of each of its frames.
//
// A game runs from the first frame on the play screen to the moment its
// results screen enters the score in the ranking (after game over or the
// ending); paused frames are not part of it. The pools need no saving: a new
// game frees them all, and every spawn sets each field of its record.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/world/world.h"
#include "game/world/world_fields.h"
#include "vantor/input/input.h"

namespace game {

class TForm1;

// How the world plays. Raise it whenever a change alters how the world plays
// (a rule, a table, a speed, the order of the random draws, which input a
// frame reads): replays of another version are refused rather than played
// astray. A release that leaves the world alone keeps it.
constexpr uint32_t kSimulationVersion = 1;

// The replay file's format (replay_file.h): 2 adds checkpoints to 1, which
// is still read.
constexpr uint32_t kReplayFormatVersion = 2;

// `frames` frames in a row whose polls read `code`.
struct InputRun {
  uint16_t code;
  uint16_t frames;
};

// After every kCheckpointFrames frames of a game (frames 300, 600, ...,
// counted from 1, before its last frame) a replay keeps the world as it
// was: the named fields, and one FNV-1a (64 bit) per pool over its records
// in use. A replay that stops playing as recorded is caught at the first
// checkpoint after the frame where it went astray, and the fields that
// differ name what went astray.
constexpr uint32_t kCheckpointFrames = 300;
struct Checkpoint {
  StartWorld world{};
  std::array<uint64_t, kPoolCount> pools{};
};
// The checkpoints a game of `frames` frames has.
constexpr uint32_t CheckpointsOf(uint32_t frames) { return frames == 0 ? 0 : (frames - 1) / kCheckpointFrames; }

struct Replay {
  uint32_t format = kReplayFormatVersion;  // as read (and written again)
  uint32_t simulationVersion = kSimulationVersion;
  int64_t endTime = 0;   // when the game ended, seconds since 1970 (UTC)
  std::string rowText;   // the text a ranking row of the game carries (at most 20 bytes)
  int32_t finalScore = 0;
  uint64_t endChecksum = 0;
  uint32_t frames = 0;
  uint32_t randomState = 0;
  StartWorld world{};
  std::vector<InputRun> runs;
  std::vector<Checkpoint> checkpoints;  // none in format 1
};

// The world a new game starts from, taken at its first frame.
void TakeWorldStart(const TForm1& f, Replay& replay);
// Puts the form where the replay's game started (a fresh stage and pools),
// a practice when its start world is one.
void RestoreWorldStart(TForm1& f, const Replay& replay);
// FNV-1a (64 bit) over the little-endian bytes of every named field of
// GameState, PlayerShip and the trail, then of each record in use of the five
// pools (its index first).
uint64_t WorldChecksum(const TForm1& f);
// The world as a checkpoint keeps it.
Checkpoint TakeCheckpoint(const TForm1& f);
// What differs between a recorded checkpoint and the world played: the fields
// that do, recorded against played values ("PlayerShip.y recorded 240,
// played 236"), else the pools that do; empty when nothing does.
std::string CheckpointDifference(const Checkpoint& recorded, const Checkpoint& played);

// The 2-bit codes of up, down, left, right and buttons 1-3 as one number
// (button 4 the game never reads), and back.
uint16_t InputCode(const VantorInputSystem::TVantorInputState& state);
VantorInputSystem::TVantorInputState InputState(uint16_t code);
// A code a poll can give: seven fields of 0, 1 or 2.
bool ValidInputCode(uint16_t code);

}  // namespace game
