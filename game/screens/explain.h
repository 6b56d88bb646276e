#pragma once
// The plain-English line the player reads below a message of the game or a
// failure of the library: what failed, and what can be done about it. Empty
// for texts in plain English already.
#include <string>

namespace game {

// `rankingLeftAlone`: why this run leaves the ranking as it is (empty: it is
// saved as usual), which changes what its messages mean.
std::string ExplainMessage(const std::string& cp932Text, const std::string& rankingLeftAlone = {});

}  // namespace game
