#pragma once
// The ranking rows and "score.dat": seven 44-byte records, no header.
#include <string>

#include "game/world.h"

namespace game {

constexpr size_t kScoreFileSize = 7 * sizeof(RankEntry);

// Reads up to seven records into rows 0-6 (a short file fills as many bytes
// as it has; the rest keep their contents). False when the file cannot be
// opened.
bool ReadScoreFile(const std::string& path, RankEntry rows[7]);
// Replaces the file atomically with rows 0-6 (always 308 bytes).
bool WriteScoreFile(const std::string& path, const RankEntry rows[7]);

// The default table: row i scores 2000 x (7 - i) and carries `when`.
void FillDefaultRanking(RankEntry rows[8], const std::string& when);

// Puts `score` into the first row it beats (an equal score goes below),
// moving the rows below down by one; row 6 drops out, row 7 is untouched.
// Returns the new row, or -1 when the score does not rank.
int InsertRankedScore(RankEntry rows[8], int32_t score, const std::string& when);

// The row's text: up to its zero byte, never past its 40 bytes, and at most
// 20 characters (a Shift-JIS double-byte character counts as one).
std::string RankText(const RankEntry& row);

// Where a ranking score of `digits` digits starts.
int RankScoreX(size_t digits);

// The current local date and time as the rows carry it (19 characters).
std::string RankTimestamp();

}  // namespace game
