#pragma once
// Sending a replay to the shared-ranking board the settings name ([online]
// server and name): the page that asks the player, once per board, whether
// games may go there, saying what is sent; the one call a page makes to
// send a replay file; and Options > Online, where the name, the board, the
// answer kept for it and a name's token are set.
#include <string>

#include "game/screens/menus/menu.h"

namespace game {

class TForm1;

extern const MenuPage kOnlineConsentMenu;
extern const MenuPage kOnlineOptionsMenu;

// Sends the replay in `file` (a new game's, from the title) to the board,
// under the settings' name, when the player has agreed to send games there;
// else, unless they declined, opens the consent page over the open one,
// and sends it if they agree. What is missing (the settings), what stands in the way (a replay
// that is not a ranked game's, one still being sent) and the board's answer
// when it comes are said on the menus' notice line.
void SubmitReplayFile(TForm1& form, const std::string& file);

}  // namespace game
