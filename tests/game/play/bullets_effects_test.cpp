// Enemy bullets (motion, trails, retirement, options and ship) and the
// effects (friction, frames, life, sparks).
#include "tests/game/play_fixture.h"

namespace game::testing {
namespace {

using Bullets = PlayWorld;
using Effects = PlayWorld;

struct MotionCase {
  int kind;
  int dx, dy, dir;
  int frames;
  int x, y;           // from (320, 240)
  int dxAfter, dyAfter;
};

TEST_F(Bullets, EachKindMovesItsOwnWay) {
  const MotionCase cases[] = {
      {0, 0, 0, 0, 2, 280, 240, 0, 0},
      {1, 0, 0, 0, 2, 360, 240, 0, 0},
      {2, 0, 0, 4, 1, 320, 225, 0, 0},     // against down at 17: 15 up
      {3, 0, 0, 0, 1, 297, 240, 0, 0},
      {4, 0, 0, 2, 1, 307, 227, 0, 0},     // against 2 at 20: 11 x 20 / 16 = 13 each way
      {5, 3, -4, 0, 2, 326, 232, 3, -4},
      {7, 0, 0, 0, 1, 295, 240, 0, 0},
      {8, 0, 0, 0, 1, 320, 215, 0, 0},
      {9, 0, 0, 0, 1, 345, 240, 0, 0},
      {10, 0, 0, 0, 1, 320, 265, 0, 0},
      {11, 0, 0, 0, 1, 298, 240, 0, 0},
      {12, 0, 0, 0, 1, 297, 240, 0, 0},
      {13, 0, 0, 0, 1, 343, 240, 0, 0},
      {14, -20, 3, 0, 2, 320 - 20 - 18, 246, -16, 3},   // thrown left, pulled back right
      {15, -20, 3, 0, 2, 320 + 20 + 18, 246, -16, 3},
      {16, 0, 0, 0, 1, 334, 240, 0, 0},
      {17, 0, 0, 12, 1, 320, 224, 0, 0},   // along up at 18: 15 x 18 / 16 = 16
      {18, 0, 0, 8, 1, 300, 240, 0, 0},    // along 8 at 22: -15 x 22 / 16 = -20
      {19, 8, -10, 0, 2, 334, 220, 4, -10},
      {20, 5, -18, 0, 2, 310, 240 + 16 + 14, 5, -14},
      {21, 0, 0, 0, 1, 301, 240, 0, 0},
  };
  for (const MotionCase& c : cases) {
    SetUp();
    TForm1& f = Form();
    EnemyBullet* b = FireBullet(f, c.kind, 320, 240, 10, 10, c.dx, c.dy, c.dir);
    ASSERT_NE(b, nullptr);
    for (int frame = 0; frame < c.frames; ++frame) f.UpdateEnemyBullets();
    EXPECT_EQ(b->active, 1) << "kind " << c.kind;
    EXPECT_EQ(b->x, c.x) << "kind " << c.kind;
    EXPECT_EQ(b->y, c.y) << "kind " << c.kind;
    EXPECT_EQ(b->dx, c.dxAfter) << "kind " << c.kind;
    EXPECT_EQ(b->dy, c.dyAfter) << "kind " << c.kind;
  }
}

struct TrailCase {
  int kind;
  bool trail;
  int effectKind, firstFrame, raise;
};

TEST_F(Bullets, MovingBulletsLeaveTheirTrail) {
  const TrailCase cases[] = {
      {0, true, 0, 0, 0},  {3, true, 1, 0, 0},  {4, true, 1, 6, 0},  {6, true, 1, 4, 0},
      {12, false, 0, 0, 0}, {13, false, 0, 0, 0}, {16, true, 0, 6, 0}, {21, true, 0, 5, 27},
  };
  for (const TrailCase& c : cases) {
    SetUp();
    TForm1& f = Form();
    EnemyBullet* b = FireBullet(f, c.kind, 320, 240, 10, 10, 2, 2, 0);
    f.UpdateEnemyBullets();
    if (!c.trail) {
      EXPECT_EQ(Live(f.Effect), 0) << "kind " << c.kind;
      continue;
    }
    ASSERT_EQ(Live(f.Effect), 1) << "kind " << c.kind;
    const Effect& e = f.Effect[0];
    EXPECT_EQ(e.kind, c.effectKind) << "kind " << c.kind;
    EXPECT_EQ(e.frame, c.firstFrame) << "kind " << c.kind;
    EXPECT_EQ(e.life, 35);
    EXPECT_EQ(e.x, b->x);
    EXPECT_EQ(e.y, b->y - c.raise);
  }
}

TEST_F(Bullets, AFullEffectPoolDropsTheTrailOnly) {
  TForm1& f = Form();
  for (Effect& e : f.Effect) {
    e = Effect{};
    e.active = 1;
    e.kind = 3;
    e.life = 100;
    e.x = -1000;
  }
  EnemyBullet* b = FireBullet(f, 0, 320, 240);
  f.UpdateEnemyBullets();
  EXPECT_EQ(b->active, 1);
  EXPECT_EQ(b->x, 300);
}

TEST_F(Bullets, ABulletOutOfSpeedOrOffTheFieldIsFreed) {
  TForm1& f = Form();
  EnemyBullet* still = FireBullet(f, 6, 320, 240, 6, 6, 0, 0);
  EnemyBullet* leaving = FireBullet(f, 1, 670, 100);
  EnemyBullet* staying = FireBullet(f, 1, 650, 100);
  f.UpdateEnemyBullets();
  EXPECT_EQ(still->active, 0);
  EXPECT_EQ(leaving->active, 0);
  EXPECT_EQ(staying->active, 1);
}

TEST_F(Bullets, OptionsAbsorbBulletsAndScoreForEachOverlap) {
  TForm1& f = Form();
  f.PlayerShip.optionX[0] = 400;
  f.PlayerShip.optionY[0] = 100;
  f.PlayerShip.optionX[1] = 400;
  f.PlayerShip.optionY[1] = 110;
  EnemyBullet* b = FireBullet(f, 0, 420, 105);
  f.UpdateEnemyBullets();
  EXPECT_EQ(b->active, 0);
  EXPECT_EQ(f.GameState.score, 20);
  // the big bullets pass through the options
  EnemyBullet* big = FireBullet(f, 12, 423, 105, 25, 60);
  f.UpdateEnemyBullets();
  EXPECT_EQ(big->active, 1);
  EXPECT_EQ(f.GameState.score, 20);
}

TEST_F(Bullets, AfterTheGameIsOverBulletsFlyThroughButStillScore) {
  TForm1& f = Form();
  f.GameState.gameOver = 1;
  f.GameState.invincible = 100;
  f.PlayerShip.optionX[0] = 400;
  f.PlayerShip.optionY[0] = 100;
  EnemyBullet* b = FireBullet(f, 0, 420, 100);
  EnemyBullet* atShip = FireBullet(f, 0, 220, 240);
  f.UpdateEnemyBullets();
  EXPECT_EQ(b->active, 1);
  EXPECT_EQ(atShip->active, 1);
  EXPECT_EQ(f.GameState.score, 10);
}

TEST_F(Bullets, ABulletHitsTheShipWhateverTheEnemyPoolHolds) {
  TForm1& f = Form();
  // an item as the last record of the enemy pass must not shield the ship
  Enemy& item = StillEnemy(39, 600, 400, 39, 8, 2);
  item.behaviour = 2;
  f.UpdateEnemies();
  EnemyBullet* b = FireBullet(f, 0, 225, 250);
  f.UpdateEnemyBullets();
  EXPECT_EQ(b->active, 0);
  EXPECT_EQ(f.GameState.lives, 1);
  EXPECT_EQ(f.GameState.dying, 1);
  EXPECT_EQ(f.GameState.soundRequest, 1);
  // 23 debris of the ship's kinds, besides the bullet's trail
  int shipDebris = 0;
  for (const Effect& e : f.Effect) shipDebris += e.active == 1 && (e.kind == 5 || e.kind == 6);
  EXPECT_EQ(shipDebris, 23);
}

TEST_F(Bullets, BoxesAreStrictOnTheShip) {
  TForm1& f = Form();
  // 10 + 13 = 23: a bullet 23 pixels away misses
  EnemyBullet* miss = FireBullet(f, 10, 223, 215);
  f.UpdateEnemyBullets();
  EXPECT_EQ(miss->active, 1);
  EXPECT_EQ(f.GameState.lives, 2);
}

TEST_F(Effects, DebrisAtSpeedNineStopsInFiftyFourFrames) {
  TForm1& f = Form();
  Effect* e = SpawnEffect(f, 100, 100, 3, 0, 200);
  e->dx = 9;
  e->dy = -9;
  for (int frame = 0; frame < 53; ++frame) f.UpdateEffects();
  EXPECT_EQ(e->dx, 1);
  EXPECT_EQ(e->dy, -1);
  f.UpdateEffects();
  EXPECT_EQ(e->dx, 0);
  EXPECT_EQ(e->dy, 0);
  // five frames at 9, six at each speed from 8 down to 1, then at rest
  EXPECT_EQ(e->x, 100 + 6 * 45 - 9);
}

TEST_F(Effects, FramesCycleOrRunOutByKind) {
  TForm1& f = Form();
  Effect* up = SpawnEffect(f, 100, 100, 3, 3, 100);
  Effect* down = SpawnEffect(f, 100, 100, 6, 0, 100);
  Effect* smoke = SpawnEffect(f, 100, 100, 7, 4, 100);
  f.UpdateEffects();
  EXPECT_EQ(up->frame, 0);
  EXPECT_EQ(down->frame, 3);
  EXPECT_EQ(smoke->frame, 5);
  EXPECT_EQ(smoke->grow, 1);
  f.UpdateEffects();
  f.UpdateEffects();
  EXPECT_EQ(smoke->active, 0);  // past frame 6
  EXPECT_EQ(up->active, 1);
}

TEST_F(Effects, AnEffectEndsWhenItsLifeRunsOut) {
  TForm1& f = Form();
  Effect* e = SpawnEffect(f, 100, 100, 4, 0, 2);
  f.UpdateEffects();
  f.UpdateEffects();
  EXPECT_EQ(e->active, 1);
  f.UpdateEffects();
  EXPECT_EQ(e->active, 0);
}

TEST_F(Effects, SparksAreDrawnAndEndedBySparkDrawing) {
  TForm1& f = Form();
  Effect* spark = SpawnEffect(f, 100, 100, 0, 0, 35);
  for (int frame = 0; frame < 6; ++frame) f.DrawSparks();
  EXPECT_EQ(spark->active, 1);
  f.DrawSparks();
  EXPECT_EQ(spark->active, 0);
  // the other kinds are not its business
  Effect* debris = SpawnEffect(f, 100, 100, 3, 0, 35);
  f.DrawSparks();
  EXPECT_EQ(debris->frame, 0);
}

TEST_F(Effects, DebrisStylesKeepToTheirRanges) {
  TForm1& f = Form();
  SpawnDebris(f, 50, 60, 200, Debris::Large);
  int n = 0;
  for (const Effect& e : f.Effect) {
    if (e.active != 1) continue;
    ++n;
    EXPECT_TRUE(e.kind == 3 || e.kind == 4);
    EXPECT_GE(e.life, 10);
    EXPECT_LE(e.life, 34);
    EXPECT_GE(e.dx, -11);
    EXPECT_LE(e.dx, 10);
    EXPECT_EQ(e.x, 50);
  }
  EXPECT_EQ(n, 200);
  SpawnDebris(f, 50, 60, 40, Debris::Small);
  EXPECT_EQ(Live(f.Effect), 221);  // the rest is dropped
}

}  // namespace
}  // namespace game::testing
