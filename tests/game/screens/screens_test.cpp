#include "tests/game/form_fixture.h"
#include "platform/random.h"
#include "vantor/input/input.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace game::testing {
namespace {

using VantorInputSystem::ScanCode;

class ScreenTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    CreateForm();
    ASSERT_TRUE(backend.app.Exceptions().empty()) << backend.app.Exceptions().front();
    // The form seeds with the time of day; the world must not play
    // differently from one second to the next.
    platform::Rand().Seed(7);
  }
  void HoldZ(bool held) { backend.input.SetKey(ScanCode(VantorInputSystem::ikZ), held); }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) ASSERT_TRUE(backend.app.Step());
  }
};

TEST_F(ScreenTest, HoldingAButtonStartsAGameOnTheSecondPolledFrame) {
  Frames(10);
  HoldZ(true);
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenPlay);
  EXPECT_EQ(form->GameState.lives, 2);
  EXPECT_EQ(form->PlayerShip.x, -1600);
  Frames(1);
  EXPECT_EQ(form->PlayerShip.x, -1600 + 58);
}

TEST_F(ScreenTest, ASingleTapDoesNotStartAGame) {
  for (int i = 0; i < 5; ++i) {
    HoldZ(true);
    Frames(1);
    HoldZ(false);
    Frames(1);
  }
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
}

TEST_F(ScreenTest, TitleTimesOutToHowToPlayThenRanking) {
  Frames(1);
  form->GameState.screenCounter = 349;
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenHowToPlay);
  EXPECT_EQ(form->GameState.screenCounter, 0);
  EXPECT_EQ(form->GameState.showHowToPlayNext, 0);
  EXPECT_EQ(form->PlayerShip.power, 2);
  EXPECT_EQ(form->GameState.lives, 2);

  form->GameState.screen = ScreenTitle;
  form->GameState.score = 4500;
  form->rankingPrepared = 1;
  form->GameState.screenCounter = 350;
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenRanking);
  EXPECT_EQ(form->GameState.score, 0);
  EXPECT_EQ(form->rankingPrepared, 0);
  EXPECT_EQ(form->GameState.showHowToPlayNext, 1);
  // The attract ranking only shows: a score of 0 is never inserted.
  Frames(1);
  EXPECT_EQ(form->rankingPrepared, 1);
  EXPECT_EQ(form->newRow, kNoNewRow);
  form->GameState.screenCounter = 350;
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  EXPECT_EQ(form->GameState.musicRequest, 0);
}

TEST_F(ScreenTest, APressOnTheTimeoutFrameStillStartsTheGame) {
  HoldZ(true);
  Frames(1);
  form->GameState.screenCounter = 350;
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenPlay);
}

TEST_F(ScreenTest, AHeldButtonDoesNotCountOnTheNextScreenUntilReleased) {
  form->GameState.screen = ScreenRanking;
  HoldZ(true);
  Frames(2);
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  EXPECT_EQ(form->GameState.pressLatch, 1);
  Frames(20);
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  HoldZ(false);
  Frames(1);
  EXPECT_EQ(form->GameState.pressLatch, 0);
  HoldZ(true);
  Frames(2);
  EXPECT_EQ(form->GameState.screen, ScreenPlay);
}

TEST_F(ScreenTest, GameOverGoesToResultsWhichInsertTheScoreAndReturnWithTheTitleSong) {
  form->ResetRun();
  form->ResetStage();
  form->GameState.screen = ScreenGameOver;
  form->GameState.score = 12000;
  form->GameState.titleSongNeeded = 1;
  Frames(160);
  EXPECT_EQ(form->GameState.screen, ScreenGameOver);
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenResults);
  EXPECT_EQ(form->rankingPrepared, 0);
  Frames(1);
  EXPECT_EQ(form->newRow, 2);
  EXPECT_EQ(form->Ranking[2].score, 12000);
  EXPECT_EQ(form->Ranking[3].score, 10000);
  EXPECT_EQ(form->Ranking[6].score, 4000);
  form->GameState.screenCounter = 480;
  Frames(1);
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  EXPECT_EQ(form->GameState.showHowToPlayNext, 0);
  EXPECT_EQ(form->GameState.titleSongNeeded, 0);
  EXPECT_EQ(form->songStarted, 1);
}

