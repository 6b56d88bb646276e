#include "game/records/ranking_replays.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "game/form.h"
#include "game/records/ranking.h"
#include "game/records/replay_file.h"
#include "game/records/score_file.h"

namespace game {
namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Whether any of rows 0-6 keeps the replay of that name.
bool Kept(const RankEntry* rows, const std::string& name) {
  for (int i = 0; i < kSavedRows; ++i)
    if (ReplayFileName(rows[i]) == name) return true;
  return false;
}

// Which rows have a replay, and what the player can do with that: "Rows 3
// and 7 have one: ...".
std::string RowsWithReplays(const std::string& folder, const RankEntry* rows) {
  std::vector<int> ranks;
  for (int i = 0; i < kSavedRows; ++i)
    if (Exists(folder + "/" + ReplayFileName(rows[i]))) ranks.push_back(i + 1);
  if (ranks.empty()) return ", and no row has one yet. Play a game that enters the ranking first";
  std::string which = std::to_string(ranks[0]);
  for (size_t i = 1; i < ranks.size(); ++i)
    which += (i + 1 == ranks.size() ? " and " : ", ") + std::to_string(ranks[i]);
  const bool one = ranks.size() == 1;
  return (one ? ". Row " + which + " has one: watch it" : ". Rows " + which + " have one: watch one") +
         " with --replay-rank " + std::to_string(ranks[0]) + ", or choose it in Replays on the title menu";
}

}  // namespace

std::string ReplayFileName(const RankEntry& row) {
  std::string name = "replay-" + std::to_string(row.score) + "-";
  for (const char c : RankText(row)) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    name += plain ? c : c == ' ' ? '_' : '-';
  }
  return name + ".rpl";
}

bool ReplayOfRow(const Replay& replay, const RankEntry& row) {
  return replay.finalScore == row.score && replay.rowText == RankText(row);
}

void KeepRowReplays(const std::string& folder, const RankEntry* before, const RankEntry* after,
                    const std::vector<std::shared_ptr<const Replay>>& replays) {
  for (int i = 0; before && i < kSavedRows; ++i) {
    const std::string name = ReplayFileName(before[i]);
    if (Kept(after, name)) continue;
    const std::string path = folder + "/" + name;
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
      std::fprintf(stderr, "solvara: cannot delete the replay %s: %s\n", path.c_str(), std::strerror(errno));
  }
  for (const std::shared_ptr<const Replay>& replay : replays) {
    for (int i = 0; i < kSavedRows; ++i) {
      if (!ReplayOfRow(*replay, after[i])) continue;
      const std::string path = folder + "/" + ReplayFileName(after[i]);
      if (Exists(path)) break;
      std::string error;
      if (!WriteReplayFile(path, *replay, error))
        std::fprintf(stderr, "solvara: cannot save the replay %s: %s\n", path.c_str(), error.c_str());
      break;
    }
  }
}

bool ReadRankReplay(const std::string& folder, int rank, Replay& replay, std::string& path, std::string& reason) {
  const std::string ranking = folder + "/" + kScoreFile;
  RankEntry rows[kRankRows] = {};
  if (rank < 1 || rank > kSavedRows) {
    reason = "the ranking has rows 1 to " + std::to_string(kSavedRows);
    return false;
  }
  std::string unreadable;
  const ScoreFileState state = ReadScoreFile(ranking, rows, &unreadable);
  if (state == ScoreFileState::kMissing) {
    reason = "there is no ranking in " + folder + " yet. Play a game that enters the ranking first";
    return false;
  }
  if (state == ScoreFileState::kUnreadable) {
    reason = "the ranking " + ranking + " cannot be read (" + unreadable + ")";
    return false;
  }
  const RankEntry& row = rows[rank - 1];
  path = folder + "/" + ReplayFileName(row);
  if (!Exists(path)) {
    path.clear();
    reason = "it has none (only a game that entered the ranking keeps one)" + RowsWithReplays(folder, rows);
    return false;
  }
  if (!ReadReplayFile(path, replay, reason)) return false;
  if (ReplayOfRow(replay, row)) return true;
  reason = "it is the replay of another game (" + std::to_string(replay.finalScore) + " points, " + replay.rowText +
           "), not of row " + std::to_string(rank);
  return false;
}

}  // namespace game
