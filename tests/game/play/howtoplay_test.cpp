// The how-to-play demonstration and the game-over picture.
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "platform/platform.h"
#include "platform/text.h"
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
  f.GameState.autopilot = 0;
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

// Runs the demonstration up to and including its frame `last` (frame 1 is the
// first one after the title hands over).
void RunDemoTo(TForm1& f, int& frame, int last) {
  for (; frame < last; ++frame) {
    f.RunHowToPlay();
    f.UpdateEffects();
  }
}

const Enemy* AliveWithBehaviour(const TForm1& f, int behaviour) {
  for (const Enemy& e : f.Enemy)
    if (e.state == 1 && e.behaviour == behaviour) return &e;
  return nullptr;
}

// The glider of code 21 (step 122, its window opening on frame 484 as the
// spawn of step 112 took no time) brakes for 24 frames to (-60 + 3 x 13 +
// 4 x (11 + 9 + 7 + 5 + 3) + 1, 400 - 2 x 24) = (120, 352) and fires on the
// fourth frame after, 511. The turned gun needs four hits of 3 on its 10
// points and downs it only on 514; the ship, stopped by the bottom edge (440)
// on steps 63-65 and moved up and down to y 356 since, meets the bullet on 518
// as it steers right.
TEST_F(HowToPlay, TheGliderFromTheLowerLeftFiresBeforeTheTurnedGunDownsIt) {
  TForm1& f = Form();
  EnterDemonstration(f);
  int frame = 0;
  RunDemoTo(f, frame, 483);
  EXPECT_EQ(AliveWithBehaviour(f, 4), nullptr);
  RunDemoTo(f, frame, 484);
  const Enemy* glider = AliveWithBehaviour(f, 4);
  ASSERT_NE(glider, nullptr);
  EXPECT_EQ(glider->x, -47);
  EXPECT_EQ(glider->y, 398);

  RunDemoTo(f, frame, 510);
  ASSERT_NE(AliveWithBehaviour(f, 4), nullptr);
  EXPECT_EQ(glider->x, 120);
  EXPECT_EQ(glider->y, 352);
  EXPECT_EQ(Live(f.EnemyBullet), 0);

  RunDemoTo(f, frame, 511);
  ASSERT_EQ(Live(f.EnemyBullet), 1);
  const EnemyBullet& bullet = *std::find_if(f.EnemyBullet.begin(), f.EnemyBullet.end(),
                                            [](const EnemyBullet& b) { return b.active == 1; });
  EXPECT_EQ(bullet.kind, 1);
  EXPECT_EQ(bullet.x, 140);
  EXPECT_EQ(bullet.y, 352);
  EXPECT_EQ(f.PlayerShip.x, 276);
  EXPECT_EQ(f.PlayerShip.y, 356);
  EXPECT_EQ(f.PlayerShip.mode, 3);
  EXPECT_EQ(f.PlayerShip.spin, 16);  // facing left, firing at it

  RunDemoTo(f, frame, 514);
  EXPECT_EQ(glider->state, 2);
  RunDemoTo(f, frame, 517);
  EXPECT_EQ(f.GameState.dying, 0);
  EXPECT_EQ(f.GameState.lives, 2);
  RunDemoTo(f, frame, 518);
  EXPECT_EQ(f.PlayerShip.x, 297);
  EXPECT_EQ(f.GameState.dying, 1);
  EXPECT_EQ(f.GameState.lives, 1);
}

// After the glider's hit the next ship flies in from x -600 at speed 38,
// slowing by one a frame, and stops at -600 + (38 + 37 + ... + 3) = 138
// before the simulated keys steer it again.
TEST_F(HowToPlay, ALostShipsSuccessorFliesInBeforeTheKeysSteerIt) {
  TForm1& f = Form();
  EnterDemonstration(f);
  int frame = 0;
  RunDemoTo(f, frame, 518);
  ASSERT_EQ(f.GameState.dying, 1);
  while (f.GameState.autopilot == 0 && frame < 600) RunDemoTo(f, frame, frame + 1);
  ASSERT_EQ(f.GameState.autopilot, 1);
  EXPECT_EQ(f.PlayerShip.x, -600);
  RunDemoTo(f, frame, frame + 1);
  EXPECT_EQ(f.PlayerShip.x, -600 + 38);
  while (f.GameState.autopilot == 1 && frame < 700) RunDemoTo(f, frame, frame + 1);
  EXPECT_EQ(f.PlayerShip.x, 138);
  int lowestX = f.PlayerShip.x;
  while (f.GameState.screen == ScreenHowToPlay && frame < 2000) {
    RunDemoTo(f, frame, frame + 1);
    lowestX = std::min(lowestX, f.PlayerShip.x);
  }
  EXPECT_GE(lowestX, 24);  // the ship stays on the screen to the end
}

TEST_F(HowToPlay, AnExplodingShipIsNotSteered) {
  TForm1& f = Form();
  EnterDemonstration(f);
  HitShip(f);
  for (int frame = 0; frame < 15; ++frame) f.RunHowToPlay();
  EXPECT_EQ(f.PlayerShip.x, 200);
  EXPECT_EQ(f.GameState.howToPlay[kCapRight], 1);  // the caption still lights
}

// The captions as the text renderer is asked to draw them: each whole
// inside the 640-pixel picture, at its own place where it fits there, else
// moved left by what it would overflow.
TEST_F(HowToPlay, EveryCaptionIsDrawnInsideThePicture) {
  struct Drawn {
    int x, y, width;
  };
  class Measuring final : public platform::TextRenderer {
   public:
    explicit Measuring(platform::TextRenderer& real) : real_(real) {}
    bool Draw(const platform::TextTarget& target, int x, int y, const std::string& text,
              const platform::FontSpec& font) override {
      drawn[text] = {x, y, real_.Width(text, font)};
      return real_.Draw(target, x, y, text, font);
    }
    int Width(const std::string& text, const platform::FontSpec& font) override { return real_.Width(text, font); }
    std::map<std::string, Drawn> drawn;

   private:
    platform::TextRenderer& real_;
  };
  struct Caption {
    const char* text;
    int x, y;
  };
  const Caption captions[] = {
      {"Shot  [Z]", 30, 190},
      {"Shot  [X]", 80, 240},
      {"Shot  [C]", 130, 290},
      {"Movement (Up)  [Up Arrow]", 305, 160},
      {"Movement (Right)  [Right Arrow]", 350, 260},
      {"Movement (Left)  [Left Arrow]", 230, 220},
      {"Movement (Down)  [Down Arrow]", 280, 320},
  };
  platform::TextRenderer* const real = platform::Current().text;
  Measuring measuring(*real);
  platform::Current().text = &measuring;
  TForm1& f = Form();
  EnterDemonstration(f);
  f.RunHowToPlay();
  platform::Current().text = real;
  ASSERT_EQ(measuring.drawn.size(), std::size(captions));
  for (const Caption& c : captions) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(measuring.drawn.count(c.text), 1u);
    const Drawn& d = measuring.drawn[c.text];
    ASSERT_GT(d.width, 0) << "no face for the captions";
    EXPECT_EQ(d.y, c.y);
    EXPECT_GE(d.x, 0);
    EXPECT_LE(d.x + d.width, 640);
    EXPECT_EQ(d.x, std::min(c.x, 640 - d.width));
  }
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
