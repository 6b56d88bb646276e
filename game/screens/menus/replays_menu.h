#pragma once
// The Replays page's rows: the list read when the page opened (the
// ranking's replays, the last game, the files of the replays folder) and
// the menu entries made of it.
#include <string>
#include <vector>

#include "game/records/replay_list.h"
#include "game/screens/menus/menu.h"

namespace game {

struct ReplayShelf {
  ReplayList list;
  std::vector<MenuEntry> entries;
  // The Submit page's rows: the same list, other choices.
  std::vector<MenuEntry> submitEntries;
  // The texts of the rows that are no file ("No replays yet").
  std::string emptyRow, leftOutRow;
};

}  // namespace game
