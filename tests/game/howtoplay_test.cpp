// The how-to-play demonstration and the game-over picture.
#include <algorithm>
#include <set>

#include "tests/game/play_fixture.h"

namespace game::testing {
namespace {

using HowToPlay = PlayWorld;
using GameOverPicture = PlayWorld;

// The title's hand-over to the demonstration.
void EnterDemonstration(TForm1& f) {
  f.ResetRun();
  f.ResetStage();
  f.GameState.screen = ScreenHowToPlay;
  f.GameState.screenCounter = 0;
  f.PlayerShip.x = 200;
  f.PlayerShip.y = 240;
  f.PlayerShip.power = 2;
  f.SetTrail(200, 240);
}

enum Flag { kCapZ, kCapX, kCapC, kCapUp, kCapLeft, kCapRight, kCapDown };

TEST_F(HowToPlay, TheDemonstrationRunsToItsEndAndReturnsToTheTitle) {
  TForm1& f = Form();
  EnterDemonstration(f);
  int frames = 0;
  bool downLeft = false, gunUpRight = false, onlyZ = false;
  int maxX = 0, shots = 0;
  std::set<int> behaviours;
  while (f.GameState.screen == ScreenHowToPlay && frames < 2000) {
    f.RunHowToPlay();
    f.UpdateEffects();
    ++frames;
    const int32_t* lit = f.GameState.howToPlay;
    downLeft |= lit[kCapDown] && lit[kCapLeft] && !lit[kCapUp] && !lit[kCapRight];
    gunUpRight |= lit[kCapX] && lit[kCapUp] && lit[kCapRight];
    onlyZ |= lit[kCapZ] && std::count(lit, lit + 7, 1) == 1;
    maxX = std::max(maxX, f.PlayerShip.x);
    shots = std::max(shots, Live(f.Shot));
    for (const Enemy& e : f.Enemy)
      if (e.state == 1) behaviours.insert(e.behaviour);
  }
  // 197 steps of four frames, less the six spawn steps that take none
  EXPECT_EQ(frames, 760);
  EXPECT_EQ(f.GameState.screen, ScreenTitle);
  EXPECT_EQ(f.GameState.screenCounter, 0);
  EXPECT_EQ(f.GameState.shotCadence, 1);
  EXPECT_TRUE(downLeft);
  EXPECT_TRUE(gunUpRight);
  EXPECT_TRUE(onlyZ);
  EXPECT_LE(maxX, 600);
  EXPECT_GT(maxX, 400);
  EXPECT_GT(shots, 3);
  EXPECT_EQ(behaviours, (std::set<int>{3, 4, 39}));
  // stray bullets may cost the demonstration a ship, never the game
  EXPECT_EQ(f.GameState.gameOver, 0);
}

TEST_F(HowToPlay, SimulatedKeysSteerByTheRealRules) {
  TForm1& f = Form();
  EnterDemonstration(f);
  // the script opens with three idle steps (the first one frame short), then holds right
  for (int frame = 0; frame < 11; ++frame) f.RunHowToPlay();
  EXPECT_EQ(f.PlayerShip.x, 200);
  for (int frame = 0; frame < 4; ++frame) f.RunHowToPlay();
  EXPECT_EQ(f.PlayerShip.x, 228);
  EXPECT_EQ(f.PlayerShip.tilt, 1);
  EXPECT_EQ(f.GameState.howToPlay[kCapRight], 1);
  EXPECT_EQ(f.GameState.howToPlay[7 + 5], 1);  // the simulated right key
}

TEST_F(HowToPlay, AnExplodingShipIsNotSteered) {
  TForm1& f = Form();
  EnterDemonstration(f);
  HitShip(f);
  for (int frame = 0; frame < 15; ++frame) f.RunHowToPlay();
  EXPECT_EQ(f.PlayerShip.x, 200);
  EXPECT_EQ(f.GameState.howToPlay[kCapRight], 1);  // the caption still lights
}

TEST_F(GameOverPicture, OpensToFullHeightOnTheTwentyFifthFrame) {
  TForm1& f = Form();
  f.GameState.gameOverGrow = 0;
  for (int frame = 0; frame < 24; ++frame) f.DrawGameOverPicture();
  EXPECT_EQ(f.GameState.gameOverGrow, 24);
  f.DrawGameOverPicture();
  EXPECT_EQ(f.GameState.gameOverGrow, 25);  // 10 x 25 + 6 = 256: full height
  for (int frame = 0; frame < 5; ++frame) f.DrawGameOverPicture();
  EXPECT_EQ(f.GameState.gameOverGrow, 25);
}

}  // namespace
}  // namespace game::testing
