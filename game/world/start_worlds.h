#pragma once
// The worlds a game can start from. A game is its start world and its input
// (game/records/replay.h), so a start world no game has would play a game no
// one could play: it may throw in every frame (a pose past the sprite table)
// or play and verify perfectly (99 ships, a preset score). This table says,
// for each way a game starts, which values each field of the start world
// may hold; a replay whose start world fits none of them is refused.
//
// Today a game starts one way: a new game from the title. ResetRun and
// ResetStage set most of the world; the rest is what the title, and the
// screens before it, leave behind (start_worlds.cpp derives each range).
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

struct StartPoint {
  StartKind kind;
  const char* name;  // "a new game from the title"
  std::span<const StartRange> ranges;
};

// Every start point, in table order.
std::span<const StartPoint> StartPoints();

// The start point `world` is one of; null when it is none, with the reason in
// `reason`: the first field the nearest start point does not allow.
const StartPoint* FindStartPoint(const StartWorld& world, std::string* reason = nullptr);

// Whether `world` is where a new game from the title starts (the one start a
// ranked score counts from); when it is not, why in `why`: the first field a
// new game does not allow, or the other start point it is.
bool IsNewGameStart(const StartWorld& world, std::string* why = nullptr);

}  // namespace game
