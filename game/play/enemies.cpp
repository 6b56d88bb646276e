// The enemy pass: every live enemy moves by its behaviour, is drawn by its
// sprite set, and meets the shots, the options and the ship; kills score,
// scatter debris and turn into explosions; items are collected.
#include <cstdlib>

#include "game/form.h"
#include "game/play/play.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

using VantorDrawSystem::beNormal;

// How a sprite set is drawn: a plain sprite with its top-left at (x - left,
// y - top), or turned about its centre by angleBase + angleSign × aux4 × 4096.
enum class Look : uint8_t { Plain, Turned };
// Two boss sets are drawn only in one part of their program.
enum class Shown : uint8_t { Always, Aux1Above6, Aux5Zero };

struct SpriteSet {
  Look look;
  int picture;      // first picture
  bool animated;    // picture + frame
  int left, top;    // Plain
  int angleBase;    // Turned
  int angleSign;    // Turned
  int zoom;         // Turned
  Shown shown;
};

constexpr SpriteSet Plain(int picture, int offset, bool animated = true, Shown shown = Shown::Always) {
  return {Look::Plain, picture, animated, offset, offset, 0, 0, 256, shown};
}
constexpr SpriteSet Turned(int picture, int angleBase, int angleSign, int zoom = 256, bool animated = true,
                           Shown shown = Shown::Always) {
  return {Look::Turned, picture, animated, 0, 0, angleBase, angleSign, zoom, shown};
}

constexpr int kHalfTurn = 32768;
constexpr int kFullTurn = 65536;

constexpr SpriteSet kSpriteSets[24] = {
    Plain(sprite::k80_00, 40),                                    // 0
    Plain(sprite::k80_00 + 15, 40),                               // 1 item carrier
    Plain(sprite::k62_00, 31),                                    // 2 power-up
    Plain(sprite::k62_00 + 6, 31),                                // 3 extra ship
    Plain(sprite::k62_00 + 12, 31),                               // 4 bonus
    Plain(sprite::k100_00 + 44, 50),                              // 5
    Turned(sprite::k100_00 + 44, kHalfTurn, 0),                   // 6
    Turned(sprite::k100_00 + 52, 0, 1),                           // 7
    Plain(sprite::k300_00 + 1, 150, false, Shown::Aux1Above6),    // 8 first boss body
    Plain(sprite::k60_00, 30),                                    // 9
    Turned(sprite::k80_00 + 30, kFullTurn, -1, 256, false),       // 10
    Plain(sprite::k80_00 + 31, 40),                               // 11
    Turned(sprite::k80_00 + 31, kHalfTurn, 0),                    // 12
    Plain(sprite::k70_00, 35),                                    // 13
    Turned(sprite::k180_00, kFullTurn, -1, 350),                  // 14 stage-1 boss
    Turned(sprite::k80_00 + 48, kFullTurn, -1, 256, false),       // 15
    Turned(sprite::k80_00 + 49, kFullTurn, -1),                   // 16
    Turned(sprite::k150_00, kFullTurn, -1),                       // 17
    Turned(sprite::k200_00, kFullTurn, -1, 280, true, Shown::Aux5Zero),  // 18 stage-2 boss
    Turned(sprite::k120_00, kFullTurn, -1),                       // 19
    Plain(sprite::k80_00 + 55, 40),                               // 20
    {Look::Plain, sprite::k1507_00, true, 75, 35, 0, 0, 256, Shown::Always},  // 21
    Plain(sprite::k80_00 + 67, 40),                               // 22
    Turned(sprite::k100_00 + 60, kFullTurn, -1),                  // 23
};

// What a kill does, by sprite set, for a kill by shots and by ramming.
enum class KillClass : uint8_t { None, Small, Medium, Large, Carrier, PowerUp, ExtraShip, Bonus };

struct KillClasses {
  KillClass shot;
  KillClass ram;
};

