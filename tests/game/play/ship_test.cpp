// The player's ship: steering bounds and tilt, the gun's cadence, spin shots,
// the fire modes, fly-in and fly-out, being hit and the respawn.
#include "tests/game/play_fixture.h"

namespace game::testing {
namespace {

using Ship = PlayWorld;

ControlKeys Keys(bool up, bool down, bool left, bool right) {
  ControlKeys k;
  k.up = up;
  k.down = down;
  k.left = left;
  k.right = right;
  return k;
}

TEST_F(Ship, SteeringStopsAtTheEdgesOfThePlayField) {
  TForm1& f = Form();
  f.PlayerShip.x = 30;
  f.PlayerShip.y = 38;
  SteerShip(f, Keys(true, false, true, false), kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.x, 24);
  EXPECT_EQ(f.PlayerShip.y, 34);
  f.PlayerShip.x = 626;
  f.PlayerShip.y = 436;
  SteerShip(f, Keys(false, true, false, true), kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.x, 630);
  EXPECT_EQ(f.PlayerShip.y, 440);
  // the demonstration keeps the ship further left
  f.PlayerShip.x = 596;
  SteerShip(f, Keys(false, false, false, true), kDemoMaxX);
  EXPECT_EQ(f.PlayerShip.x, 600);
}

TEST_F(Ship, SteeringMovesTheTrailAndTheOptionsFollowIt) {
  TForm1& f = Form();
  for (int i = 0; i < 20; ++i) SteerShip(f, Keys(true, false, false, false), kPlayMaxX);
  EXPECT_EQ(f.Trail[0].y, 100);
  EXPECT_EQ(f.Trail[11].y, 100 + 10 * 7);  // entry k is the place of k - 1 updates ago
  // with no key held the trail stands still
  SteerShip(f, ControlKeys{}, kPlayMaxX);
  EXPECT_EQ(f.Trail[11].y, 100 + 10 * 7);  // entry k is the place of k - 1 updates ago
  f.UpdatePlayer();
  EXPECT_EQ(f.PlayerShip.optionY[0], f.Trail[11].y);
  EXPECT_EQ(f.PlayerShip.optionY[1], f.Trail[20].y);
}

TEST_F(Ship, TiltLeansWithSteeringAndSettlesBackToLevel) {
  TForm1& f = Form();
  for (int i = 0; i < 8; ++i) SteerShip(f, Keys(false, false, true, false), kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.tilt, 10);
  SteerShip(f, ControlKeys{}, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.tilt, 9);
  for (int i = 0; i < 12; ++i) SteerShip(f, Keys(false, false, false, true), kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.tilt, 0);
  for (int i = 0; i < 4; ++i) SteerShip(f, ControlKeys{}, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.tilt, 4);
  SteerShip(f, ControlKeys{}, kPlayMaxX);
  SteerShip(f, ControlKeys{}, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.tilt, 5);
  // while spinning the tilt is the spin's to change
  f.PlayerShip.mode = 1;
  f.PlayerShip.tilt = 2;
  SteerShip(f, ControlKeys{}, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.tilt, 2);
}

TEST_F(Ship, HeldGunFiresEveryThirdFrameWithPowerSizedShots) {
  TForm1& f = Form();
  f.PlayerShip.power = 3;
  ControlKeys gun;
  gun.button2 = true;
  int fired[9] = {};
  for (int frame = 0; frame < 9; ++frame) {
    const int before = Live(f.Shot);
    SteerShip(f, gun, kPlayMaxX);
    fired[frame] = Live(f.Shot) - before;
  }
  // the cadence starts at 0 and is 0 again every third frame; the options fire too
  const int expected[9] = {0, 0, 3, 0, 0, 3, 0, 0, 3};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fired[i], expected[i]) << "frame " << i;
  const Shot& own = f.Shot[0];
  EXPECT_EQ(own.kind, 0);
  EXPECT_EQ(own.x, 208);
  EXPECT_EQ(own.y, 232);
  EXPECT_EQ(own.halfW, 17);
  EXPECT_EQ(own.damage, 4);
  EXPECT_EQ(f.Shot[1].kind, 2);
  EXPECT_EQ(f.Shot[1].halfW, 10);
  EXPECT_EQ(f.Shot[1].damage, 2);
  EXPECT_EQ(f.GameState.firingPose, 1);
}

TEST_F(Ship, OptionsHoldFireBelowPowerTwo) {
  TForm1& f = Form();
  f.PlayerShip.power = 1;
  ControlKeys gun;
  gun.button2 = true;
  for (int frame = 0; frame < 3; ++frame) SteerShip(f, gun, kPlayMaxX);
  EXPECT_EQ(Live(f.Shot), 1);
}

TEST_F(Ship, NoShotLeavesWithEveryShotSlotBusy) {
  TForm1& f = Form();
  for (int i = 0; i < 40; ++i) PlaceShot(i, 300, 100, 8, 1);
  f.GameState.shotCadence = 2;
  ControlKeys gun;
  gun.button2 = true;
  SteerShip(f, gun, kPlayMaxX);
  EXPECT_EQ(Live(f.Shot), 40);
  EXPECT_EQ(f.GameState.firingPose, 0);
  for (const Shot& s : f.Shot) EXPECT_EQ(s.x, 300);
}

// A forward spin at a given spin value fires one shot; its place after its
// first move (muzzle 10 pixels, then 23 per frame against its direction).
struct SpinCase {
  int spinBefore;
  int dir, angleStep;
  int dx, dy;  // from the ship's centre
};

TEST_F(Ship, SpinShotsFlyByTheSpinStep) {
  const SpinCase cases[] = {
      {1, 7, 1, 8 + 20, -3 - 8},  // step 1: forward and a little up
      {7, 4, 4, 0, -9 - 21},      // step 4: straight up
      {15, 0, 8, -10 - 23, 0},    // step 8: straight back
      {23, 12, 12, 0, 9 + 21},    // step 12: straight down
  };
  for (const SpinCase& c : cases) {
    SetUp();
    TForm1& f = Form();
    f.PlayerShip.mode = 1;
    f.PlayerShip.spin = c.spinBefore;
    f.UpdatePlayer();
    ASSERT_EQ(Live(f.Shot), 1) << "spin " << c.spinBefore;
    const Shot& s = f.Shot[0];
    EXPECT_EQ(s.kind, 1);
    EXPECT_EQ(s.dir, c.dir) << "spin " << c.spinBefore;
    EXPECT_EQ(s.angleStep, c.angleStep);
    EXPECT_EQ(s.x, 200 + c.dx) << "spin " << c.spinBefore;
    EXPECT_EQ(s.y, 240 + c.dy) << "spin " << c.spinBefore;
  }
}

TEST_F(Ship, AForwardSpinRunsItsTurnAndSpraysSixteenShots) {
  TForm1& f = Form();
  f.PlayerShip.mode = 1;
  int frames = 0;
  int spinShots = 0;
  while (f.PlayerShip.mode == 1 && frames < 100) {
    f.UpdatePlayer();
    ++frames;
    // count each frame's shot before any of them flies off the screen
    spinShots += Live(f.Shot);
    FreeAll(f.Shot);
  }
  EXPECT_EQ(frames, 31);
  EXPECT_EQ(f.PlayerShip.spin, 0);
  // spins 2, 4, ... 30 and the return to 0
  EXPECT_EQ(spinShots, 16);
}

TEST_F(Ship, ButtonsOneAndThreeTogetherChangeNothing) {
  TForm1& f = Form();
  ControlKeys both;
  both.button1 = true;
  both.button3 = true;
  SteerShip(f, both, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.mode, 0);
  EXPECT_EQ(f.PlayerShip.spin, 0);
}

TEST_F(Ship, ButtonThreeTurnsAForwardSpinBackwardKeepingTheAngle) {
  TForm1& f = Form();
  ControlKeys back;
  back.button3 = true;
  SteerShip(f, back, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.mode, 2);
  EXPECT_EQ(f.PlayerShip.spin, 32);

  f.PlayerShip.mode = 1;
  f.PlayerShip.spin = 9;
  SteerShip(f, back, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.mode, 2);
  EXPECT_EQ(f.PlayerShip.spin, 9);
}

TEST_F(Ship, ReleasingTheGunInTurnedFireFinishesTheShorterWay) {
  TForm1& f = Form();
  ControlKeys gun;
  gun.button2 = true;
  f.PlayerShip.mode = 1;
  SteerShip(f, gun, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.mode, 3);

  f.PlayerShip.spin = 17;
  SteerShip(f, ControlKeys{}, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.mode, 2);

  f.PlayerShip.mode = 3;
  f.PlayerShip.spin = 18;
  SteerShip(f, ControlKeys{}, kPlayMaxX);
  EXPECT_EQ(f.PlayerShip.mode, 1);
}

TEST_F(Ship, TurnedFireHoldsTheAngleAndFiresWithTheCadence) {
  TForm1& f = Form();
  f.PlayerShip.mode = 3;
  f.PlayerShip.spin = 8;
  f.PlayerShip.power = 2;
  f.GameState.shotCadence = 1;
  f.UpdatePlayer();
  EXPECT_EQ(Live(f.Shot), 0);
  f.GameState.shotCadence = 0;
  f.UpdatePlayer();
  EXPECT_EQ(f.PlayerShip.spin, 8);
  // the ship's spin shot and one from each option
  EXPECT_EQ(Live(f.Shot), 3);
  EXPECT_EQ(f.Shot[1].kind, 3);
  EXPECT_EQ(f.Shot[1].dir, 4);
}

TEST_F(Ship, FlyInEndsNearTheLeftEdgeAndHandsOverTheControls) {
  TForm1& f = Form();
  f.keepShipUnhurt = true;  // the script's first enemies must not end the flight
  f.ResetStage();
  f.GameState.screen = ScreenPlay;
  int frames = 0;
  while (f.GameState.autopilot == 1 && frames < 200) {
    f.UpdatePlay();
    ++frames;
  }
  EXPECT_EQ(frames, 56);
  EXPECT_EQ(f.PlayerShip.x, 108);
  EXPECT_EQ(f.PlayerShip.tilt, 0);
}

TEST_F(Ship, FlyOutLeadsToTheResultsScreen) {
  TForm1& f = Form();
  f.keepShipUnhurt = true;
  f.GameState.autopilot = 2;
  f.GameState.autopilotSpeed = 1;
  int frames = 0;
  while (f.GameState.screen == ScreenPlay && frames < 500) {
    f.UpdatePlay();
    ++frames;
  }
  EXPECT_EQ(f.GameState.screen, ScreenResults);
  EXPECT_GT(f.PlayerShip.x, 2800);
  EXPECT_EQ(f.GameState.pressLatch, 1);
  EXPECT_EQ(f.GameState.screenCounter, 0);
}

TEST_F(Ship, HitWithSpareShipsExplodesAndRespawnsInvincible) {
  TForm1& f = Form();
  HitShip(f);
  EXPECT_EQ(f.GameState.lives, 1);
  EXPECT_EQ(f.GameState.dying, 1);
  EXPECT_EQ(f.GameState.invincible, 100);
  EXPECT_EQ(f.GameState.soundRequest, 1);
  EXPECT_EQ(Live(f.Effect), 23);
  for (int frame = 0; frame < 30; ++frame) f.UpdatePlayer();
  EXPECT_EQ(f.GameState.dying, 1);
  f.UpdatePlayer();
  EXPECT_EQ(f.GameState.dying, 0);
  EXPECT_EQ(f.PlayerShip.x, -600);
  EXPECT_EQ(f.GameState.autopilot, 1);
  EXPECT_EQ(f.GameState.autopilotSpeed, 38);
  EXPECT_EQ(f.GameState.invincible, 120);
  // invincible: a second hit changes nothing
  HitShip(f);
  EXPECT_EQ(f.GameState.lives, 1);
  EXPECT_EQ(f.GameState.dying, 0);
}

TEST_F(Ship, AShipLostDuringTheFlyOutStillLeavesTheStage) {
  TForm1& f = Form();
  f.GameState.autopilot = 2;
  f.GameState.autopilotSpeed = 10;
  HitShip(f);
  for (int frame = 0; frame < 31; ++frame) f.UpdatePlayer();
  EXPECT_EQ(f.GameState.dying, 0);
  EXPECT_EQ(f.PlayerShip.x, -600);
  EXPECT_EQ(f.GameState.autopilot, 2);
  EXPECT_EQ(f.GameState.autopilotSpeed, 1);
}

TEST_F(Ship, LastShipLostGoesToGameOverFiftySixFramesLater) {
  TForm1& f = Form();
  f.GameState.lives = 0;
  HitShip(f);
  EXPECT_EQ(f.GameState.gameOver, 1);
  EXPECT_EQ(f.GameState.musicRequest, 5);
  EXPECT_EQ(f.GameState.titleSongNeeded, 1);
  for (int frame = 0; frame < 55; ++frame) f.UpdatePlayer();
  EXPECT_EQ(f.GameState.screen, ScreenPlay);
  f.UpdatePlayer();
  EXPECT_EQ(f.GameState.screen, ScreenGameOver);
  EXPECT_EQ(f.GameState.pressLatch, 1);
}

TEST_F(Ship, TheRunnersInvincibilityKeepsTheShipWhole) {
  TForm1& f = Form();
  f.keepShipUnhurt = true;
  HitShip(f);
  EXPECT_EQ(f.GameState.lives, 2);
  EXPECT_EQ(f.GameState.dying, 0);
}

}  // namespace
}  // namespace game::testing
