#pragma once
// The named fields of the world's records, each visited in declaration
// order: what a replay saves of the world a game starts from, and what the
// checksum of the world at a game's end covers. Never raw memory: a record
// may hold padding. A field added to a record must be added here too (the
// asserts below count them).
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "game/world/world.h"

namespace game {

template <class R, class Base>
concept RecordOf = std::same_as<std::remove_const_t<R>, Base>;

template <RecordOf<GameState> R, class Visit>
constexpr void ForEachField(R& g, Visit&& v) {
  v(g.screen), v(g.showHowToPlayNext), v(g.musicRequest), v(g.titleSongNeeded), v(g.screenCounter);
  v(g.titleAngle), v(g.titleZoom), v(g.titleZoomDir);
  for (auto& x : g.layerX) v(x);
  v(g.autopilot), v(g.autopilotSpeed), v(g.shotCadence), v(g.firingPose), v(g.pressLatch), v(g.score);
  v(g.lives), v(g.stage), v(g.scriptDivider), v(g.scriptWait), v(g.scriptPos), v(g.scriptOp), v(g.invincible);
  v(g.gameOver), v(g.dying), v(g.gameOverGrow), v(g.soundRequest);
  for (auto& flag : g.howToPlay) v(flag);
}

template <RecordOf<PlayerShip> R, class Visit>
constexpr void ForEachField(R& s, Visit&& v) {
  v(s.x), v(s.y), v(s.tilt), v(s.mode), v(s.spin), v(s.blastZoom), v(s.blastZoom2), v(s.power);
  v(s.powerCounter), v(s.deathTimer), v(s.blink), v(s.optionFrame);
  for (auto& x : s.optionX) v(x);
  for (auto& y : s.optionY) v(y);
}

template <RecordOf<TrailPoint> R, class Visit>
constexpr void ForEachField(R& p, Visit&& v) {
  v(p.x), v(p.y);
}

template <RecordOf<Shot> R, class Visit>
constexpr void ForEachField(R& s, Visit&& v) {
  v(s.active), v(s.x), v(s.y), v(s.frame), v(s.kind), v(s.dir), v(s.halfW), v(s.halfH), v(s.angleStep);
  v(s.damage);
}

template <RecordOf<Enemy> R, class Visit>
constexpr void ForEachField(R& e, Visit&& v) {
  v(e.state), v(e.x), v(e.y), v(e.frame), v(e.behaviour), v(e.hp), v(e.halfW), v(e.halfH), v(e.timer);
  v(e.speed), v(e.aux1), v(e.aux2), v(e.aux3), v(e.aux4), v(e.aux5), v(e.aux6), v(e.spriteSet), v(e.points);
}

template <RecordOf<EnemyBullet> R, class Visit>
constexpr void ForEachField(R& b, Visit&& v) {
  v(b.active), v(b.x), v(b.y), v(b.frame), v(b.kind), v(b.halfW), v(b.halfH), v(b.dx), v(b.dy), v(b.aux1);
  v(b.aux2), v(b.dir);
}

template <RecordOf<Effect> R, class Visit>
constexpr void ForEachField(R& e, Visit&& v) {
  v(e.x), v(e.y), v(e.active), v(e.kind), v(e.frame), v(e.life), v(e.dx), v(e.dy), v(e.slow), v(e.grow);
}

template <RecordOf<Banner> R, class Visit>
constexpr void ForEachField(R& b, Visit&& v) {
  v(b.x), v(b.y), v(b.timer), v(b.kind), v(b.zoomY), v(b.drift);
}

template <class R>
constexpr size_t FieldCount() {
  R record{};
  size_t n = 0;
  ForEachField(record, [&](int32_t&) { ++n; });
  return n;
}

// The world a game starts from: GameState, PlayerShip and the trail, field by
// field in this order (what a replay saves, start_worlds.h what it may hold).
constexpr size_t kWorldStartFields = 43 + 16 + 2 * kTrailLength;
using StartWorld = std::array<int32_t, kWorldStartFields>;

template <class State, class Ship, class Trail, class Visit>
constexpr void ForEachStartField(State& state, Ship& ship, Trail& trail, Visit&& v) {
  ForEachField(state, v);
  ForEachField(ship, v);
  for (auto& point : trail) ForEachField(point, v);
}

// The five pools in the order checksums visit them, with their names.
constexpr size_t kPoolCount = 5;
inline constexpr const char* kPoolNames[kPoolCount] = {"Shot", "Enemy", "EnemyBullet", "Effect", "Banner"};
template <class Form, class Visit>
constexpr void ForEachPool(Form& f, Visit&& v) {
  v(f.Shot), v(f.Enemy), v(f.EnemyBullet), v(f.Effect), v(f.Banner);
}

// Every field is visited: the records hold nothing but these 32-bit fields.
static_assert(FieldCount<GameState>() * 4 == sizeof(GameState));
static_assert(FieldCount<PlayerShip>() * 4 == sizeof(PlayerShip));
static_assert(FieldCount<TrailPoint>() * 4 == sizeof(TrailPoint));
static_assert(FieldCount<Shot>() * 4 == sizeof(Shot));
static_assert(FieldCount<Enemy>() * 4 == sizeof(Enemy));
static_assert(FieldCount<EnemyBullet>() * 4 == sizeof(EnemyBullet));
static_assert(FieldCount<Effect>() * 4 == sizeof(Effect));
static_assert(FieldCount<Banner>() * 4 == sizeof(Banner));
static_assert(FieldCount<GameState>() + FieldCount<PlayerShip>() + kTrailLength * FieldCount<TrailPoint>() ==
              kWorldStartFields);

}  // namespace game
