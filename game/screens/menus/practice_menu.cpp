// Practice, from the title menu: a stage or a boss played on its own, with
// the ship's power chosen first. It never enters the ranking.
#include <algorithm>
#include <string>

#include "game/form.h"
#include "game/screens/menus/menu.h"
#include "game/world/start_worlds.h"

namespace game {
namespace {

void Start(TForm1& f, int point) {
  f.CloseMenus();
  f.StartPractice(PracticePoints()[static_cast<size_t>(point)], f.practicePower);
}

MenuValue PowerValue(const TForm1& f, int) {
  return {std::to_string(f.practicePower), true, "(0 to " + std::to_string(kMaxPower) + ")"};
}

void StepPower(TForm1& f, int, int direction) {
  f.practicePower = std::clamp(f.practicePower + direction, 0, kMaxPower);
}

// The start points in PracticePoints' order.
constexpr MenuEntry kEntries[] = {
    {"POWER", nullptr, StepPower, PowerValue},
    Action("STAGE 1", Start, 0),
    Action("STAGE 2", Start, 1),
    Action("STAGE 1 MIDWAY BOSS", Start, 2),
    Action("STAGE 1 FINAL BOSS", Start, 3),
    Action("STAGE 2 FINAL BOSS", Start, 4),
    Back(),
};

}  // namespace

const MenuPage kPracticeMenu = {"practice", "PRACTICE", kEntries, MenuLayout::kSettings, 176};

}  // namespace game
