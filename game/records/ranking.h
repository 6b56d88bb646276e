#pragma once
// The ranking's rows: the default table, the insertion rule and the texts
// (the file they are kept in: score_file.h).
#include <ctime>
#include <string>
#include <vector>

#include "game/world/world.h"

namespace game {

// The default table: row i scores 2000 x (7 - i) and carries `when`.
void FillDefaultRanking(RankEntry rows[8], const std::string& when);

// Puts `score` into the first row it beats (an equal score goes below),
// moving the rows below down by one; row 6 drops out, row 7 is untouched.
// Returns the new row, or -1 when the score does not rank. A score of 0 or
// less never ranks, whatever the rows hold (a damaged file may hold negative
// scores).
int InsertRankedScore(RankEntry rows[8], int32_t score, const std::string& when);

// Inserts, in order and by the rule above, each of `own` that `rows` lacks
// (a row with the same score and text).
void InsertMissingRows(RankEntry rows[8], const std::vector<RankEntry>& own);

// The row's text: up to its zero byte, never past its 40 bytes, and at most
// 20 characters (a Shift-JIS double-byte character counts as one).
std::string RankText(const RankEntry& row);

// Where a ranking score of `digits` digits starts.
int RankScoreX(size_t digits);

// A local date and time as the rows carry it (19 characters): now, or
// `when` (seconds since 1970).
std::string RankTimestamp(std::time_t when = std::time(nullptr));

}  // namespace game
