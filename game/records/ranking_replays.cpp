#include "game/records/ranking_replays.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
  const ScoreFileState state = ReadScoreFile(ranking, rows);
  if (state != ScoreFileState::kRead && state != ScoreFileState::kDamaged) {
    reason = "there is no ranking to read in " + ranking;
    return false;
  }
  const RankEntry& row = rows[rank - 1];
  path = folder + "/" + ReplayFileName(row);
  if (!Exists(path)) {
    reason = "the row has no replay";
    return false;
  }
  if (!ReadReplayFile(path, replay, reason)) return false;
  if (ReplayOfRow(replay, row)) return true;
  reason = "it is the replay of another game (" + std::to_string(replay.finalScore) + " points, " + replay.rowText +
           "), not of row " + std::to_string(rank);
  return false;
}

}  // namespace game
