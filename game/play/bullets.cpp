// The enemy bullets: 22 kinds that move, leave trails and are drawn by a
// table; they retire off screen, are absorbed by the options and hit the ship.
#include <algorithm>
#include <cstdlib>

#include "game/form.h"
#include "game/play/play.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

using VantorDrawSystem::beNormal;

enum class Motion : uint8_t {
  Straight,      // x += vx, y += vy
  AgainstDir,    // against `dir` at `speed`
  ByDir,         // along `dir` at `speed`
  Velocity,      // x += dx, y += dy
  Fading,        // as Velocity, freed once it has no speed left
  Pulsing,       // Straight, with a frame counter that wraps
  BoomerangX,    // x += xSign × dx, then dx += accel within the limit; y += dy
  Falling,       // x -= dx; dy += accel up to the limit; y -= dy
};

enum class Look : uint8_t { Plain, Flicker, TurnedQuarter, Zoomed, Big };

struct BulletKind {
  Motion motion;
  int vx, vy;     // Straight and Pulsing
  int speed;      // AgainstDir and ByDir
  int xSign;      // BoomerangX
  int accel;      // BoomerangX and Falling
  int limit;      // BoomerangX and Falling
  Look look;
  int picture;
  int angle;      // Zoomed
  bool trail;
  int trailKind, trailFrame, trailRaise;
};

constexpr int k32_11 = sprite::k32_00 + 11;
constexpr int k32_18 = sprite::k32_00 + 18;
constexpr int k60_05 = sprite::k60_00 + 5;
constexpr int k60_06 = sprite::k60_00 + 6;

constexpr BulletKind Straight(int vx, int vy, int trailKind, int trailFrame, Look look = Look::Plain,
                              int picture = k32_11) {
  return {Motion::Straight, vx, vy, 0, 0, 0, 0, look, picture, 0, true, trailKind, trailFrame, 0};
}
constexpr BulletKind Directed(Motion motion, int speed, int trailKind, int trailFrame) {
  return {motion, 0, 0, speed, 0, 0, 0, Look::Plain, k32_11, 0, true, trailKind, trailFrame, 0};
}
constexpr BulletKind Accelerating(Motion motion, int xSign, int accel, int limit) {
  return {motion, 0, 0, 0, xSign, accel, limit, Look::Plain, k32_11, 0, true, 0, 0, 0};
}
constexpr BulletKind Pulsing(int vx, int angle) {
  return {Motion::Pulsing, vx, 0, 0, 0, 0, 0, Look::Zoomed, k60_05, angle, false, 0, 0, 0};
}

constexpr int kBulletKinds = 22;
constexpr BulletKind kKinds[kBulletKinds] = {
    Straight(-20, 0, 0, 0),                                           // 0
    Straight(20, 0, 0, 0),                                            // 1
    Directed(Motion::AgainstDir, 17, 0, 0),                           // 2
    Straight(-23, 0, 1, 0),                                           // 3
    Directed(Motion::AgainstDir, 20, 1, 6),                           // 4
    {Motion::Velocity, 0, 0, 0, 0, 0, 0, Look::Plain, k32_11, 0, true, 1, 6, 0},   // 5
    {Motion::Fading, 0, 0, 0, 0, 0, 0, Look::Flicker, k32_11, 0, true, 1, 4, 0},   // 6
    Straight(-25, 0, 0, 0, Look::Plain, k32_18),                      // 7
    Straight(0, -25, 0, 0, Look::TurnedQuarter, k32_18),              // 8
    Straight(25, 0, 0, 0, Look::Plain, k32_18),                       // 9
    Straight(0, 25, 0, 0, Look::TurnedQuarter, k32_18),               // 10
    Directed(Motion::AgainstDir, 22, 0, 0),                           // 11
    Pulsing(-23, 0),                                                  // 12
    Pulsing(23, 32568),                                               // 13
    Accelerating(Motion::BoomerangX, 1, 2, 20),                       // 14
    Accelerating(Motion::BoomerangX, -1, 2, 20),                      // 15
    Directed(Motion::ByDir, 14, 0, 6),                                // 16
    Directed(Motion::ByDir, 18, 0, 6),                                // 17
    Directed(Motion::ByDir, 22, 0, 6),                                // 18
    Accelerating(Motion::BoomerangX, 1, -2, -20),                     // 19
    Accelerating(Motion::Falling, 0, 2, 20),                          // 20
    {Motion::Straight, -19, 0, 0, 0, 0, 0, Look::Big, k60_06, 0, true, 0, 5, 27},  // 21
};

// The pulsing bullets' frame counter runs 0-3.
constexpr int kPulseFrames = 4;
constexpr int kQuarterTurns3 = 49152;