constexpr KillClasses kKillClasses[24] = {
    {KillClass::Small, KillClass::Small},      // 0
    {KillClass::Carrier, KillClass::Carrier},  // 1
    {KillClass::Small, KillClass::PowerUp},    // 2
    {KillClass::Small, KillClass::ExtraShip},  // 3
    {KillClass::Small, KillClass::Bonus},      // 4
    {KillClass::Medium, KillClass::Medium},    // 5
    {KillClass::Medium, KillClass::Medium},    // 6
    {KillClass::Medium, KillClass::Medium},    // 7
    {KillClass::Large, KillClass::Large},      // 8
    {KillClass::Small, KillClass::Small},      // 9
    {KillClass::Small, KillClass::Small},      // 10
    {KillClass::Small, KillClass::Small},      // 11
    {KillClass::Small, KillClass::Small},      // 12
    {KillClass::Small, KillClass::Small},      // 13
    {KillClass::Large, KillClass::Large},      // 14
    {KillClass::Small, KillClass::Small},      // 15
    {KillClass::Small, KillClass::Small},      // 16
    {KillClass::Medium, KillClass::Medium},    // 17
    {KillClass::Large, KillClass::Large},      // 18
    {KillClass::Medium, KillClass::Medium},    // 19
    {KillClass::Small, KillClass::Small},      // 20
    {KillClass::Small, KillClass::Small},      // 21
    {KillClass::Small, KillClass::Small},      // 22
    {KillClass::Medium, KillClass::Medium},    // 23
};

// The explosion of each size: picture group and zoom growth per frame.
struct Blast {
  int picture;
  int growth;
};
constexpr Blast kSmallBlast{sprite::k64_00, 7};
constexpr Blast kMediumBlast{sprite::k96_00 + 16, 3};
constexpr Blast kLargeBlast{sprite::k96_00 + 32, 16};

const Blast& BlastOf(int spriteSet) {
  switch (kKillClasses[spriteSet].shot) {
    case KillClass::Medium:
      return kMediumBlast;
    case KillClass::Large:
      return kLargeBlast;
    default:
      return kSmallBlast;
  }
}

constexpr int kItemBehaviour = 2;
constexpr int kExplosionFrames = 30;

int SetOf(const game::Enemy& e) { return e.spriteSet >= 0 && e.spriteSet < 24 ? e.spriteSet : 0; }

bool Overlaps(int ax, int ay, int bx, int by, int halfW, int halfH) {
  return std::abs(ax - bx) < halfW && std::abs(ay - by) < halfH;
}

void DrawEnemy(TForm1& f, const game::Enemy& e) {
  const SpriteSet& set = kSpriteSets[SetOf(e)];
  if (set.shown == Shown::Aux1Above6 && e.aux1 <= 6) return;
  if (set.shown == Shown::Aux5Zero && e.aux5 != 0) return;
  const AnsiString& picture = Sprite(set.picture + (set.animated ? e.frame : 0));
  if (set.look == Look::Plain)
    f.cdraw->Draw(e.x - set.left, e.y - set.top, picture, 0, beNormal, -1);
  else
    f.cdraw->RotZoomDraw(e.x, e.y, set.angleBase + set.angleSign * e.aux4 * 4096, set.zoom, picture, 0);
}

// A carrier's item takes the lowest free record at the carrier's place.
void DropItem(TForm1& f, const game::Enemy& carrier) {
  game::Enemy* item = TakeFree(f.Enemy);
  if (!item) return;
  // every field is set: a reused record must not keep its old points or counters
  *item = game::Enemy{};
  item->state = 1;
  item->x = carrier.x;
  item->y = carrier.y;
  item->behaviour = kItemBehaviour;
  item->aux1 = -13;
  item->hp = 8;
  item->spriteSet = carrier.aux5 + 2;
  item->halfW = 39;
  item->halfH = 39;
}

void CollectItem(TForm1& f, game::Enemy& item, KillClass kind) {
  GameState& g = f.GameState;
  PlayerShip& ship = f.PlayerShip;
  int banner = -1;
  switch (kind) {
    case KillClass::PowerUp:
      if (ship.power == 4) {
        g.score += 1000;
        banner = 8;
      } else {
        g.score += 100;
        ship.powerCounter += 1;
        if (ship.powerCounter > 1) {
          ship.powerCounter = 0;
          ship.power += 1;
          banner = 6;
        }
      }
      break;
    case KillClass::ExtraShip:
      g.lives += 1;
      if (g.lives > 10) {
        g.lives = 10;
        g.score += 1000;
        banner = 8;
      } else {
        g.score += 100;
        banner = 5;
      }
      break;
    default:
      g.score += 3000;
      banner = 7;
      break;
  }
  g.soundRequest = 2;
  item.state = 0;
  SpawnDebris(f, item.x, item.y, 7, Debris::Small);
  if (banner >= 0) f.ShowBanner(banner, 50, item.x, item.y);
}

