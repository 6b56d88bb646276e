#pragma once
// The rows of the Replays list: the ranking's rows that have a replay, the
// last game played, and the files the player keeps in the replays folder.
// Every file is read as the reader reads replays (a regular file only, never
// waited on, never past the size a replay can have) and decoded; one that
// cannot be watched is a row all the same, with the reason. The ranking's
// replays and the last game are read at once; the folder's files are listed
// by name (all of them, sorted, up to kMaxFolderEntries) and each is read
// only when its row is first shown.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "game/records/replay.h"
#include "game/world/world.h"

namespace game {

// Names of the replays folder listed at most: a folder of more is listed
// in part, the rest of it not even looked at.
constexpr size_t kMaxFolderEntries = 100000;

struct ReplayListRow {
  enum Source { kRankRow, kLastGame, kKeptFile };
  Source source;
  // What the row shows, plain printable text (UTF-8): "2ND 12000 2026/12/07
  // 14:38:33", "LAST GAME 4160 2026/12/07 14:38:33", for a file its game
  // ("12000 STAGE 2 2026/12/07 14:38:33") once read and watchable, else its
  // name.
  std::string label;
  // What names the row: a file's name as shown (ShownName), else the label.
  std::string name;
  std::string path;
  // Empty: it can be watched (`replay` holds it); else why not.
  std::string refusal;
  std::shared_ptr<const Replay> replay;
  // The file has been read (a kept file is listed unread).
  bool read = false;
};

struct ReplayList {
  std::vector<ReplayListRow> rows;
  // The folder has more than kMaxFolderEntries names: the rest are not listed.
  bool folderCut = false;
};

// `dataFolder` holds score.dat, the rows' replays, last.rpl and replays/;
// `ranking` is the ranking shown (rows 0-6). The folder's files are listed
// unread; `maxNames` bounds the names taken from it.
ReplayList ListReplays(const std::string& dataFolder, const RankEntry ranking[7],
                       size_t maxNames = kMaxFolderEntries);

// Reads a listed file's row once: its replay, or why it cannot be watched;
// a watchable one then shows its game.
void ReadListedFile(ReplayListRow& row);

// A file's name as a row shows it: printable ASCII kept, every other byte
// (a line break, a byte of a name in another script or of no script) as
// "?", at most 48 characters.
std::string ShownName(const std::string& name);

// What a kept replay's row shows of its game: "12000 STAGE 2 2026/12/07
// 14:38:33" (a practice's "12000 PRACTICE STAGE 1 ..."), the stage the last
// of its kept worlds was on, the date of its end in local time.
std::string GameLabel(const Replay& replay);

}  // namespace game
