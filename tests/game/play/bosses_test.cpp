// The boss programs: their phase changes, volleys and hit boxes.
#include <set>
#include <vector>

#include "game/world/stage_data.h"
#include "tests/game/play_fixture.h"

namespace game::testing {
namespace {

using Bosses = PlayWorld;

Enemy& SpawnBoss(TForm1& f, int op) {
  SpawnMembers(f.Enemy, SpawnRows(op));
  return f.Enemy[0];
}

void Steps(TForm1& f, Enemy& e, int n) {
  for (int i = 0; i < n; ++i) StepBehaviour(f, e);
}

int CountBullets(const TForm1& f, int kind) {
  int n = 0;
  for (const EnemyBullet& b : f.EnemyBullet) n += b.active == 1 && b.kind == kind;
  return n;
}

// Runs a boss alone for `frames` frames and lists the phases in the order
// they were entered (bullets are cleared every frame, as if they flew off).
std::vector<int> PhaseWalk(TForm1& f, Enemy& e, int frames) {
  std::vector<int> phases{e.timer};
  for (int i = 0; i < frames; ++i) {
    StepBehaviour(f, e);
    FreeAll(f.EnemyBullet);
    for (Enemy& other : f.Enemy)
      if (&other != &e) other.state = 0;
    if (e.timer != phases.back()) phases.push_back(e.timer);
  }
  return phases;
}

// ---------------------------------------------------------------- first boss

TEST_F(Bosses, FirstBossApproachesGrowsAndOpens) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 21);
  Steps(f, e, 200);
  EXPECT_EQ(e.timer, 0);
  EXPECT_EQ(e.x, 500);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 1);
  Steps(f, e, 78);
  EXPECT_EQ(e.speed, 256);
  EXPECT_EQ(e.timer, 1);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 2);
  Steps(f, e, 7);
  EXPECT_EQ(e.timer, 2);
  EXPECT_EQ(e.halfW, -50);
  EXPECT_EQ(e.aux5, 0);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 3);
  EXPECT_EQ(e.halfW, 100);
  EXPECT_EQ(e.halfH, 80);
  EXPECT_EQ(e.y, 242);  // the bob has started downward
}

TEST_F(Bosses, FirstBossCannotBeHitUntilItsBodyOpens) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 21);
  int frames = 0;
  while (e.timer < 3 && frames < 400) {
    EXPECT_EQ(e.hp, 500) << "frame " << frames;
    PlaceShot(0, e.x, e.y, 20, 5);
    f.UpdateEnemies();
    ++frames;
  }
  EXPECT_EQ(frames, 288);
  // the shot of the frame that opens the body already hits
  EXPECT_EQ(e.hp, 495);
}

TEST_F(Bosses, FirstBossVolleyPutsSixBulletsOnEachOfTwoSpots) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 21);
  e.timer = 3;
  e.aux5 = 2;
  Steps(f, e, 31);
  EXPECT_EQ(e.timer, 4);
  const int x = e.x, y = e.y;
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 5);
  EXPECT_EQ(CountBullets(f, 3), 12);
  int high = 0, low = 0;
  for (const EnemyBullet& b : f.EnemyBullet) {
    if (b.active != 1) continue;
    EXPECT_EQ(b.x, x - 80);
    high += b.y == y - 49;
    low += b.y == y - 27;
  }
  EXPECT_EQ(high, 6);
  EXPECT_EQ(low, 6);
  EXPECT_EQ(f.GameState.soundRequest, 5);
}

TEST_F(Bosses, FirstBossFiresFifteenRingsThenWobblingFans) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 21);
  e.timer = 10;
  e.aux2 = 0;
  StepBehaviour(f, e);
  EXPECT_EQ(CountBullets(f, 4), 0);
  StepBehaviour(f, e);
  ASSERT_EQ(CountBullets(f, 4), 16);
  for (int d = 0; d < 16; ++d) EXPECT_EQ(f.EnemyBullet[d].dir, d);
  EXPECT_EQ(f.EnemyBullet[0].halfW, 7);
  EXPECT_EQ(f.GameState.soundRequest, 7);
  int rings = 1;
  while (e.timer == 10) {
    const int before = CountBullets(f, 4);
    StepBehaviour(f, e);
    rings += CountBullets(f, 4) > before;
    FreeAll(f.EnemyBullet);
  }
  EXPECT_EQ(rings, 15);
  EXPECT_EQ(e.aux4, 0);

  e.timer = 12;
  e.aux2 = 0;
  StepBehaviour(f, e);
  ASSERT_EQ(CountBullets(f, 5), 4);
  // step 1 of the wobble: a cross turned a little
  const int dx[4] = {3, 15, -3, -15}, dy[4] = {15, -3, -15, 3};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(f.EnemyBullet[i].dx, dx[i]) << i;
    EXPECT_EQ(f.EnemyBullet[i].dy, dy[i]) << i;
  }
  // five fans in thirteen frames
  Steps(f, e, 11);
  EXPECT_EQ(e.timer, 12);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 13);
  EXPECT_EQ(CountBullets(f, 5), 20);
}

