// Pause: play (or a watched replay) stands still, exactly where it was, under
// the pause menu, until it is resumed or left.
#include "game/form.h"
#include "game/screens/menus/menu.h"
#include "vantor/draw/draw.h"
#include "vantor/midi/midi.h"
#include "vantor/sound/sound.h"

namespace game {
namespace {

// The entries below the middle, "PAUSE" above them: the stage and warning
// banners sit in the middle of the frozen picture.
constexpr int kMenuTop = 240;

void Resume(TForm1& f, int) { f.SetPaused(false); }

// Back to the title: the game is left unfinished, so it takes no row of the
// ranking and no replay.
void QuitGame(TForm1& f, int) {
  f.replays.AbandonGame();
  f.cmid->Stop();
  for (int effect = 1; EffectName(effect); ++effect) f.csou->Stop(EffectName(effect));
  f.SetPaused(false);
  GameState& g = f.GameState;
  g.screen = ScreenTitle;
  g.screenCounter = 0;
  g.soundRequest = 0;
  g.musicRequest = 1;
  g.titleSongNeeded = 0;
}

void QuitProgram(TForm1& f, int) { f.Close(); }

// A replay chosen in the Replays list ends back there.
void BackToTheList(TForm1& f, int) { f.EndWatching(); }

void LeavePause(TForm1& f) { f.SetPaused(false); }

constexpr MenuEntry kEntries[] = {
    Action("RESUME", Resume),
    Submenu("OPTIONS", kOptionsMenu),
    Action("QUIT GAME", QuitGame),
    Action("QUIT PROGRAM", QuitProgram),
};
const MenuPage kPauseMenu = {"pause", "PAUSE", kEntries, MenuLayout::kList, kMenuTop, LeavePause};

constexpr MenuEntry kWatchingEntries[] = {
    Action("RESUME", Resume),
    Submenu("OPTIONS", kOptionsMenu),
    Action("BACK TO THE LIST", BackToTheList),
    Action("QUIT PROGRAM", QuitProgram),
};
const MenuPage kWatchingMenu = {"pause", "PAUSE", kWatchingEntries, MenuLayout::kList, kMenuTop, LeavePause};

// A replay given on the command line has no list to go back to: ending it
// ends the program.
constexpr MenuEntry kCommandLineReplayEntries[] = {
    Action("RESUME", Resume),
    Submenu("OPTIONS", kOptionsMenu),
    Action("QUIT PROGRAM", QuitProgram),
};
const MenuPage kCommandLineReplayMenu = {"pause", "PAUSE", kCommandLineReplayEntries, MenuLayout::kList, kMenuTop,
                                         LeavePause};

const MenuPage& PauseMenuOf(const TForm1& f) {
  if (!f.replays.Watching()) return kPauseMenu;
  return f.WatchingFromTheGame() ? kWatchingMenu : kCommandLineReplayMenu;
}

}  // namespace

void TForm1::OpenMenu() {
  if (GameState.screen == ScreenPlay || replays.Watching()) SetPaused(true);
  else if (OnTitleCycle()) OpenTitleMenu();
}

bool TForm1::OnTitleCycle() const {
  const int screen = GameState.screen;
  return !replays.Watching() && (screen == ScreenTitle || screen == ScreenHowToPlay || screen == ScreenRanking);
}

void TForm1::OpenTitleMenu() {
  if (GameState.screen != ScreenTitle) {
    // Back on the title as a press leaves these screens, the menu over the
    // title's picture.
    ReturnToTitle(true);
    cdraw->Clear();
    DrawTitle();
  }
  ShowMenu(kTitleMenu);
}

void TForm1::FormDeactivate() {
  readHeldOnClose_ = true;
  menus.EndCapture();
  menus.ForgetHeld();
  if (!paused_ && (GameState.screen == ScreenPlay || replays.Watching())) SetPaused(true);
}

void TForm1::SetPaused(bool paused) {
  if (paused == paused_) return;
  cmid->SetPaused(paused);
  csou->SetPaused(paused);
  paused_ = paused;
  if (paused) ShowMenu(PauseMenuOf(*this));
  else CloseMenus();
}

}  // namespace game
