#include "game/world_snapshot.h"

#include <algorithm>

#include "game/form.h"
#include "platform/random.h"

namespace game {

void WorldSnapshot::Take(const TForm1& f) {
  state = f.GameState;
  ship = f.PlayerShip;
  std::copy(std::begin(f.Trail), std::end(f.Trail), trail);
  shots = f.Shot;
  enemies = f.Enemy;
  bullets = f.EnemyBullet;
  effects = f.Effect;
  banners = f.Banner;
  rankingPrepared = f.rankingPrepared;
  blinkPhase = f.blinkPhase;
  newRow = f.newRow;
  random = platform::Rand().State();
  song = f.currentSong;
  practice = f.practice;
}

void WorldSnapshot::Restore(TForm1& f) const {
  f.GameState = state;
  f.PlayerShip = ship;
  std::copy(std::begin(trail), std::end(trail), f.Trail);
  f.Shot = shots;
  f.Enemy = enemies;
  f.EnemyBullet = bullets;
  f.Effect = effects;
  f.Banner = banners;
  f.rankingPrepared = rankingPrepared;
  f.blinkPhase = blinkPhase;
  f.newRow = newRow;
  platform::Rand().Seed(random);
  f.practice = practice;
}

}  // namespace game
