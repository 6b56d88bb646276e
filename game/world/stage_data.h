#pragma once
// The two stage scripts, what each operation code does, and the spawn table
// from which the spawn operations (and the how-to-play demonstration's
// spawns) fill enemy records.
#include <array>
#include <cstdint>
#include <span>

#include "game/world/world.h"

namespace game {

// What an operation code of a stage script does.
enum class ScriptAction : uint8_t {
  Stall,         // nothing, and the script stays on this step
  Wait,          // waits `limit` + 1 steps
  WaitForClear,  // advances only once every enemy record is free
  Banner,        // shows a banner
  Music,         // requests a song
  FadeOut,       // fades the music out
  EndingSong,    // requests the ending song and the title song after it
  FlyOut,        // the ship flies out; the results screen follows
  NextStage,     // switches to the stage-2 script
  Spawn,         // spawns enemies from the spawn table
};

struct ScriptOp {
  ScriptAction action = ScriptAction::Stall;
  int limit = 0;     // Wait: last value of the wait counter before advancing
  int kind = 0;      // Banner: banner kind; Music/EndingSong: song number
  int timer = 0;     // Banner: frames shown
  int zoomY = 256;   // Banner: starting vertical zoom
};

// Highest operation code the scripts use; anything above stalls.
inline constexpr int kLastScriptOp = 62;

// The operation behind a code (codes above kLastScriptOp stall).
const ScriptOp& ScriptOperation(int op);

// The op codes of a stage (0: stage 1, anything else: stage 2), including the
// trailing zeros.
std::span<const int16_t> StageScript(int stage);

// One value of a spawned field: base + perMember × k + r(random), where k is the
// member's index within its operation; a shared random number is drawn once
// per operation and used by every member.
struct SpawnValue {
  constexpr SpawnValue(int base = 0, int perMember = 0, int random = 0, bool shared = false)
      : base(base), perMember(perMember), random(random), shared(shared) {}
  int base;
  int perMember;
  int random;
  bool shared;
};

// One row of the spawn table: `count` members spawned by operation `op`.
// Fields not named are 0.
struct SpawnRow {
  int op = 0;
  int count = 1;
  SpawnValue x, y;
  int behaviour = 0;
  int spriteSet = 0;
  int hp = 0;
  int halfW = 0;
  int halfH = 0;
  int points = 0;
  SpawnValue frame, timer, speed, aux1, aux3, aux4, aux5;
  bool aux4FromSpeed = false;  // homing missiles keep their first heading in aux4

  // Builders for the table: each returns the row with some fields set.
  constexpr SpawnRow Members(int n) const { SpawnRow r = *this; r.count = n; return r; }
  constexpr SpawnRow At(SpawnValue px, SpawnValue py) const { SpawnRow r = *this; r.x = px; r.y = py; return r; }
  constexpr SpawnRow Kind(int b, int set, int h, int hw, int hh, int pts) const {
    SpawnRow r = *this;
    r.behaviour = b; r.spriteSet = set; r.hp = h; r.halfW = hw; r.halfH = hh; r.points = pts;
    return r;
  }
  constexpr SpawnRow Frame(SpawnValue v) const { SpawnRow r = *this; r.frame = v; return r; }
  constexpr SpawnRow Timer(SpawnValue v) const { SpawnRow r = *this; r.timer = v; return r; }
  constexpr SpawnRow Speed(SpawnValue v) const { SpawnRow r = *this; r.speed = v; return r; }
  constexpr SpawnRow Aux1(SpawnValue v) const { SpawnRow r = *this; r.aux1 = v; return r; }
  constexpr SpawnRow Aux3(SpawnValue v) const { SpawnRow r = *this; r.aux3 = v; return r; }
  constexpr SpawnRow Aux4(SpawnValue v) const { SpawnRow r = *this; r.aux4 = v; return r; }
  constexpr SpawnRow Aux5(SpawnValue v) const { SpawnRow r = *this; r.aux5 = v; return r; }
  constexpr SpawnRow Aux4FromSpeed() const { SpawnRow r = *this; r.aux4FromSpeed = true; return r; }
};

constexpr SpawnRow Op(int op) { SpawnRow r; r.op = op; return r; }

// The rows of a spawn operation of the stage scripts, in spawning order
// (empty for codes that spawn nothing).
std::span<const SpawnRow> SpawnRows(int op);

// The rows of a spawn code (20, 21, 22, 24) of the how-to-play script.
std::span<const SpawnRow> DemoSpawnRows(int code);

// Spawns the members of `rows` into the lowest free enemy records; stops at
// the first member that finds the pool full (the rest are not spawned later).
void SpawnMembers(std::array<Enemy, kEnemyCapacity>& pool, std::span<const SpawnRow> rows);

}  // namespace game
