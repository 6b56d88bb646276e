#pragma once
// The runner's --submit: a replay sent to a shared-ranking board, the
// verdict waited for and said.
#include <iosfwd>

#include "app/probe/options.h"

namespace probe {

// 0 accepted; 1 refused, not taken, no verdict in time, or the board
// unreachable; 2 the replay cannot be read.
int SubmitToBoard(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace probe
