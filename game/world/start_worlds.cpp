#include "game/world/start_worlds.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <limits>

#include "game/world/stage_data.h"

namespace game {
namespace {

// A field's place and name, for a row of the table.
#define GAME_STATE(field) \
  StartRange::kGameState, offsetof(GameState, field), sizeof(GameState::field) / 4, "GameState." #field
#define PLAYER_SHIP(field) \
  StartRange::kPlayerShip, offsetof(PlayerShip, field), sizeof(PlayerShip::field) / 4, "PlayerShip." #field
#define TRAIL(field) StartRange::kTrailPoint, offsetof(TrailPoint, field), 1, "the trail's " #field

// A new game from the title. The title's press frame runs ResetRun and
// ResetStage, moves to the play screen and counts its frame; the frame then
// serves (and clears) the music and sound requests. The game starts on the
// next frame, from what that leaves:
//
// - set by the resets: the stage, score, lives, power, the script's place,
//   the ship's fly-in from (-1600, 240) and its trail, invincibility;
// - the title's own: its counter counts the press frame (1 to 351, the
//   frame it would time out on still starting the game), the background's
//   angle (0 to 65500 in steps of 50: it falls back to 0 past 65536) and
//   zoom (swinging past 768 to 919 by one: 767 to 920), and the press latch
//   (a press is taken only while it is 0, and the title keeps it);
// - left by the screens before: whether the demonstration is next, the last
//   code the stage script read (0 to the highest code), the game-over
//   picture's growth (0 to 25), the ship's blast zooms (0 to 30, one a frame
//   of its explosion), its blink (0 or 1), the demonstration's captions and
//   keys (0 or 1), and where the options last were (on the trail: from the
//   fly-in at -1600 to past the fly-out's end at 2800 + 25, and between the
//   top and bottom of the play area, 0 before any frame of play).
//
// tests/longrun checks every game its random input starts against this.
constexpr StartRange kNewGameFromTitle[] = {
    {GAME_STATE(screen), ScreenPlay, ScreenPlay, 1},
    {GAME_STATE(showHowToPlayNext), 0, 1, 1},
    {GAME_STATE(musicRequest), 0, 0, 1},
    {GAME_STATE(titleSongNeeded), 0, 0, 1},
    {GAME_STATE(screenCounter), 1, 351, 1},
    {GAME_STATE(titleAngle), 0, 65500, 50},
    {GAME_STATE(titleZoom), 767, 920, 1},
    {GAME_STATE(titleZoomDir), 0, 1, 1},
    {GAME_STATE(layerX), 0, 0, 1},
    {GAME_STATE(autopilot), 1, 1, 1},
    {GAME_STATE(autopilotSpeed), 58, 58, 1},
    {GAME_STATE(shotCadence), 0, 0, 1},
    {GAME_STATE(firingPose), 0, 0, 1},
    {GAME_STATE(pressLatch), 0, 0, 1},
    {GAME_STATE(score), 0, 0, 1},
    {GAME_STATE(lives), 2, 2, 1},
    {GAME_STATE(stage), 0, 0, 1},
    {GAME_STATE(scriptDivider), 0, 0, 1},
    {GAME_STATE(scriptWait), 0, 0, 1},
    {GAME_STATE(scriptPos), 0, 0, 1},
    {GAME_STATE(scriptOp), 0, kLastScriptOp, 1},
    {GAME_STATE(invincible), 0, 0, 1},
    {GAME_STATE(gameOver), 0, 0, 1},
    {GAME_STATE(dying), 0, 0, 1},
    {GAME_STATE(gameOverGrow), 0, 25, 1},
    {GAME_STATE(soundRequest), 0, 0, 1},
    {GAME_STATE(howToPlay), 0, 1, 1},
    {PLAYER_SHIP(x), -1600, -1600, 1},
    {PLAYER_SHIP(y), 240, 240, 1},
    {PLAYER_SHIP(tilt), 5, 5, 1},
    {PLAYER_SHIP(mode), 0, 0, 1},
    {PLAYER_SHIP(spin), 0, 0, 1},
    {PLAYER_SHIP(blastZoom), 0, 30, 1},
    {PLAYER_SHIP(blastZoom2), 0, 30, 1},
    {PLAYER_SHIP(power), 0, 0, 1},
    {PLAYER_SHIP(powerCounter), 0, 0, 1},
    {PLAYER_SHIP(deathTimer), 0, 0, 1},
    {PLAYER_SHIP(blink), 0, 1, 1},
    {PLAYER_SHIP(optionFrame), 0, 0, 1},
    {PLAYER_SHIP(optionX), -1600, 2825, 1},
    {PLAYER_SHIP(optionY), 0, 440, 1},
    {TRAIL(x), -1600, -1600, 1},
    {TRAIL(y), 240, 240, 1},
};

// A practice starts from the title's menu, at the top of a frame: the world
// is a new game's (the title's leftovers as above) with its start point's
// stage, script step and song, its counter at 0 (a new game's counts the
// title's press frame: 1 or more, so the world itself tells a practice from
// a game), the press latch as the menus left it, and the chosen power.
constexpr bool Is(const StartRange& r, StartRange::Record record, size_t offset) {
  return r.record == record && r.offset == offset;
}

constexpr std::array<StartRange, std::size(kNewGameFromTitle)> PracticeRanges(const PracticeStart& p) {
  std::array<StartRange, std::size(kNewGameFromTitle)> out{};
  for (size_t i = 0; i < out.size(); ++i) {
    StartRange r = kNewGameFromTitle[i];
    const auto exactly = [&r](int32_t value) { r.low = r.high = value; };
    if (Is(r, StartRange::kGameState, offsetof(GameState, screenCounter))) exactly(0);
    if (Is(r, StartRange::kGameState, offsetof(GameState, stage))) exactly(p.stage);
    if (Is(r, StartRange::kGameState, offsetof(GameState, scriptPos))) exactly(p.scriptPos);
    // Due on the first frame (the divider then passes 5), or after six.
    if (Is(r, StartRange::kGameState, offsetof(GameState, scriptDivider))) exactly(p.scriptPos ? 5 : 0);
    if (Is(r, StartRange::kGameState, offsetof(GameState, musicRequest))) exactly(p.musicRequest);
    if (Is(r, StartRange::kGameState, offsetof(GameState, pressLatch))) r.high = 1;
    if (Is(r, StartRange::kPlayerShip, offsetof(PlayerShip, power))) r.high = kMaxPower;
    out[i] = r;
  }
  return out;
}

// The practice points: where each stage starts, and where the script runs
// each boss's operation (the first boss, op 21, at step 314 of stage 1; the
// stage-1 boss, op 32, at step 413 after its song, op 9; the stage-2 boss,
// op 50, at step 430 after its song). tests/game/world holds the steps to
// the scripts.
constexpr PracticeStart kStageOne{0, 0, 0, 0}, kStageTwo{1, 0, 0, 0};
constexpr PracticeStart kFirstBoss{0, 314, 2, 9}, kStageOneBoss{0, 413, 4, 20}, kStageTwoBoss{1, 430, 4, 33};
constexpr auto kStageOneRanges = PracticeRanges(kStageOne), kStageTwoRanges = PracticeRanges(kStageTwo);
constexpr auto kFirstBossRanges = PracticeRanges(kFirstBoss), kStageOneBossRanges = PracticeRanges(kStageOneBoss);
constexpr auto kStageTwoBossRanges = PracticeRanges(kStageTwoBoss);

#undef GAME_STATE
#undef PLAYER_SHIP
#undef TRAIL

constexpr StartPoint kStartPoints[] = {
    {StartKind::kNewGame, "a new game from the title", kNewGameFromTitle, {}},
    {StartKind::kPractice, "the practice of stage 1", kStageOneRanges, kStageOne},
    {StartKind::kPractice, "the practice of stage 2", kStageTwoRanges, kStageTwo},
    {StartKind::kPractice, "the practice of the first boss", kFirstBossRanges, kFirstBoss},
    {StartKind::kPractice, "the practice of the stage-1 boss", kStageOneBossRanges, kStageOneBoss},
    {StartKind::kPractice, "the practice of the stage-2 boss", kStageTwoBossRanges, kStageTwoBoss},
};

// Each start point's ranges cover every field of the three records once.
constexpr bool CoversEveryField(std::span<const StartRange> ranges) {
  int covered[3][kWorldStartFields] = {};
  for (const StartRange& r : ranges)
    for (uint32_t k = 0; k < r.count; ++k) ++covered[r.record][r.offset / 4 + k];
  const size_t fields[3] = {sizeof(GameState) / 4, sizeof(PlayerShip) / 4, sizeof(TrailPoint) / 4};
  for (int record = 0; record < 3; ++record)
    for (size_t i = 0; i < kWorldStartFields; ++i)
      if (covered[record][i] != (i < fields[record] ? 1 : 0)) return false;
  return true;
}
static_assert(CoversEveryField(kNewGameFromTitle));

// The start world as its records.
struct StartRecords {
  GameState state{};
  PlayerShip ship{};
  TrailPoint trail[kTrailLength]{};
};

StartRecords Records(const StartWorld& world) {
  StartRecords r;
  size_t i = 0;
  ForEachStartField(r.state, r.ship, r.trail, [&](int32_t& field) { field = world[i++]; });
  return r;
}

int32_t FieldAt(const void* record, uint32_t offset) {
  int32_t value;
  std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
  return value;
}

bool Allows(const StartRange& r, int32_t value) {
  return value >= r.low && value <= r.high && (int64_t{value} - r.low) % r.step == 0;
}

std::string Allowed(const StartRange& r) {
  if (r.low == r.high) return std::to_string(r.low);
  std::string text = std::to_string(r.low) + " to " + std::to_string(r.high);
  return r.step == 1 ? text : text + " in steps of " + std::to_string(r.step);
}

// A field's name: the range's, with its place in an array and its trail
// entry.
std::string FieldLabel(const StartRange& r, uint32_t k, uint32_t entry) {
  std::string name = r.name;
  if (r.count > 1) name += "[" + std::to_string(k) + "]";
  if (r.record == StartRange::kTrailPoint) name += " (entry " + std::to_string(entry) + ")";
  return name;
}

// How many fields of `world` the start point does not allow, and which is
// the first of them (in `reason`).
int Mismatches(const StartPoint& point, const StartRecords& world, std::string& reason) {
  int mismatches = 0;
  for (const StartRange& r : point.ranges) {
    const uint32_t entries = r.record == StartRange::kTrailPoint ? kTrailLength : 1;
    for (uint32_t entry = 0; entry < entries; ++entry) {
      const void* record = r.record == StartRange::kGameState    ? static_cast<const void*>(&world.state)
                           : r.record == StartRange::kPlayerShip ? static_cast<const void*>(&world.ship)
                                                                 : static_cast<const void*>(&world.trail[entry]);
      for (uint32_t k = 0; k < r.count; ++k) {
        const int32_t value = FieldAt(record, r.offset + 4 * k);
        if (Allows(r, value)) continue;
        if (mismatches++ > 0) continue;
        reason = FieldLabel(r, k, entry) + " is " + std::to_string(value) + ", where " + point.name + " has " + Allowed(r);
      }
    }
  }
  return mismatches;
}

}  // namespace

std::span<const StartPoint> StartPoints() { return kStartPoints; }
std::span<const StartPoint> PracticePoints() { return std::span(kStartPoints).subspan(1); }

std::string StartFieldName(size_t index) {
  // The new game's ranges cover every field once; fields are visited in
  // declaration order, so a field's index follows from its offset.
  constexpr size_t kStateFields = sizeof(GameState) / 4, kShipFields = sizeof(PlayerShip) / 4;
  constexpr size_t kPointFields = sizeof(TrailPoint) / 4;
  for (const StartRange& r : kNewGameFromTitle) {
    const size_t first = r.offset / 4;
    for (uint32_t k = 0; k < r.count; ++k) {
      if (r.record == StartRange::kGameState && index == first + k) return FieldLabel(r, k, 0);
      if (r.record == StartRange::kPlayerShip && index == kStateFields + first + k) return FieldLabel(r, k, 0);
      if (r.record != StartRange::kTrailPoint || index < kStateFields + kShipFields) continue;
      const size_t trail = index - kStateFields - kShipFields;
      if (trail % kPointFields == first + k) return FieldLabel(r, k, static_cast<uint32_t>(trail / kPointFields));
    }
  }
  return "field " + std::to_string(index);
}

const StartPoint* FindStartPoint(const StartWorld& world, std::string* reason) {
  const StartRecords records = Records(world);
  const StartPoint* nearest = nullptr;
  int fewest = std::numeric_limits<int>::max();
  std::string nearestReason;
  for (const StartPoint& point : kStartPoints) {
    std::string why;
    const int mismatches = Mismatches(point, records, why);
    if (mismatches == 0) return &point;
    if (mismatches < fewest) {
      fewest = mismatches;
      nearest = &point;
      nearestReason = why;
    }
  }
  if (reason && nearest) *reason = nearestReason;
  return nullptr;
}

bool IsNewGameStart(const StartWorld& world, std::string* why) {
  const StartRecords records = Records(world);
  std::string reason;
  for (const StartPoint& point : kStartPoints)
    if (point.kind == StartKind::kNewGame && Mismatches(point, records, reason) == 0) return true;
  if (why) {
    const StartPoint* other = FindStartPoint(world);
    *why = other ? std::string("it starts from ") + other->name + ", not a new game" : reason;
  }
  return false;
}

}  // namespace game
