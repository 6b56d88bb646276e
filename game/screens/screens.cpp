#include "game/form.h"
#include "game/screens/menus/player_settings.h"
#include "platform/encoding.h"
#include "vantor/draw/draw.h"
#include "vantor/input/input.h"

namespace game {
namespace {

constexpr int kTitleIdleFrames = 350;
constexpr int kGameOverFrames = 160;
constexpr int kResultsFrames = 480;
constexpr int kRankingFrames = 350;

constexpr int kTitleAngleStep = 50;
constexpr int kFullTurn = 65536;
constexpr int kTitleZoomLow = 768;
constexpr int kTitleZoomHigh = 919;

// The line naming the menu's key, under the title's own lines; plain text
// runs about 7 pixels a letter at this size.
constexpr int kHintY = 440;
constexpr int kHintLetter = 7;
// The credit line's colours, which the hint shares.
constexpr TColor kTitleTextShadow = 0x006655;
constexpr TColor kTitleText = 0x22FFDD;

}  // namespace

void TForm1::RunScreen() {
  switch (GameState.screen) {
    case ScreenTitle: RunTitleScreen(); break;
    case ScreenPlay: RunPlayScreen(); break;
    case ScreenGameOver: RunGameOverScreen(); break;
    case ScreenResults: RunResultsScreen(); break;
    case ScreenRanking: RunRankingScreen(); break;
    case ScreenHowToPlay: RunHowToPlayScreen(); break;
    default: break;  // codes without a screen: the frame only clears and presents
  }
}

void TForm1::ReadInput(VantorInputSystem::TVantorInputState& state) { replays.Read(*chip, state); }

bool TForm1::ReadPress() {
  VantorInputSystem::TVantorInputState state{};
  ReadInput(state);
  const int activity = state.Button1 + state.Button2 + state.Button3;
  if (activity < 1) GameState.pressLatch = 0;
  return activity >= 2 && GameState.pressLatch == 0;
}

void TForm1::DrawTitleBackground() {
  cdraw->RotZoomDraw(320, 240, GameState.titleAngle, GameState.titleZoom, "b00", 0);
  GameState.titleAngle += kTitleAngleStep;
  if (GameState.titleAngle > kFullTurn) GameState.titleAngle = 0;
  if (GameState.titleZoomDir == 0) {
    GameState.titleZoom += 1;
    if (GameState.titleZoom > kTitleZoomHigh) GameState.titleZoomDir = 1;
  } else {
    GameState.titleZoom -= 1;
    if (GameState.titleZoom < kTitleZoomLow) GameState.titleZoomDir = 0;
  }
}

void TForm1::DrawTitle() {
  DrawTitleBackground();
  cdraw->Draw(90, 65, "title", 0, VantorDrawSystem::beNormal, -1);
  TFont* font = cdraw->GetFont();
  font->SetSize(12);
  font->Color = kTitleTextShadow;
  cdraw->TextOutA(252, 295, "Qenn ( August 2001 )");
  font->Color = kTitleText;
  cdraw->TextOutA(251, 294, "Qenn ( August 2001 )");
  DrawGlyphText(170, 350, 0, "HIT[BUTTON[TO[START");
  DrawGlyphText(229, 390, 0, "ESC[TO[EXIT");
  // The menu's key as the player's settings have it (the glyph font has no "/").
  const platform::Bindings& b = playerSettings.bindings;
  std::string hint = KeyName(b.keys[platform::kPause]);
  if (chip->HasJoystick()) hint += " / " + PadLabel(b.pad[platform::kPause]);
  hint = platform::Utf8ToCp932(hint + ": menu");
  const int x = 320 - static_cast<int>(hint.size()) * kHintLetter / 2;
  font->Color = kTitleTextShadow;
  cdraw->TextOutA(x + 1, kHintY + 1, hint);
  font->Color = kTitleText;
  cdraw->TextOutA(x, kHintY, hint);
}

void TForm1::RunTitleScreen() {
  DrawTitle();
  if (ReadPress()) {
    ResetRun();
    ResetStage();
    GameState.screen = ScreenPlay;
  }
  GameState.screenCounter += 1;
  // A press on the frame the title times out still starts the game.
  if (GameState.screen != ScreenTitle || GameState.screenCounter <= kTitleIdleFrames) return;
  GameState.screenCounter = 0;
  if (GameState.showHowToPlayNext == 0) {
    GameState.screen = ScreenRanking;
    GameState.score = 0;
    rankingPrepared = 0;
    GameState.showHowToPlayNext = 1;
    ResetStage();
  } else {
    GameState.screen = ScreenHowToPlay;
    GameState.showHowToPlayNext = 0;
    ResetRun();
    ResetStage();
    PlayerShip.x = 200;
    PlayerShip.y = 240;
    PlayerShip.power = 2;
    SetTrail(200, 240);
    // The demonstration ship starts in place, not in the stage's fly-in.
    GameState.autopilot = 0;
  }
}

void TForm1::RunPlayScreen() {
  ScrollBackground();
  DrawSparks();
  DrawEnemyOverlays();
  UpdatePlay();
  if (practice && GameState.screen == ScreenPlay && PracticeOver()) ShowResults();
}

void TForm1::ShowResults() {
  GameState.screen = ScreenResults;
  GameState.screenCounter = 0;
  rankingPrepared = 0;
  GameState.pressLatch = 1;
}

void TForm1::RunWorld() {
  ScrollBackground();
  DrawSparks();
  DrawEnemyOverlays();
  GameState.scriptDivider += 1;
  if (GameState.scriptDivider > 5) RunStageScript();
  UpdateEnemies();
  UpdateEffects();
  UpdateEnemyBullets();
}

void TForm1::RunGameOverScreen() {
  RunWorld();
  DrawGameOverPicture();
  const bool press = ReadPress();
  GameState.screenCounter += 1;
  if (!press && GameState.screenCounter <= kGameOverFrames) return;
  if (press) GameState.pressLatch = 1;
  GameState.screenCounter = 0;
  GameState.screen = ScreenResults;
  rankingPrepared = 0;
}

void TForm1::ReturnToTitle(bool pressed) {
  practice = nullptr;
  if (pressed) GameState.pressLatch = 1;
  GameState.screenCounter = 0;
  GameState.screen = ScreenTitle;
  if (GameState.titleSongNeeded > 0) {
    GameState.musicRequest = 1;
    GameState.titleSongNeeded = 0;
  }
}

void TForm1::RunResultsScreen() {
  RunWorld();
  DrawRanking();
  if (ReadPress()) {
    GameState.showHowToPlayNext = 0;
    ReturnToTitle(true);
    return;
  }
  GameState.screenCounter += 1;
  if (GameState.screenCounter <= kResultsFrames) return;
  GameState.showHowToPlayNext = 0;
  ReturnToTitle(false);
}

void TForm1::RunRankingScreen() {
  DrawTitleBackground();
  if (ReadPress()) {
    ReturnToTitle(true);
  } else {
    GameState.screenCounter += 1;
    if (GameState.screenCounter > kRankingFrames) ReturnToTitle(false);
  }
  DrawRanking();
}

void TForm1::RunHowToPlayScreen() {
  ScrollBackground();
  DrawSparks();
  RunHowToPlay();
  UpdateEffects();
  if (!ReadPress()) return;
  GameState.screenCounter = 0;
  GameState.screen = ScreenTitle;
  GameState.pressLatch = 1;
}

}  // namespace game
