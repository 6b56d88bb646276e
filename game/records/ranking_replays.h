#pragma once
// The replays kept with the ranking: beside score.dat, one per row that has
// one, named after the row's score and text, so a row finds its replay and a
// replay can be checked against its row. ScoreStore's worker keeps them in
// step with the file, under the ranking's lock.
#include <memory>
#include <string>
#include <vector>

#include "game/records/replay.h"
#include "game/world/world.h"

namespace game {

// "replay-SCORE-TEXT.rpl": the text's letters and digits as they are, a
// space as "_", any other byte as "-".
std::string ReplayFileName(const RankEntry& row);
// Whether the replay is the game of this row (its score and text).
bool ReplayOfRow(const Replay& replay, const RankEntry& row);

// After score.dat went from `before` (null: there was none) to `after` (rows
// 0-6): writes each replay whose row is in `after` and has none yet, and
// deletes the replays of the rows that dropped out. Failures are said on
// stderr: a row without its replay is fine.
void KeepRowReplays(const std::string& folder, const RankEntry* before, const RankEntry* after,
                    const std::vector<std::shared_ptr<const Replay>>& replays);

// The replay of ranking row `rank` (1-7) in `folder`; false with the reason.
// `path` names the replay when the row could be read and has one. A row
// without one says which rows have one, and what the player can do.
bool ReadRankReplay(const std::string& folder, int rank, Replay& replay, std::string& path, std::string& reason);

}  // namespace game
