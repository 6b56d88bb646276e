#pragma once
// The whole world of the form kept aside and put back: the named records,
// the five pools, the ranking display's state, the random generator, the
// song playing and the practice under way. Watching a replay from inside the
// game keeps the world it interrupts this way.
#include <cstdint>

#include "game/world/start_worlds.h"
#include "game/world/world.h"

namespace game {

class TForm1;

struct WorldSnapshot {
  GameState state{};
  PlayerShip ship{};
  TrailPoint trail[kTrailLength]{};
  ShotPool shots{};
  EnemyPool enemies{};
  EnemyBulletPool bullets{};
  EffectPool effects{};
  BannerPool banners{};
  int32_t rankingPrepared = 0, blinkPhase = 0, newRow = 0;
  uint32_t random = 0;
  int32_t song = 0;  // the last song started (0: none)
  const StartPoint* practice = nullptr;

  void Take(const TForm1& f);
  // Puts the world back (the song is the caller's to start again).
  void Restore(TForm1& f) const;
};

}  // namespace game