TEST_F(Bosses, FirstBossMissilesStartCleanInReusedRecords) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 21);
  Enemy& stale = f.Enemy[1];
  stale = Enemy{};
  stale.points = 777;
  stale.aux1 = 4;
  stale.aux6 = 9;
  stale.frame = 3;
  e.timer = 20;
  Steps(f, e, 2);
  EXPECT_EQ(stale.state, 0);
  StepBehaviour(f, e);
  ASSERT_EQ(stale.state, 1);
  EXPECT_EQ(stale.behaviour, 10);
  EXPECT_EQ(stale.points, 0);
  EXPECT_EQ(stale.aux1, 0);
  EXPECT_EQ(stale.aux6, 0);
  EXPECT_EQ(stale.frame, 0);
  EXPECT_EQ(stale.hp, 2);
  EXPECT_EQ(stale.halfW, 16);
  EXPECT_EQ(stale.halfH, 12);
  EXPECT_EQ(stale.x, e.x + 70);
  EXPECT_GE(stale.timer, -20);
  EXPECT_LT(stale.timer, 20);
  // a missile every third frame for 131 frames, then the long wait
  const std::vector<int> phases = PhaseWalk(f, e, 200);
  EXPECT_EQ(phases.at(1), 21);
  EXPECT_EQ(phases.at(2), 4);
}

TEST_F(Bosses, FirstBossProgramRepeatsFromItsVolleys) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 21);
  const std::vector<int> phases = PhaseWalk(f, e, 1400);
  std::vector<int> expected;
  for (int p = 0; p <= 21; ++p) expected.push_back(p);
  expected.push_back(4);
  expected.push_back(5);
  ASSERT_GE(phases.size(), expected.size());
  EXPECT_EQ(std::vector<int>(phases.begin(), phases.begin() + expected.size()), expected);
  // the bob stays between its turning points
  EXPECT_GE(e.y, 128);
  EXPECT_LE(e.y, 352);
}

// ---------------------------------------------------------------- stage-1 boss

TEST_F(Bosses, StageOneBossBrakesInThenScattersBullets) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 32);
  Steps(f, e, 15);
  EXPECT_EQ(e.timer, 0);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 1);
  EXPECT_EQ(e.x, 292);
  EXPECT_EQ(e.aux4, 0);

  e.timer = 2;
  e.speed = 0;
  Steps(f, e, 20);
  EXPECT_EQ(e.timer, 2);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 3);
  EXPECT_EQ(CountBullets(f, 2), 5);
  // each starts on the rim, 20 pixels out along its flight
  for (const EnemyBullet& b : f.EnemyBullet) {
    if (b.active != 1) continue;
    EXPECT_EQ(b.x, e.x - f.dirCos[b.dir] * 20 / 16);
    EXPECT_EQ(b.y, e.y - f.dirSin[b.dir] * 20 / 16);
  }
  EXPECT_EQ(f.GameState.soundRequest, 0);
}

TEST_F(Bosses, StageOneBossLineVolleys) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 32);
  e.x = 400;
  e.timer = 8;
  e.speed = 0;
  StepBehaviour(f, e);
  ASSERT_EQ(CountBullets(f, 7), 6);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(f.EnemyBullet[k].x, 400);
    EXPECT_EQ(f.EnemyBullet[k].y, 240 + 40 * k - 100);
  }
  EXPECT_EQ(f.GameState.soundRequest, 9);
  Steps(f, e, 69);
  EXPECT_EQ(e.timer, 8);
  EXPECT_EQ(CountBullets(f, 7), 72);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 9);

  // the upward volleys form a row while the boss slides left to x 199
  FreeAll(f.EnemyBullet);
  e.timer = 10;
  e.speed = 0;
  StepBehaviour(f, e);
  ASSERT_EQ(CountBullets(f, 8), 6);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(f.EnemyBullet[k].x, e.x + 40 * k - 100);
  while (e.timer == 10) StepBehaviour(f, e);
  EXPECT_EQ(e.x, 199);
}

TEST_F(Bosses, StageOneBossLoopsBackToItsPathAfterFolding) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 32);
  const std::vector<int> phases = PhaseWalk(f, e, 2500);
  std::vector<int> expected;
  for (int p = 0; p <= 18; ++p) expected.push_back(p);
  expected.push_back(4);
  expected.push_back(5);
  ASSERT_GE(phases.size(), expected.size());
  EXPECT_EQ(std::vector<int>(phases.begin(), phases.begin() + expected.size()), expected);
}

// ---------------------------------------------------------------- stage-2 boss

