#pragma once
// The rows of the Replays list: the ranking's rows that have a replay, the
// last game played, and the files the player keeps in the replays folder.
// Every file is read as the reader reads replays (a regular file only, never
// waited on, never past the size a replay can have) and decoded; one that
// cannot be watched is a row all the same, with the reason. The folder is
// read in a bounded time: at most kMaxListedFiles of its files are read, the
// rest counted.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "game/records/replay.h"
#include "game/world/world.h"

namespace game {

constexpr size_t kMaxListedFiles = 100;
// Entries of the folder looked at in all (names only): a folder of many
// thousands is not walked to its end.
constexpr size_t kMaxFolderEntries = 4096;

struct ReplayListRow {
  enum Source { kRankRow, kLastGame, kKeptFile };
  Source source;
  // What the row shows, plain printable text (UTF-8): "2ND 12000 2026/12/07
  // 14:38:33", "LAST GAME 4160 2026/12/07 14:38:33", a file's name.
  std::string label;
  std::string path;
  // Empty: it can be watched (`replay` holds it); else why not.
  std::string refusal;
  std::shared_ptr<const Replay> replay;
};

struct ReplayList {
  std::vector<ReplayListRow> rows;
  // Files of the replays folder past kMaxListedFiles, not listed, and
  // whether the folder has more than kMaxFolderEntries (the rest of it not
  // even looked at).
  size_t filesLeftOut = 0;
  bool folderCut = false;
};

// `dataFolder` holds score.dat, the rows' replays, last.rpl and replays/;
// `ranking` is the ranking shown (rows 0-6).
ReplayList ListReplays(const std::string& dataFolder, const RankEntry ranking[7]);

// A file's name as a row shows it: printable ASCII kept, every other byte
// (a line break, a byte of a name in another script or of no script) as
// "?", at most 48 characters.
std::string ShownName(const std::string& name);

}  // namespace game
