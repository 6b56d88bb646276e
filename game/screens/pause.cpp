// Pause: play stands still, exactly where it was, until the pause key again.
#include "game/form.h"
#include "vantor/draw/draw.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace game {
namespace {

// "PAUSE" in the glyph font (16 pixels a glyph), centred across the
// picture, below the stage and warning banners.
constexpr int kPauseX = 320 - 5 * 16 / 2;
constexpr int kPauseY = 300;

}  // namespace

void TForm1::TogglePause() {
  // Only play (or a watched replay) pauses; the key always resumes.
  if (paused_ || GameState.screen == ScreenPlay || replays.Watching()) SetPaused(!paused_);
}

void TForm1::FormDeactivate() {
  if (!paused_ && (GameState.screen == ScreenPlay || replays.Watching())) SetPaused(true);
}

void TForm1::SetPaused(bool paused) {
  cmid->SetPaused(paused);
  csou->SetPaused(paused);
  paused_ = paused;
}

void TForm1::DrawPause() {
  // The back surface still holds the last frame of play; the text drawn over
  // it again each frame lands on itself.
  DrawGlyphText(kPauseX, kPauseY, 0, "PAUSE");
  pacer_.WaitToPresent();
  cdraw->Update();
}

}  // namespace game