void Kill(TForm1& f, game::Enemy& e, bool rammed) {
  const KillClasses& classes = kKillClasses[SetOf(e)];
  const KillClass kind = rammed ? classes.ram : classes.shot;
  if (kind == KillClass::PowerUp || kind == KillClass::ExtraShip || kind == KillClass::Bonus) {
    CollectItem(f, e, kind);
    return;
  }
  GameState& g = f.GameState;
  e.state = 2;
  e.frame = 0;
  e.halfW = 0;
  e.halfH = 0;
  g.score += e.points;
  switch (kind) {
    case KillClass::Medium:
      g.soundRequest = 6;
      SpawnDebris(f, e.x, e.y, 13, Debris::Medium);
      break;
    case KillClass::Large:
      g.soundRequest = 8;
      SpawnDebris(f, e.x, e.y, 13, Debris::Large);
      break;
    case KillClass::Carrier:
      g.soundRequest = 3;
      DropItem(f, e);
      SpawnDebris(f, e.x, e.y, 7, Debris::Small);
      break;
    default:
      g.soundRequest = 3;
      SpawnDebris(f, e.x, e.y, 7, Debris::Small);
      break;
  }
}

void ResolveShotHits(TForm1& f, game::Enemy& e) {
  if (e.behaviour == kItemBehaviour) return;  // items cannot be shot
  for (game::Shot& s : f.Shot) {
    if (e.state != 1) return;
    if (s.active != 1 || !Overlaps(e.x, e.y, s.x, s.y, e.halfW + s.halfW, e.halfH + s.halfH)) continue;
    s.active = 0;
    e.hp -= s.damage;
    if (e.hp < 1) {
      Kill(f, e, false);
    } else {
      f.GameState.soundRequest = 4;
      f.cdraw->Draw(s.x - 16, s.y - 16, Sprite(sprite::k32_00 + 10), 0, beNormal, -1);
      SpawnDebris(f, s.x, s.y, f.PlayerShip.power + 2, Debris::Small);
    }
  }
}

void ResolveOptionRams(TForm1& f, game::Enemy& e) {
  if (f.GameState.gameOver != 0 || e.behaviour == kItemBehaviour) return;
  const PlayerShip& ship = f.PlayerShip;
  for (int k = 0; k < 2 && e.state == 1; ++k) {
    if (!Overlaps(e.x, e.y, ship.optionX[k], ship.optionY[k], e.halfW + 11, e.halfH + 11)) continue;
    e.hp -= 1;
    if (e.hp < 1) Kill(f, e, true);
  }
}

// An enemy shot down earlier in this pass still meets a ship right on top of
// it (its box has shrunk to nothing) and hurts it, but is not killed twice.
void ResolveShipContact(TForm1& f, game::Enemy& e) {
  if (f.GameState.gameOver != 0) return;
  const PlayerShip& ship = f.PlayerShip;
  if (!Overlaps(e.x, e.y, ship.x, ship.y, e.halfW + 13, e.halfH + 13)) return;
  e.hp -= 5;
  if (e.hp < 1 && e.state == 1) Kill(f, e, true);
  if (e.behaviour != kItemBehaviour) HitShip(f);
}

void Explode(TForm1& f, game::Enemy& e) {
  e.frame += 1;
  if (e.frame > kExplosionFrames) {
    e.state = 0;
    return;
  }
  e.halfW += 1;
  e.halfH += 1;
  const Blast& blast = BlastOf(SetOf(e));
  f.cdraw->RotZoomDraw(e.x, e.y, 0, 256 + blast.growth * e.halfW, Sprite(blast.picture + e.frame / 2), 0);
}

}  // namespace

void TForm1::UpdateEnemies() {
  for (game::Enemy& e : Enemy) {
    if (e.state == 1) {
      StepBehaviour(*this, e);
      if (e.state == 1) {
        DrawEnemy(*this, e);
        ResolveShotHits(*this, e);
        ResolveOptionRams(*this, e);
        ResolveShipContact(*this, e);
      }
    }
    if (e.state == 2) Explode(*this, e);
  }
}

void TForm1::DrawEnemyOverlays() {
  for (const game::Enemy& e : Enemy) {
    if (e.state != 1) continue;
    if (e.spriteSet == 8 && e.aux1 < 7)
      cdraw->RotZoomDraw(e.x, e.y, 0, e.speed, Sprite(sprite::k300_00), 0);
    else if (e.spriteSet == 18 && e.aux5 == 1)
      cdraw->RotZoomDraw(e.x, e.y, kFullTurn - e.aux4 * 4096, e.aux3, Sprite(sprite::k200_00 + e.frame), 0);
  }
}

}  // namespace game
