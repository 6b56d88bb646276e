#pragma once
// The runner's trace: one JSON object per frame with the screen, the run's
// counters, the ship, the live records of each pool, the open menu and its
// highlighted entry, and what the request service started.
#include <string>

namespace game {
class TForm1;
}

namespace probe {

std::string TraceLine(int frame, game::TForm1& form);

}  // namespace probe