TEST_F(ScreenTest, APressLeavesTheHowToPlayScreen) {
  form->GameState.screen = ScreenHowToPlay;
  form->ResetRun();
  form->ResetStage();
  HoldZ(true);
  Frames(2);
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  EXPECT_EQ(form->GameState.pressLatch, 1);
}

TEST_F(ScreenTest, TitleBackgroundTurnsAndSwings) {
  RecordingDraw& draw = Record();
  form->GameState.titleAngle = 65500;
  form->GameState.titleZoom = 919;
  form->GameState.titleZoomDir = 0;
  form->DrawTitle();
  ASSERT_FALSE(draw.calls.empty());
  EXPECT_EQ(draw.calls[0].op, "RotZoomDraw");
  EXPECT_EQ(draw.calls[0].name, "b00");
  EXPECT_EQ(draw.calls[0].a, 65500);
  EXPECT_EQ(draw.calls[0].b, 919);
  // 65550 passes a full turn: back to 0. 920 exceeds 919: the zoom turns.
  EXPECT_EQ(form->GameState.titleAngle, 0);
  EXPECT_EQ(form->GameState.titleZoom, 920);
  EXPECT_EQ(form->GameState.titleZoomDir, 1);
  form->GameState.titleZoom = 768;
  form->DrawTitleBackground();
  EXPECT_EQ(form->GameState.titleAngle, 50);
  EXPECT_EQ(form->GameState.titleZoom, 767);
  EXPECT_EQ(form->GameState.titleZoomDir, 0);

  // The credit line: shadow first, one pixel down and right; then the menu's
  // key in the same colours.
  std::vector<DrawCall> texts;
  for (const DrawCall& c : draw.calls)
    if (c.op == "TextOutA") texts.push_back(c);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[3].name, "P: menu");
  EXPECT_EQ(texts[0].x, 252);
  EXPECT_EQ(texts[0].a, 0x006655);
  EXPECT_EQ(texts[1].x, 251);
  EXPECT_EQ(texts[1].a, 0x22FFDD);
  EXPECT_EQ(texts[1].name, "Qenn ( August 2001 )");
}

TEST_F(ScreenTest, RankingColumnsShadowsAndTheBlinkingNewRow) {
  RecordingDraw& draw = Record();
  form->Ranking[0].score = 1234567;
  form->Ranking[1].score = 123456;
  form->Ranking[4].score = 8000;
  form->Ranking[6].score = 999;
  form->GameState.score = 12000;
  form->rankingPrepared = 0;
  form->DrawRanking();
  EXPECT_EQ(form->newRow, 2);
  auto firstDigitX = [&](int row) {
    const int y = 115 + 46 * row;
    for (const DrawCall& c : draw.calls)
      if (c.op == "Draw" && c.y == y && c.x >= 200 && c.x < 260) return c.x;
    return -1;
  };
  EXPECT_EQ(firstDigitX(0), 214);  // 7 digits
  EXPECT_EQ(firstDigitX(1), 214);  // 6 digits
  EXPECT_EQ(firstDigitX(2), 230);  // 5 digits
  EXPECT_EQ(firstDigitX(5), 246);  // 4 digits (8000 moved down one row)
  EXPECT_EQ(form->Ranking[6].score, 4000);

  std::vector<DrawCall> texts;
  for (const DrawCall& c : draw.calls)
    if (c.op == "TextOutA") texts.push_back(c);
  ASSERT_EQ(texts.size(), 16u);  // 7 rows + the new row again, shadow and text each
  EXPECT_EQ(texts[0].x, 373);
  EXPECT_EQ(texts[0].y, 120);
  EXPECT_EQ(texts[0].a, 0x335577);
  EXPECT_EQ(texts[1].x, 372);
  EXPECT_EQ(texts[1].a, 0x77DDFF);
  // First call: phase 0, the new row drawn plain; then it flashes.
  EXPECT_EQ(texts[14].a, 0x335577);
  EXPECT_EQ(form->blinkPhase, 2);
  draw.calls.clear();
  form->DrawRanking();
  texts.clear();
  bool brightened = false;
  for (const DrawCall& c : draw.calls) {
    if (c.op == "TextOutA") texts.push_back(c);
    if (c.op == "Draw" && c.a == VantorDrawSystem::beColorAdd) brightened = true;
  }
  EXPECT_TRUE(brightened);
  EXPECT_EQ(texts[14].a, 0x99BBDD);
  EXPECT_EQ(texts[15].a, 0xFFFFFF);
  EXPECT_EQ(texts[15].y, 115 + 46 * 2 + 4);
  EXPECT_EQ(form->blinkPhase, 0);
  // Only the first call after a screen change inserts.
  EXPECT_EQ(form->Ranking[3].score, 10000);
}