TEST_F(Bosses, StageTwoBossGrowsInClosedThenOpensItsHitBox) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 50);
  EXPECT_EQ(e.aux5, 1);
  EXPECT_EQ(e.frame, 44);
  Steps(f, e, 30);
  EXPECT_EQ(e.timer, 0);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 1);
  EXPECT_EQ(e.aux3, 61);
  Steps(f, e, 73);
  EXPECT_EQ(e.timer, 1);
  EXPECT_EQ(e.halfW, -50);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 2);
  EXPECT_EQ(e.aux3, 280);
  EXPECT_EQ(e.aux5, 0);
  EXPECT_EQ(e.halfW, 55);
  EXPECT_EQ(e.halfH, 65);
}

TEST_F(Bosses, StageTwoBossPausesSixteenFramesAndSetsTheNextPose) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 50);
  e.timer = 4;
  e.frame = 0;
  Steps(f, e, 15);
  EXPECT_EQ(e.timer, 4);
  StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 5);
  EXPECT_EQ(e.frame, 23);
  EXPECT_EQ(e.speed, 0);
  EXPECT_EQ(f.GameState.soundRequest, 10);
}

TEST_F(Bosses, StageTwoBossOpensForThreeBigBullets) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 50);
  e.timer = 3;
  e.frame = 7;
  e.speed = e.aux1 = 0;
  while (e.timer == 3) StepBehaviour(f, e);
  EXPECT_EQ(e.timer, 4);
  EXPECT_EQ(e.frame, 0);
  ASSERT_EQ(CountBullets(f, 12), 3);
  EXPECT_EQ(f.EnemyBullet[0].x, e.x - 70);
  EXPECT_EQ(f.EnemyBullet[0].y, e.y - 35);
  EXPECT_EQ(f.EnemyBullet[0].halfW, 25);
  EXPECT_EQ(f.EnemyBullet[0].halfH, 60);
}

TEST_F(Bosses, StageTwoBossFansAndSpreads) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 50);
  e.timer = 16;
  e.speed = 1;
  StepBehaviour(f, e);
  ASSERT_EQ(CountBullets(f, 19), 6);
  const int fanDx[6] = {8, 10, 12, 12, 10, 8};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(f.EnemyBullet[k].dx, fanDx[k]);
    EXPECT_EQ(f.EnemyBullet[k].dy, 4 * k - 10);
    EXPECT_EQ(f.EnemyBullet[k].x, e.x + 10);
  }
  FreeAll(f.EnemyBullet);
  e.speed = 3;
  StepBehaviour(f, e);
  ASSERT_EQ(CountBullets(f, 19), 7);
  EXPECT_EQ(f.EnemyBullet[3].dx, 13);
  EXPECT_EQ(f.EnemyBullet[6].dy, 12);
  EXPECT_EQ(f.EnemyBullet[0].halfH, 5);

  FreeAll(f.EnemyBullet);
  e.timer = 12;
  e.speed = 0;
  StepBehaviour(f, e);
  // three rounds of five from each side
  EXPECT_EQ(CountBullets(f, 16), 10);
  EXPECT_EQ(CountBullets(f, 17), 10);
  EXPECT_EQ(CountBullets(f, 18), 10);
  EXPECT_EQ(f.EnemyBullet[0].x, e.x + 33);
  EXPECT_EQ(f.EnemyBullet[0].dir, 0);
  EXPECT_EQ(f.EnemyBullet[5].x, e.x - 33);
  EXPECT_EQ(f.EnemyBullet[5].dir, 4);
  EXPECT_EQ(f.GameState.soundRequest, 9);
}

TEST_F(Bosses, StageTwoBossGoesFromPhaseThirtyFiveBackToSix) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 50);
  e.timer = 35;
  e.y = 200;
  e.frame = 44;
  e.aux4 = 0;
  e.speed = e.aux1 = 0;
  int frames = 0;
  while (e.timer == 35 && frames < 100) {
    StepBehaviour(f, e);
    ++frames;
  }
  // falling 0, 1, 2, ... pixels: past 241 on the tenth frame
  EXPECT_EQ(frames, 10);
  EXPECT_EQ(e.timer, 6);
  EXPECT_EQ(e.frame, 15);
  EXPECT_EQ(e.speed, 0);
  EXPECT_EQ(e.aux1, 0);
  EXPECT_EQ(e.y, 245);
}

TEST_F(Bosses, StageTwoBossRunsEveryPhaseAndRepeatsFromSix) {
  TForm1& f = Form();
  Enemy& e = SpawnBoss(f, 50);
  const std::vector<int> phases = PhaseWalk(f, e, 6000);
  std::vector<int> expected;
  for (int p = 0; p <= 35; ++p) expected.push_back(p);
  for (int p = 6; p <= 8; ++p) expected.push_back(p);
  ASSERT_GE(phases.size(), expected.size());
  EXPECT_EQ(std::vector<int>(phases.begin(), phases.begin() + expected.size()), expected);
  // phases 0 to 5 run once
  for (size_t i = 6; i < phases.size(); ++i) EXPECT_GE(phases[i], 6) << "entry " << i;
}

}  // namespace
}  // namespace game::testing
