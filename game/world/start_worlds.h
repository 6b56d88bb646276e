#pragma once
// The worlds a game can start from. A game is its start world and its input
// (game/records/replay.h), so a start world no game has would play a game no
// one could play: it may throw in every frame (a pose past the sprite table)
// or play and verify perfectly (99 ships, a preset score). This table says,
// for each way a game starts, which values each field of the start world
// may hold; a replay whose start world fits none of them is refused.
//
// A game starts as a new game from the title, or as a practice of a stage or
// a boss. ResetRun and ResetStage set most of the world; the rest is what the
// title, and the screens before it, leave behind, and for a practice where it
// starts (start_worlds.cpp derives each range).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "game/world/world_fields.h"

namespace game {

enum class StartKind {
  kNewGame,   // from the title, with the button press
  kPractice,  // from a practice start point
};

// One field of the start world (a whole array at once: `count` fields from
// `offset` of its record), and the values it may hold: `low` to `high` in
// steps of `step` from `low`.
struct StartRange {
  enum Record { kGameState, kPlayerShip, kTrailPoint };  // a trail range holds for every trail entry
  Record record;
  uint32_t offset;  // in bytes
  uint32_t count;
  const char* name;
  int32_t low, high, step;
};

// Where a practice starts, and when it is over. A stage start is the world
// ResetRun and ResetStage leave, on that stage; a boss start is that stage's
// start on the frame its script runs the boss's operation (the script's step
// due, the boss's song asked for). The ship's power is the player's choice.
struct PracticeStart {
  int32_t stage;          // 0 stage 1, 1 stage 2
  int32_t scriptPos;      // the script's step (0: the stage's start)
  int32_t musicRequest;   // the song of that point (0: the script's first step asks)
  int32_t bossBehaviour;  // a boss's practice ends once no record of it is left;
                          // 0: a stage's ends with the stage
};

struct StartPoint {
  StartKind kind;
  const char* name;  // "a new game from the title"
  std::span<const StartRange> ranges;
  PracticeStart practice;  // kPractice only
};

// The ship's power, 0 to kMaxPower: what a practice may start with.
constexpr int32_t kMaxPower = 4;

// Every start point, in table order.
std::span<const StartPoint> StartPoints();
// The practice start points, in the practice menu's order: stage 1, stage 2,
// the first boss, the stage-1 boss, the stage-2 boss.
std::span<const StartPoint> PracticePoints();

// The name of field `index` of a start world ("GameState.layerX[2]",
// "the trail's y (entry 4)"), for messages that say which field differs.
std::string StartFieldName(size_t index);

// The start point `world` is one of; null when it is none, with the reason in
// `reason`: the first field the nearest start point does not allow.
const StartPoint* FindStartPoint(const StartWorld& world, std::string* reason = nullptr);

// Whether `world` is where a new game from the title starts (the one start a
// ranked score counts from); when it is not, why in `why`: the first field a
// new game does not allow, or the other start point it is.
bool IsNewGameStart(const StartWorld& world, std::string* why = nullptr);

}  // namespace game
