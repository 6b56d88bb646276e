// The stage scripts: their waits, banners, songs, spawns, the hand-over to
// stage 2 and the fly-out.
#include <algorithm>

#include "game/world/stage_data.h"
#include "game/world/start_worlds.h"
#include "tests/game/play_fixture.h"

namespace game::testing {
namespace {

using Script = PlayWorld;

int FirstIndexOf(int stage, int op) {
  const auto script = StageScript(stage);
  const auto it = std::find(script.begin(), script.end(), op);
  return it == script.end() ? -1 : static_cast<int>(it - script.begin());
}

// Runs script steps until the position moves; returns the steps taken.
int StepsToAdvance(TForm1& f, int limit = 50) {
  const int from = f.GameState.scriptPos;
  int steps = 0;
  while (f.GameState.scriptPos == from && steps < limit) {
    f.RunStageScript();
    ++steps;
  }
  return steps;
}

TEST_F(Script, EveryOperationOfBothScriptsIsKnown) {
  for (int stage = 0; stage < 2; ++stage)
    for (int16_t op : StageScript(stage)) {
      const ScriptOp& what = ScriptOperation(op);
      EXPECT_NE(what.action, ScriptAction::Stall) << "stage " << stage << " op " << op;
      if (what.action == ScriptAction::Spawn) {
        EXPECT_FALSE(SpawnRows(op).empty()) << "op " << op;
      }
    }
  // each script ends with its hand-over and nothing but zeros after it
  EXPECT_EQ(StageScript(0).size(), 437u);
  for (int stage = 0; stage < 2; ++stage) {
    const auto script = StageScript(stage);
    const int last = FirstIndexOf(stage, stage == 0 ? 33 : 52);
    ASSERT_GT(last, 0);
    EXPECT_TRUE(std::all_of(script.begin() + last + 1, script.end(), [](int16_t op) { return op == 0; }));
  }
  EXPECT_LT(FirstIndexOf(1, 51), FirstIndexOf(1, 52));
}

// Each practice starts where its stage starts, or on the step that spawns
// its boss, with the song the script asked for last before that step.
TEST_F(Script, PracticePointsStartOnTheirStageOrTheirBossesStep) {
  for (const StartPoint& point : PracticePoints()) {
    SCOPED_TRACE(point.name);
    const PracticeStart& p = point.practice;
    const auto script = StageScript(p.stage);
    ASSERT_LT(p.scriptPos, static_cast<int>(script.size()));
    int song = 0;
    for (int pos = 0; pos < p.scriptPos; ++pos) {
      const ScriptOp& what = ScriptOperation(script[pos]);
      if (what.action == ScriptAction::Music) song = what.kind;
    }
    EXPECT_EQ(p.musicRequest, song);
    if (p.bossBehaviour == 0) {
      EXPECT_EQ(p.scriptPos, 0);
      continue;
    }
    const auto spawns = SpawnRows(script[p.scriptPos]);
    ASSERT_EQ(spawns.size(), 1u);
    EXPECT_EQ(spawns[0].behaviour, p.bossBehaviour);
  }
}

TEST_F(Script, StageOneOpensWithItsSongAndBannerThenWaits) {
  TForm1& f = Form();
  f.GameState.scriptDivider = 6;
  f.RunStageScript();
  EXPECT_EQ(f.GameState.scriptDivider, 0);
  EXPECT_EQ(f.GameState.musicRequest, 2);
  EXPECT_EQ(f.GameState.scriptOp, 7);
  f.RunStageScript();
  ASSERT_EQ(Live(f.Banner), 1);
  EXPECT_EQ(f.Banner[0].kind, 0);
  EXPECT_EQ(f.Banner[0].timer, 100);
  EXPECT_EQ(f.GameState.scriptPos, 2);
  // op 0 waits six steps, op 1 two
  EXPECT_EQ(StepsToAdvance(f), 6);
  f.GameState.scriptPos = 7;
  ASSERT_EQ(StageScript(0)[7], 1);
  EXPECT_EQ(StepsToAdvance(f), 2);
}

TEST_F(Script, OpThirtyEightAdvancesOnItsFirstStep) {
  TForm1& f = Form();
  f.GameState.stage = 1;
  f.GameState.scriptPos = FirstIndexOf(1, 38);
  EXPECT_EQ(StepsToAdvance(f), 1);
}

TEST_F(Script, OpTwentyTwoHoldsUntilEveryEnemyIsGone) {
  TForm1& f = Form();
  f.GameState.scriptPos = FirstIndexOf(0, 22);
  Enemy& dying = StillEnemy(17, 500, 100, 0, 0);
  dying.state = 2;
  for (int step = 0; step < 10; ++step) f.RunStageScript();
  EXPECT_EQ(f.GameState.scriptPos, FirstIndexOf(0, 22));
  dying.state = 0;
  f.RunStageScript();
  EXPECT_EQ(f.GameState.scriptPos, FirstIndexOf(0, 22) + 1);
}

TEST_F(Script, ABannerWithEveryRecordBusyIsLostButTheScriptGoesOn) {
  TForm1& f = Form();
  for (Banner& b : f.Banner) {
    b = Banner{};
    b.timer = 40;
    b.kind = 8;
  }
  f.GameState.scriptPos = 1;
  f.RunStageScript();
  EXPECT_EQ(f.GameState.scriptPos, 2);
  for (const Banner& b : f.Banner) EXPECT_EQ(b.kind, 8);
}

TEST_F(Script, UnusedCodesStallAndAStageOnlyWaitsPastItsEnd) {
  EXPECT_EQ(ScriptOperation(4).action, ScriptAction::Stall);
  EXPECT_EQ(ScriptOperation(42).action, ScriptAction::Stall);
  EXPECT_EQ(ScriptOperation(63).action, ScriptAction::Stall);
  EXPECT_EQ(ScriptOperation(-1).action, ScriptAction::Stall);
  TForm1& f = Form();
  f.GameState.scriptPos = 5000;
  EXPECT_EQ(StepsToAdvance(f), 6);
  EXPECT_EQ(Live(f.Enemy), 0);
}

TEST_F(Script, TheFirstFormationSpawnsTwoFlyersInRange) {
  TForm1& f = Form();
  f.GameState.scriptPos = 5;
  ASSERT_EQ(StageScript(0)[5], 31);
  f.RunStageScript();
  ASSERT_EQ(Live(f.Enemy), 2);
  for (int i = 0; i < 2; ++i) {
    const Enemy& e = f.Enemy[i];
    EXPECT_EQ(e.behaviour, 19);
    EXPECT_EQ(e.spriteSet, 13);
    EXPECT_EQ(e.hp, 2);
    EXPECT_EQ(e.halfW, 29);
    EXPECT_EQ(e.points, 10);
    EXPECT_EQ(e.x, 660);
    EXPECT_GE(e.y, 140);
    EXPECT_LT(e.y, 340);
    EXPECT_GE(e.speed, 20);
    EXPECT_LT(e.speed, 36);
    EXPECT_GE(e.aux4, -5);
    EXPECT_LE(e.aux4, 1);
    EXPECT_EQ(e.frame, 0);
    EXPECT_EQ(e.timer, 0);
  }
}

TEST_F(Script, AMultiSpawnStopsWhenThePoolRunsOut) {
  TForm1& f = Form();
  for (int i = 0; i < 36; ++i) StillEnemy(i, -500, -500, 1, 1);
  SpawnMembers(f.Enemy, SpawnRows(58));
  EXPECT_EQ(Live(f.Enemy), 40);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(f.Enemy[36 + k].x, 700 + 160 * k);
    EXPECT_EQ(f.Enemy[36 + k].y, 40 + 65 * k);
    EXPECT_EQ(f.Enemy[36 + k].speed, 30 + 4 * k);
  }
}

TEST_F(Script, AWaveSharesOneRandomHeight) {
  TForm1& f = Form();
  SpawnMembers(f.Enemy, SpawnRows(60));
  ASSERT_EQ(Live(f.Enemy), 5);
  const int base = f.Enemy[0].y;
  EXPECT_GE(base, 100);
  EXPECT_LT(base, 380);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(f.Enemy[k].y, base + 8 * k);
    EXPECT_EQ(f.Enemy[k].x, 660 + 100 * k);
    EXPECT_EQ(f.Enemy[k].frame, 2 * k);
  }
}