TEST_F(ScreenTest, ALowScoreLeavesTheRankingAloneAndNothingFlashes) {
  RecordingDraw& draw = Record();
  form->GameState.score = 1999;
  form->rankingPrepared = 0;
  form->DrawRanking();
  EXPECT_EQ(form->newRow, kNoNewRow);
  size_t texts = 0;
  for (const DrawCall& c : draw.calls) texts += c.op == "TextOutA";
  EXPECT_EQ(texts, 14u);
  EXPECT_EQ(form->Ranking[6].score, 2000);
}

// Only play pauses; the pause key resumes it, losing the focus never does.
TEST_F(ScreenTest, PauseKeyAndFocusLossPauseOnlyPlay) {
  enum Event { kPauseKey, kFocusLoss };
  struct Case {
    int screen;
    bool pausedBefore;
    Event event;
    bool pausedAfter;
  };
  const Case cases[] = {
      {ScreenTitle, false, kPauseKey, false}, {ScreenTitle, false, kFocusLoss, false},
      {ScreenGameOver, false, kPauseKey, false}, {ScreenPlay, false, kPauseKey, true},
      {ScreenPlay, false, kFocusLoss, true},   {ScreenPlay, true, kFocusLoss, true},
      {ScreenPlay, true, kPauseKey, false},
  };
  for (const Case& c : cases) {
    form->GameState.screen = c.screen;
    form->SetPaused(c.pausedBefore);
    if (c.event == kPauseKey) backend.app.PressKey(platform::kVirtualKeyPause);
    else backend.app.Deactivate();
    EXPECT_EQ(form->Paused(), c.pausedAfter) << c.screen << " " << c.pausedBefore << " " << c.event;
    EXPECT_EQ(form->cmid->GetPaused(), c.pausedAfter);
    EXPECT_EQ(form->csou->Paused(), c.pausedAfter);
  }
}

// Reduced flashing: the new ranking row and the blinking ship light at most
// three times a second; without it they flash every frame, as always.
TEST_F(ScreenTest, ReducedFlashingLightsAtMostThreeTimesASecond) {
  struct Case {
    bool reduced;
    int changes;  // of lit and dark, over one second
  };
  for (const Case& c : {Case{false, 29}, Case{true, 5}}) {
    form->reducedFlashing = c.reduced;
    RecordingDraw& draw = Record();
    // The ship, invincible after a respawn, as the play screen draws it.
    form->ResetRun();
    form->ResetStage();
    form->GameState.autopilot = 0;
    form->GameState.invincible = 100;
    std::vector<std::string> ships;
    // The new ranking row's text colour.
    form->GameState.score = 999999;
    form->rankingPrepared = 0;
    std::vector<int> rows;
    for (int frame = 0; frame < 30; ++frame) {
      draw.calls.clear();
      form->UpdatePlayer();
      ships.push_back(draw.calls.at(0).name);
      draw.calls.clear();
      form->DrawRanking();
      form->GameState.screenCounter += 1;
      std::vector<int> colours;
      for (const DrawCall& call : draw.calls)
        if (call.op == "TextOutA") colours.push_back(call.a);
      rows.push_back(colours.at(15));
    }
    int shipChanges = 0, rowChanges = 0;
    for (int frame = 1; frame < 30; ++frame) {
      shipChanges += ships[frame] != ships[frame - 1];
      rowChanges += rows[frame] != rows[frame - 1];
    }
    EXPECT_EQ(shipChanges, c.changes) << c.reduced;
    EXPECT_EQ(rowChanges, c.changes) << c.reduced;
  }
}

}  // namespace
}  // namespace game::testing
