// The title menu: the pause key on the title opens it over the title
// picture, which stands still (and the title's timeout with it) while it is
// open. Practice and Replays live in their own files.
#include "game/form.h"
#include "game/screens/menus/menu.h"

namespace game {
namespace {

void StartGame(TForm1& f, int) {
  f.CloseMenus();
  f.ResetRun();
  f.ResetStage();
  f.GameState.screen = ScreenPlay;
}

void Quit(TForm1& f, int) { f.Close(); }

constexpr MenuEntry kEntries[] = {
    Action("START", StartGame),
    Submenu("PRACTICE", kPracticeMenu),
    Submenu("REPLAYS", kReplaysMenu),
    Submenu("OPTIONS", kOptionsMenu),
    Action("QUIT", Quit),
};

}  // namespace

const MenuPage kTitleMenu = {"title", nullptr, kEntries, MenuLayout::kList, 270,
                             [](TForm1& f) { f.CloseMenus(); }};

}  // namespace game