TEST_F(Script, RisersAndDroppersComeInTwoGroupsOfThree) {
  TForm1& f = Form();
  SpawnMembers(f.Enemy, SpawnRows(62));
  ASSERT_EQ(Live(f.Enemy), 6);
  const int xs[3] = {100, 300, 650}, aux1[3] = {28, 31, 22}, aux3[3] = {6, 4, -3};
  for (int k = 0; k < 6; ++k) {
    const Enemy& e = f.Enemy[k];
    EXPECT_EQ(e.x, xs[k % 3]);
    EXPECT_EQ(e.y, k <= 2 ? -100 : 580);
    EXPECT_EQ(e.speed, k <= 2 ? 0 : 1);
    EXPECT_EQ(e.aux1, aux1[k % 3]);
    EXPECT_EQ(e.aux3, aux3[k % 3]);
    EXPECT_EQ(e.aux4, k <= 2 ? 12 : 4);
  }
}

TEST_F(Script, HomingMissilesKeepTheirFirstHeading) {
  TForm1& f = Form();
  SpawnMembers(f.Enemy, SpawnRows(47));
  ASSERT_EQ(Live(f.Enemy), 1);
  EXPECT_EQ(f.Enemy[0].aux4, f.Enemy[0].speed);
  EXPECT_GE(f.Enemy[0].speed, 10);
  EXPECT_LT(f.Enemy[0].speed, 15);
}

TEST_F(Script, StageOneHandsOverToStageTwo) {
  TForm1& f = Form();
  f.PlayerShip.x = 321;
  f.GameState.scriptPos = FirstIndexOf(0, 33);
  f.GameState.scriptWait = 3;
  f.RunStageScript();
  EXPECT_EQ(f.GameState.stage, 1);
  EXPECT_EQ(f.GameState.scriptPos, 0);
  EXPECT_EQ(f.GameState.scriptWait, 0);
  EXPECT_EQ(f.PlayerShip.x, 321);
  f.RunStageScript();
  EXPECT_EQ(f.GameState.musicRequest, 3);
}

TEST_F(Script, StageTwoEndsWithTheEndingSongAndTheFlyOut) {
  TForm1& f = Form();
  f.GameState.stage = 1;
  f.GameState.scriptPos = FirstIndexOf(1, 51);
  f.RunStageScript();
  EXPECT_EQ(f.GameState.musicRequest, 6);
  EXPECT_EQ(f.GameState.titleSongNeeded, 1);
  f.GameState.scriptPos = FirstIndexOf(1, 52);
  f.RunStageScript();
  EXPECT_EQ(f.GameState.autopilot, 2);
  EXPECT_EQ(f.GameState.autopilotSpeed, 1);
}

}  // namespace
}  // namespace game::testing
