#include "game/records/replay_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <span>

#include "game/form.h"
#include "game/records/last_replay.h"
#include "game/records/ranking.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay_file.h"
#include "game/records/score_file.h"
#include "platform/encoding.h"

namespace game {
namespace {

constexpr size_t kShownNameLength = 48;
constexpr const char* kPlaces[kSavedRows] = {"1ST", "2ND", "3RD", "4TH", "5TH", "6TH", "7TH"};

// Whether a name is there at all (a link that leads nowhere is: its row
// says so).
bool Present(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Reads and decodes one file into the row: its replay, or why not.
void Load(ReplayListRow& row) {
  auto replay = std::make_shared<Replay>();
  if (ReadReplayFile(row.path, *replay, row.refusal)) row.replay = std::move(replay);
}

// Names of the replays folder the list reads: not a hidden file (a save's
// temporary among them), at most kMaxFolderEntries of them, in order; the
// first kMaxListedFiles are listed, the rest counted.
std::vector<std::string> FolderNames(const std::string& folder, ReplayList& list) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    if (names.size() == kMaxFolderEntries) {
      list.folderCut = true;
      break;
    }
    names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  if (names.size() > kMaxListedFiles) {
    list.filesLeftOut = names.size() - kMaxListedFiles;
    names.resize(kMaxListedFiles);
  }
  return names;
}

}  // namespace

std::string ShownName(const std::string& name) {
  std::string shown;
  for (const char c : name) {
    if (shown.size() == kShownNameLength) break;
    shown += c >= ' ' && c <= '~' ? c : '?';
  }
  return shown;
}

ReplayList ListReplays(const std::string& dataFolder, const RankEntry ranking[7]) {
  ReplayList list;
  for (int i = 0; i < kSavedRows; ++i) {
    ReplayListRow row{ReplayListRow::kRankRow, {}, dataFolder + "/" + ReplayFileName(ranking[i]), {}, nullptr};
    if (Present(row.path)) {
      Load(row);
      if (row.replay && !ReplayOfRow(*row.replay, ranking[i])) {
        row.refusal = "the replay of another game";
        row.replay = nullptr;
      }
      row.label = std::string(kPlaces[i]) + " " + std::to_string(ranking[i].score) + " " +
                  platform::Cp932ToUtf8(RankText(ranking[i]));
      list.rows.push_back(std::move(row));
    }
  }
  ReplayListRow last{ReplayListRow::kLastGame, "LAST GAME", dataFolder + "/" + kLastReplayFile, {}, nullptr};
  if (Present(last.path)) {
    Load(last);
    if (last.replay) last.label += " " + std::to_string(last.replay->finalScore) + " " + RankTimestamp(static_cast<std::time_t>(last.replay->endTime));
    list.rows.push_back(std::move(last));
  }
  const std::string folder = dataFolder + "/" + kReplaysFolder;
  for (const std::string& name : FolderNames(folder, list)) {
    ReplayListRow row{ReplayListRow::kKeptFile, ShownName(name), folder + "/" + name, {}, nullptr};
    Load(row);
    list.rows.push_back(std::move(row));
  }
  return list;
}

}  // namespace game
