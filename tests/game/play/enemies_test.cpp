// The enemy pass: hit boxes, kills, rams, items and pick-ups, and the paths
// of the behaviour families on their first frames.
#include "tests/game/play_fixture.h"

namespace game::testing {
namespace {

using Enemies = PlayWorld;

TEST_F(Enemies, ShotHitsNeedStrictOverlap) {
  TForm1& f = Form();
  // boxes 35 + 8 = 43 apart on x: touching is not a hit
  Enemy& e = StillEnemy(0, 400, 240, 35, 3);
  PlaceShot(0, 443, 240, 8, 1);
  f.UpdateEnemies();
  EXPECT_EQ(e.hp, 3);
  EXPECT_EQ(f.Shot[0].active, 1);
  PlaceShot(0, 442, 274, 8, 1);
  f.UpdateEnemies();
  EXPECT_EQ(e.hp, 2);
  EXPECT_EQ(f.Shot[0].active, 0);
  EXPECT_EQ(f.GameState.soundRequest, 4);
  // a hit that does not kill throws power + 2 sparks of debris
  EXPECT_EQ(Live(f.Effect), 2);
}

TEST_F(Enemies, KillScoresExplodesAndFreesAfterThirtyOneFrames) {
  TForm1& f = Form();
  Enemy& e = StillEnemy(0, 400, 240, 35, 2, 5);
  e.points = 100;
  PlaceShot(0, 400, 240, 8, 2);
  PlaceShot(1, 400, 240, 8, 2);
  f.UpdateEnemies();
  EXPECT_EQ(e.state, 2);
  EXPECT_EQ(f.GameState.score, 100);
  EXPECT_EQ(f.GameState.soundRequest, 6);  // a medium kill
  EXPECT_EQ(Live(f.Effect), 13);
  // the second shot flies on: the enemy was already dead
  EXPECT_EQ(f.Shot[1].active, 1);
  for (int frame = 0; frame < 29; ++frame) f.UpdateEnemies();
  EXPECT_EQ(e.state, 2);
  f.UpdateEnemies();
  EXPECT_EQ(e.state, 0);
}

TEST_F(Enemies, BossesWithANegativeBoxCannotBeShot) {
  TForm1& f = Form();
  Enemy& boss = StillEnemy(0, 400, 240, -50, 500, 8);
  PlaceShot(0, 400, 240, 20, 5);
  f.UpdateEnemies();
  EXPECT_EQ(boss.hp, 500);
  EXPECT_EQ(f.Shot[0].active, 1);
}

TEST_F(Enemies, ItemsCannotBeShotAndAreCollectedOnTheSecondFrameOfContact) {
  TForm1& f = Form();
  Enemy& item = StillEnemy(0, 200, 240, 39, 8, 2);
  item.behaviour = 2;
  PlaceShot(0, 200, 240, 8, 5);
  f.UpdateEnemies();
  EXPECT_EQ(f.Shot[0].active, 1);
  EXPECT_EQ(item.state, 1);
  EXPECT_EQ(item.hp, 3);  // the ship touched it once
  EXPECT_EQ(f.GameState.dying, 0);
  f.UpdateEnemies();
  EXPECT_EQ(item.state, 0);
  EXPECT_EQ(f.GameState.soundRequest, 2);
  EXPECT_EQ(f.GameState.score, 100);
  EXPECT_EQ(f.PlayerShip.powerCounter, 1);
  EXPECT_EQ(f.GameState.lives, 2);
}

TEST_F(Enemies, PickUpsAndTheirCaps) {
  struct Case {
    int spriteSet, power, lives;
    int score, powerAfter, livesAfter, banner;
  };
  const Case cases[] = {
      {2, 1, 2, 100, 2, 2, 6},      // second power-up of a level: power up, "g_pup"
      {2, 4, 2, 1000, 4, 2, 8},     // full power: 1000 and "g_1000"
      {3, 0, 2, 100, 0, 3, 5},      // extra ship: "g_1up"
      {3, 0, 10, 1000, 0, 10, 8},   // ten spare ships already: 1000
      {4, 0, 2, 3000, 0, 2, 7},     // bonus
  };
  for (const Case& c : cases) {
    SetUp();
    TForm1& f = Form();
    f.PlayerShip.power = c.power;
    f.PlayerShip.powerCounter = 1;
    f.GameState.lives = c.lives;
    Enemy& item = StillEnemy(0, 200, 240, 39, 4, c.spriteSet);
    item.behaviour = 2;
    f.UpdateEnemies();
    EXPECT_EQ(item.state, 0) << "set " << c.spriteSet;
    EXPECT_EQ(f.GameState.score, c.score) << "set " << c.spriteSet;
    EXPECT_EQ(f.PlayerShip.power, c.powerAfter) << "set " << c.spriteSet;
    EXPECT_EQ(f.GameState.lives, c.livesAfter) << "set " << c.spriteSet;
    ASSERT_EQ(Live(f.Banner), 1);
    EXPECT_EQ(f.Banner[0].kind, c.banner) << "set " << c.spriteSet;
    EXPECT_EQ(f.Banner[0].timer, 50);
  }
}

TEST_F(Enemies, RammingAWeakEnemyKillsItAndCostsAShip) {
  TForm1& f = Form();
  Enemy& e = StillEnemy(0, 210, 240, 35, 5);
  f.UpdateEnemies();
  EXPECT_EQ(e.state, 2);
  EXPECT_EQ(f.GameState.score, 10);
  EXPECT_EQ(f.GameState.lives, 1);
  EXPECT_EQ(f.GameState.dying, 1);
}

TEST_F(Enemies, AnEnemyShotDownInTheSamePassStillHitsAShipRightOnIt) {
  // the kill shrinks the box to nothing: only 0 + 13 around the ship still
  // meets it, where the live box (35 + 13) reached much further
  struct Case {
    int x;
    bool hit;
  };
  for (const Case c : {Case{212, true}, Case{213, false}}) {
    SetUp();
    const int x = c.x;
    TForm1& f = Form();
    Enemy& e = StillEnemy(0, x, 240, 35, 1);
    PlaceShot(0, x, 240, 8, 3);
    f.UpdateEnemies();
    EXPECT_EQ(e.state, 2);
    EXPECT_EQ(f.GameState.score, 10) << "scored once, not rammed to death again";
    EXPECT_EQ(f.GameState.lives, c.hit ? 1 : 2) << x;
    EXPECT_EQ(f.GameState.dying, c.hit ? 1 : 0) << x;
  }
}

TEST_F(Enemies, RammingWhileInvincibleCostsNothing) {
  TForm1& f = Form();
  f.GameState.invincible = 50;
  Enemy& e = StillEnemy(0, 210, 240, 35, 20);
  f.UpdateEnemies();
  EXPECT_EQ(e.hp, 15);
  EXPECT_EQ(f.GameState.lives, 2);
  EXPECT_EQ(f.GameState.dying, 0);
}

TEST_F(Enemies, OptionsRamOnePointPerFrame) {
  TForm1& f = Form();
  f.PlayerShip.optionX[0] = 400;
  f.PlayerShip.optionY[0] = 100;
  f.PlayerShip.optionX[1] = 400;
  f.PlayerShip.optionY[1] = 120;
  Enemy& e = StillEnemy(0, 400, 110, 35, 3);
  f.UpdateEnemies();
  EXPECT_EQ(e.hp, 1);
  f.UpdateEnemies();
  EXPECT_EQ(e.state, 2);
  EXPECT_EQ(f.GameState.soundRequest, 3);
}

TEST_F(Enemies, NothingCollidesAfterTheGameIsOver) {
  TForm1& f = Form();
  f.GameState.gameOver = 1;
  f.PlayerShip.optionX[0] = 210;
  f.PlayerShip.optionY[0] = 240;
  Enemy& e = StillEnemy(0, 210, 240, 35, 5);
  Enemy& item = StillEnemy(1, 200, 240, 39, 8, 2);
  item.behaviour = 2;
  item.aux1 = -20;  // keeps it drifting right but still touching
  f.UpdateEnemies();
  EXPECT_EQ(e.hp, 5);
  EXPECT_EQ(item.hp, 8);
  EXPECT_EQ(f.GameState.lives, 2);
}

TEST_F(Enemies, ACarriersItemStartsCleanInAReusedRecord) {
  TForm1& f = Form();
  // record 1 once held something else: its points and counters are stale
  Enemy& stale = f.Enemy[1];
  stale = Enemy{};
  stale.points = 999;
  stale.timer = 7;
  stale.aux6 = 3;
  Enemy& carrier = StillEnemy(0, 400, 240, 35, 1, 1);
  carrier.aux5 = 1;
  PlaceShot(0, 400, 240, 8, 1);
  f.UpdateEnemies();
  EXPECT_EQ(carrier.state, 2);
  const Enemy& item = f.Enemy[1];
  EXPECT_EQ(item.state, 1);
  EXPECT_EQ(item.behaviour, 2);
  EXPECT_EQ(item.spriteSet, 3);
  EXPECT_EQ(item.hp, 8);
  EXPECT_EQ(item.halfW, 39);
  EXPECT_EQ(item.points, 0);
  EXPECT_EQ(item.timer, 0);
  EXPECT_EQ(item.aux6, 0);
  // it pops right before it drifts left (it moved once in the same pass)
  EXPECT_EQ(item.x, 413);
}

// Positions of each family after a few frames, worked out by hand from the
// spawn values.
struct PathCase {
  const char* name;
  Enemy start;
  int frames;
  int x, y;
};

Enemy Spawned(int behaviour, int x, int y, int speed, int aux1, int aux4, int timer = 0, int frame = 0) {
  Enemy e{};
  e.state = 1;
  e.behaviour = behaviour;
  e.x = x;
  e.y = y;
  e.speed = speed;
  e.aux1 = aux1;
  e.aux4 = aux4;
  e.timer = timer;
  e.frame = frame;
  e.hp = 100;
  e.halfW = 10;
  e.halfH = 10;
  return e;
}

TEST_F(Enemies, BehaviourFamiliesFollowTheirPaths) {
  const PathCase cases[] = {
      // brakes by 3 every fourth frame while drifting by aux4
      {"brake", Spawned(0, 660, 200, 20, 0, -2), 4, 660 - 20 * 3 - 17, 200 - 8},
      // glides by speed, braking by 2 every fourth frame, drifting by aux1
      {"glide", Spawned(3, 700, 200, 13, 1, 0), 4, 700 - 13 * 3 - 11, 204},
      {"glide from the left", Spawned(4, -60, 200, 13, -1, 0), 4, -60 + 13 * 3 + 11, 196},
      // three pixels along heading 10 (-2, -2 per frame), then the first step of P1 (down)
      {"path P1", Spawned(11, 610, -50, 0, 0, 10), 5, 610 - 8, -50 - 8 + 2},
      // hatch ship: 2 x aux1 left and timer down per frame
      {"hatch", Spawned(15, 690, 10, 0, 3, 0, 2), 3, 690 - 18, 16},
      {"hatch from the left", Spawned(17, -50, 10, 0, 3, 0, 2), 3, -50 + 18, 16},
      // wave flyer: 8 left and 2 down per frame
      {"wave", Spawned(40, 660, 300, 0, 0, 0), 3, 636, 306},
      // gunship: speed 22 then 20, drifting by aux1
      {"gunship", Spawned(39, 700, 200, 22, 2, 0), 2, 700 - 22 - 20, 204},
      // homing missile: three pixels along heading 8 (-2 per frame)
      {"homing", Spawned(26, 700, 200, 8, 0, 8), 3, 694, 200},
      // large craft rising by speed, braking by 3
      {"large craft", Spawned(31, 300, 580, 33, 0, 0), 2, 300, 580 - 33 - 30},
      {"large craft from the left", Spawned(34, -130, 200, 33, 0, 4), 2, -130 + 33 + 30, 200},
      // formation flyer: speed 30, braking by 2 every second frame
      {"formation", Spawned(38, 700, 40, 30, 0, 0), 3, 700 - 30 - 30 - 28, 40},
      // riser from below: up by aux1, aux1 falling by 1
      {"riser", Spawned(41, 400, 580, 1, 18, 4), 2, 400, 580 - 18 - 17},
      {"dropper sliding", Spawned(43, 100, -100, 0, 28, 12, 0), 2, 100 + 6 + 6, -100 + 28 + 27},
  };
  for (const PathCase& c : cases) {
    SetUp();
    TForm1& f = Form();
    Enemy& e = f.Enemy[0];
    e = c.start;
    if (c.start.behaviour == 43) e.aux3 = 6;
    for (int frame = 0; frame < c.frames; ++frame) StepBehaviour(f, e);
    EXPECT_EQ(e.state, 1) << c.name;
    EXPECT_EQ(e.x, c.x) << c.name;
    EXPECT_EQ(e.y, c.y) << c.name;
  }
}

TEST_F(Enemies, APathFollowerPastTheEndOfItsScriptKeepsItsLastHeading) {
  TForm1& f = Form();
  Enemy& e = f.Enemy[0];
  e = Spawned(11, 300, 200, 0, 0, 10, 75);
  for (int frame = 0; frame < 8; ++frame) StepBehaviour(f, e);
  EXPECT_EQ(e.aux4, 4);  // P1 ends heading down
  EXPECT_EQ(e.timer, 77);
}

TEST_F(Enemies, PathFollowersFireAnAimedBulletEvery121Frames) {
  TForm1& f = Form();
  Enemy& e = f.Enemy[0];
  // heading straight down from the top-left corner, far from every edge
  e = Spawned(13, 300, 0, 0, 0, 4);
  // by its 121st frame the follower heads right (P3) and fires from x 303
  f.PlayerShip.x = 603;
  f.PlayerShip.y = 0;
  for (int frame = 0; frame < 120; ++frame) {
    StepBehaviour(f, e);
    e.x = 300;
    e.y = 0;
  }
  EXPECT_EQ(Live(f.EnemyBullet), 0);
  StepBehaviour(f, e);
  ASSERT_EQ(Live(f.EnemyBullet), 1);
  const EnemyBullet& b = f.EnemyBullet[0];
  EXPECT_EQ(b.kind, 6);
  // 300 / 30 = 10 across, 0 down: too slow downward, so doubled twice, then
  // too fast across, so halved twice
  EXPECT_EQ(b.dx, 10);
  EXPECT_EQ(b.dy, 0);
}

TEST_F(Enemies, TheTurretShipFansItsThreeShots) {
  TForm1& f = Form();
  Enemy& e = f.Enemy[0];
  e = Spawned(5, 700, 80, 13, 0, 0);
  int frames = 0;
  while (Live(f.EnemyBullet) < 3 && frames < 200) {
    StepBehaviour(f, e);
    ++frames;
  }
  ASSERT_EQ(Live(f.EnemyBullet), 3);
  EXPECT_EQ(f.EnemyBullet[0].dir, 11);
  EXPECT_EQ(f.EnemyBullet[1].dir, 10);
  EXPECT_EQ(f.EnemyBullet[2].dir, 9);
  EXPECT_EQ(f.EnemyBullet[0].kind, 2);
}

// Steps an enemy until the bullet pool holds `count` bullets; the frames taken.
int StepUntilBullets(TForm1& f, Enemy& e, int count, int limit = 300) {
  int frames = 0;
  while (LiveCount(f.EnemyBullet) < count && frames < limit) {
    StepBehaviour(f, e);
    ++frames;
  }
  return frames;
}

// The gunship of the demonstration: it brakes in over 11 frames (speeds 22 to
// 2: x 568, y 240 - 22), opens over 10 (x 558) and fans; each close and open
// takes 10 frames each (x -= 1 + ... + 10, then 9 + ... + 1 and back by 1),
// so the 7-fan leaves at x 459 and the last fan at x 360; it then speeds
// off up to 25 and is gone past x -100 on its 31st frame.
TEST_F(Enemies, TheGunshipFansSevenFansAndFansAgainAsItClosesAndOpens) {
  TForm1& f = Form();
  Enemy& e = f.Enemy[0];
  e = Spawned(39, 700, 240, 22, -2, 0);
  constexpr int kFanDx[6] = {8, 10, 12, 12, 10, 8};
  constexpr int kSevenFanDx[7] = {7, 9, 11, 13, 11, 9, 7};
  EXPECT_EQ(StepUntilBullets(f, e, 6), 22);
  EXPECT_EQ(Live(f.EnemyBullet), 6);
  EXPECT_EQ(f.GameState.soundRequest, 5);
  for (int k = 0; k < 6; ++k) {
    const EnemyBullet& b = f.EnemyBullet[k];
    EXPECT_EQ(b.kind, 19);
    EXPECT_EQ(b.x, 558);
    EXPECT_EQ(b.y, 218);
    EXPECT_EQ(b.dx, kFanDx[k]);
    EXPECT_EQ(b.dy, 4 * k - 10);
    EXPECT_EQ(b.halfW, 10);
  }

  EXPECT_EQ(StepUntilBullets(f, e, 13), 21);
  for (int k = 0; k < 7; ++k) {
    const EnemyBullet& b = f.EnemyBullet[6 + k];
    EXPECT_EQ(b.x, 459);
    EXPECT_EQ(b.dx, kSevenFanDx[k]);
    EXPECT_EQ(b.dy, 4 * k - 12);
    EXPECT_EQ(b.halfW, 12);
    EXPECT_EQ(b.halfH, 5);
  }

  EXPECT_EQ(StepUntilBullets(f, e, 19), 21);
  EXPECT_EQ(f.EnemyBullet[13].x, 360);
  EXPECT_EQ(f.EnemyBullet[13].dy, -10);
  EXPECT_EQ(e.frame, 9);
  for (int frame = 0; frame < 30; ++frame) StepBehaviour(f, e);
  EXPECT_EQ(e.state, 1);
  EXPECT_EQ(e.x, 360 - 325 - 125);
  EXPECT_EQ(e.frame, 0);
  StepBehaviour(f, e);
  EXPECT_EQ(e.state, 0);
  EXPECT_EQ(Live(f.EnemyBullet), 19);
}

// A hatch ship from the right with aux1 3: three hatch loops of 12 frames at
// 6, 4 and 2 pixels left (x 690 - 144) while it drifts down by timer 2 per
// frame (y 10 + 72); the hatch opens to frame 16 and fires on the 41st frame,
// closes to frame 12 and only then sets off back to the right.
TEST_F(Enemies, AHatchShipFiresOnceOpenThenLeavesTheOtherWay) {
  TForm1& f = Form();
  Enemy& e = f.Enemy[0];
  e = Spawned(15, 690, 10, 0, 3, 0, 2);
  EXPECT_EQ(StepUntilBullets(f, e, 1), 41);
  const EnemyBullet& b = f.EnemyBullet[0];
  EXPECT_EQ(b.kind, 0);
  EXPECT_EQ(b.x, 546 - 5);
  EXPECT_EQ(b.y, 82);
  EXPECT_EQ(e.frame, 16);
  EXPECT_EQ(f.GameState.soundRequest, 5);
  for (int frame = 0; frame < 5; ++frame) StepBehaviour(f, e);
  EXPECT_EQ(e.frame, 12);
  EXPECT_EQ(e.x, 546);
  // the first leaving frame still has aux1 0: it starts a loop at aux1 1
  StepBehaviour(f, e);
  EXPECT_EQ(e.x, 546);
  EXPECT_EQ(e.aux1, 1);
  StepBehaviour(f, e);
  EXPECT_EQ(e.x, 548);
  EXPECT_EQ(e.y, 82 + 2 * 2);
  EXPECT_EQ(Live(f.EnemyBullet), 1);
}

// A large craft glides in, then three times turns a full circle (32 frames)
// and fires a ring of sixteen. Its hatch opens once, before the first ring,
// stays open (frame 14) until the last and only then folds, in 14 frames.
TEST_F(Enemies, ALargeCraftKeepsItsHatchOpenBetweenItsThreeRings) {
  TForm1& f = Form();
  Enemy& e = f.Enemy[0];
  e = Spawned(32, 300, -100, 33, 0, 0);
  std::vector<int> rings;
  int lowestBetween = 14;
  for (int frame = 1; frame <= 300 && rings.size() < 3; ++frame) {
    f.GameState.soundRequest = 0;
    StepBehaviour(f, e);
    if (f.GameState.soundRequest == 9)
      rings.push_back(frame);
    else if (!rings.empty())
      lowestBetween = std::min(lowestBetween, e.frame);
  }
  ASSERT_EQ(rings.size(), 3u);
  EXPECT_EQ(rings[1] - rings[0], 33);
  EXPECT_EQ(rings[2] - rings[1], 33);
  EXPECT_EQ(lowestBetween, 14);
  EXPECT_EQ(e.aux4, 0);  // three whole turns
  int folding = 0;
  while (e.frame > 0 && folding < 30) {
    StepBehaviour(f, e);
    ++folding;
  }
  EXPECT_EQ(folding, 14);
}

// Droppers and risers glide by aux1 = 18, 17, ... 0, -1 (170 pixels in 20
// frames), turning to heading 0 on the last eight; they wait 7 frames and fire
// on the 28th. The sliding kind (43) with aux1 28 glides 30 frames (405
// pixels) while x moves by aux3 each frame, and fires on the 38th.
TEST_F(Enemies, RisersAndDroppersGlideTurnWaitAndFireOnce) {
  TForm1& f = Form();
  struct Case {
    Enemy start;
    int aux3;
    int fireFrame;
    int x, y;
  };
  const Case cases[] = {
      {Spawned(41, 400, -100, 0, 18, 12), 0, 28, 400, 70},   // dropper: 12 turns on to 0
      {Spawned(41, 400, 580, 1, 18, 4), 0, 28, 400, 410},    // riser: 4 turns back to 0
      {Spawned(43, 100, -100, 0, 28, 12), 6, 38, 280, 305},  // sliding dropper
  };
  for (const Case& c : cases) {
    SetUp();
    Enemy& e = f.Enemy[0];
    e = c.start;
    e.aux3 = c.aux3;
    EXPECT_EQ(StepUntilBullets(f, e, 1), c.fireFrame);
    EXPECT_EQ(e.x, c.x);
    EXPECT_EQ(e.y, c.y);
    EXPECT_EQ(e.aux4, 0);
    EXPECT_EQ(e.frame, 7);
    const EnemyBullet& b = f.EnemyBullet[0];
    EXPECT_EQ(b.kind, 21);
    EXPECT_EQ(b.x, c.x - 20);
    EXPECT_EQ(b.y, c.y - 10);
    EXPECT_EQ(b.halfH, 20);
    EXPECT_EQ(f.GameState.soundRequest, 9);
    // then it speeds off to the right: 1 + 2 (dropper) or 2 + 3 (riser)
    StepBehaviour(f, e);
    StepBehaviour(f, e);
    EXPECT_EQ(e.x, c.x + (c.start.speed == 1 ? 5 : 3));
    EXPECT_EQ(Live(f.EnemyBullet), 1);
  }
}

TEST_F(Enemies, EnemiesLeavingTheFieldAreFreed) {
  TForm1& f = Form();
  Enemy& e = f.Enemy[0];
  e = Spawned(40, -40, 200, 0, 0, 0);
  StepBehaviour(f, e);
  StepBehaviour(f, e);
  EXPECT_EQ(e.state, 0);
  // formation flyers start beyond the right edge and live on
  e = Spawned(38, 1660, 430, 54, 0, 0);
  StepBehaviour(f, e);
  EXPECT_EQ(e.state, 1);
}

}  // namespace
}  // namespace game::testing