// Moves a bullet; false when it has run out of speed and is to be freed.
bool Move(const TForm1& f, EnemyBullet& b, const BulletKind& k) {
  switch (k.motion) {
    case Motion::Straight:
      b.x += k.vx;
      b.y += k.vy;
      break;
    case Motion::Pulsing:
      b.x += k.vx;
      b.frame = (b.frame + 1) % kPulseFrames;
      break;
    case Motion::AgainstDir:
      MoveAlong(f, b.x, b.y, b.dir, -k.speed);
      break;
    case Motion::ByDir:
      MoveAlong(f, b.x, b.y, b.dir, k.speed);
      break;
    case Motion::Velocity:
      b.x += b.dx;
      b.y += b.dy;
      break;
    case Motion::Fading:
      b.x += b.dx;
      b.y += b.dy;
      b.frame = (b.frame + 1) & 3;
      if (std::abs(b.dx) + std::abs(b.dy) < 1) return false;
      break;
    case Motion::BoomerangX:
      b.x += k.xSign * b.dx;
      b.dx = k.accel > 0 ? std::min(b.dx + k.accel, k.limit) : std::max(b.dx + k.accel, k.limit);
      b.y += b.dy;
      break;
    case Motion::Falling:
      b.x -= b.dx;
      b.dy = std::min(b.dy + k.accel, k.limit);
      b.y -= b.dy;
      break;
  }
  return true;
}

void DrawBullet(TForm1& f, const EnemyBullet& b, const BulletKind& k) {
  switch (k.look) {
    case Look::Plain:
      f.cdraw->Draw(b.x - 16, b.y - 16, Sprite(k.picture), 0, beNormal, -1);
      break;
    case Look::Flicker:
      f.cdraw->Draw(b.x - 16, b.y - 16, Sprite(k.picture + b.frame / 2), 0, beNormal, -1);
      break;
    case Look::TurnedQuarter:
      f.cdraw->RotZoomDraw(b.x, b.y, kQuarterTurns3, 256, Sprite(k.picture), 0);
      break;
    case Look::Zoomed:
      f.cdraw->RotZoomDraw(b.x, b.y, k.angle, 300 + 70 * b.frame, Sprite(k.picture), 0);
      break;
    case Look::Big:
      f.cdraw->Draw(b.x - 30, b.y - 30, Sprite(k.picture), 0, beNormal, -1);
      break;
  }
}

bool Absorbable(const EnemyBullet& b) { return b.kind != 12 && b.kind != 13; }

}  // namespace

EnemyBullet* FireBullet(TForm1& f, int kind, int x, int y, int halfW, int halfH, int dx, int dy, int dir) {
  EnemyBullet* b = TakeFree(f.EnemyBullet);
  if (!b) return nullptr;
  b->active = 1;
  b->x = x;
  b->y = y;
  b->frame = 0;
  b->kind = kind;
  b->halfW = halfW;
  b->halfH = halfH;
  b->dx = dx;
  b->dy = dy;
  b->aux1 = 0;
  b->aux2 = 0;
  b->dir = dir;
  return b;
}

void FireAimedBullet(TForm1& f, const Enemy& e) {
  int dx = (f.PlayerShip.x - e.x) / 30;
  int dy = (f.PlayerShip.y - e.y) / 30;
  // too slow on either axis: doubled, twice; then too fast: halved, twice
  for (int i = 0; i < 2; ++i)
    if (std::abs(dx) < 3 || std::abs(dy) < 2) {
      dx *= 2;
      dy *= 2;
    }
  for (int i = 0; i < 2; ++i)
    if (std::abs(dx) > 6 || std::abs(dy) > 6) {
      dx /= 2;
      dy /= 2;
    }
  FireBullet(f, 6, e.x, e.y, 6, 6, dx, dy);
}

void TForm1::UpdateEnemyBullets() {
  game::GameState& g = GameState;
  const game::PlayerShip& ship = PlayerShip;
  for (game::EnemyBullet& b : EnemyBullet) {
    if (b.active != 1) continue;
    const BulletKind& k = kKinds[std::clamp(b.kind, 0, kBulletKinds - 1)];
    if (!Move(*this, b, k)) {
      b.active = 0;
      continue;
    }
    if (k.trail) SpawnEffect(*this, b.x, b.y - k.trailRaise, k.trailKind, k.trailFrame, 35);
    DrawBullet(*this, b, k);

    if (b.x < -40 || b.x > 680 || b.y < -40 || b.y > 520) {
      b.active = 0;
      continue;
    }
    // each option overlapping the bullet scores, even one the bullet has already met
    if (Absorbable(b))
      for (int o = 0; o < 2; ++o)
        if (std::abs(b.x - ship.optionX[o]) < b.halfW + 18 && std::abs(b.y - ship.optionY[o]) < b.halfH + 18) {
          if (g.gameOver == 0) b.active = 0;
          g.score += 10;
        }
    if (b.active == 1 && std::abs(b.x - ship.x) < b.halfW + 13 && std::abs(b.y - ship.y) < b.halfH + 13) {
      if (g.gameOver == 0) b.active = 0;
      HitShip(*this);
    }
  }
}

}  // namespace game
