#pragma once
// The plain-English line the player reads below a message of the game or a
// failure of the library: what failed, and what can be done about it. Empty
// for texts in plain English already.
#include <string>

namespace game {

// `rankingUnreadable`: why the ranking could not be read at start-up (empty:
// it could), which changes what its messages mean.
std::string ExplainMessage(const std::string& cp932Text, const std::string& rankingUnreadable = {});

}  // namespace game
