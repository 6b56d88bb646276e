// The visual effects: bullet trails, sparks, smoke and debris. They move with
// friction, animate by kind and end by frame count or life.
#include "game/form.h"
#include "game/play/play.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

using VantorDrawSystem::beNormal;

// Debris: effect kind kindBase + r(kindRange), a random first frame, life
// lifeBase + r(lifeRange), each speed r(speedRange) + speedMin.
struct DebrisStyle {
  int kindBase;
  int lifeBase;
  int lifeRange;
  int speedRange;
  int speedMin;
};
constexpr DebrisStyle kDebris[] = {
    {3, 5, 20, 16, -8},    // Small
    {3, 7, 25, 18, -9},    // Medium
    {3, 10, 25, 22, -11},  // Large
    {5, 10, 25, 20, -10},  // Ship
};

// Kinds 1, 2 and 7 run through frames 0-6 and then end.
constexpr int kLastFrame = 6;

// A frame counter that runs 0-3 round and round, upward or downward.
int Cycle(int frame, int step) { return (frame + step + 4) & 3; }

// Friction: the speed moves one step toward 0.
int Slow(int speed) { return speed > 0 ? speed - 1 : speed < 0 ? speed + 1 : 0; }

}  // namespace

Effect* SpawnEffect(TForm1& f, int x, int y, int kind, int frame, int life) {
  Effect* e = TakeFree(f.Effect);
  if (!e) return nullptr;
  e->active = 1;
  e->x = x;
  e->y = y;
  e->kind = kind;
  e->frame = frame;
  e->life = life;
  e->dx = 0;
  e->dy = 0;
  e->slow = 0;
  e->grow = 0;
  return e;
}

void SpawnDebris(TForm1& f, int x, int y, int count, Debris style) {
  const DebrisStyle& d = kDebris[static_cast<int>(style)];
  for (int i = 0; i < count; ++i) {
    const int kind = d.kindBase + Random(2);
    const int frame = Random(4);
    const int life = d.lifeBase + Random(d.lifeRange);
    Effect* e = SpawnEffect(f, x, y, kind, frame, life);
    if (!e) return;
    e->dx = Random(d.speedRange) + d.speedMin;
    e->dy = Random(d.speedRange) + d.speedMin;
  }
}

void TForm1::UpdateEffects() {
  for (game::Effect& e : Effect) {
    if (e.active != 1) continue;
    e.slow += 1;
    if (e.slow > 5) {
      e.slow = 0;
      e.dx = Slow(e.dx);
      e.dy = Slow(e.dy);
    }
    e.x += e.dx;
    e.y += e.dy;
    bool framesRunOut = false;
    switch (e.kind) {
      case 1:
        cdraw->Draw(e.x - 16, e.y - 16, Sprite(sprite::k32_00 + 11 + e.frame), 0, beNormal, -1);
        framesRunOut = ++e.frame > kLastFrame;
        break;
      case 2:
        cdraw->Draw(e.x - 12, e.y - 12, Sprite(sprite::k24_00 + e.frame), 0, beNormal, -1);
        framesRunOut = ++e.frame > kLastFrame;
        break;
      case 3:
      case 4:
        e.frame = Cycle(e.frame, e.kind == 3 ? 1 : -1);
        cdraw->Draw(e.x - 2, e.y - 2, Sprite(sprite::k5_0 + e.frame), 0, beNormal, -1);
        break;
      case 5:
      case 6:
        e.frame = Cycle(e.frame, e.kind == 5 ? 1 : -1);
        cdraw->Draw(e.x - 2, e.y - 2, Sprite(sprite::k5_0 + 4 + e.frame), 0, beNormal, -1);
        break;
      case 7:
        cdraw->RotZoomDraw(e.x, e.y, 0, 256 + 2 * e.grow, Sprite(sprite::k24_00 + e.frame), 0);
        framesRunOut = ++e.frame > kLastFrame;
        e.grow += 1;
        break;
      default:  // sparks: DrawSparks draws them
        break;
    }
    e.life -= 1;
    if (framesRunOut || e.life < 0) e.active = 0;
  }
}

void TForm1::DrawSparks() {
  for (game::Effect& e : Effect) {
    if (e.active != 1 || e.kind != 0) continue;
    cdraw->Draw(e.x - 16, e.y - 16, Sprite(sprite::k32_00 + 11 + e.frame), 0, beNormal, -1);
    e.frame += 1;
    if (e.frame > kLastFrame) e.active = 0;
  }
}

}  // namespace game
