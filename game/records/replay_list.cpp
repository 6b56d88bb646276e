#include "game/records/replay_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <span>

#include "game/form.h"
#include "game/records/last_replay.h"
#include "game/records/ranking.h"
#include "game/records/ranking_replays.h"
#include "game/records/replay_file.h"
#include "game/records/score_file.h"
#include "game/world/start_worlds.h"
#include "game/world/world_fields.h"
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
  row.read = true;
}

// Names of the replays folder, sorted: not a hidden file (a save's
// temporary among them), at most `maxNames` of them (the rest not looked at).
std::vector<std::string> FolderNames(const std::string& folder, size_t maxNames, ReplayList& list) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    if (names.size() == maxNames) {
      list.folderCut = true;
      break;
    }
    names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// The stage of a kept world (0 stage 1, 1 stage 2).
int32_t StageOf(const StartWorld& world) {
  GameState state{};
  PlayerShip ship{};
  std::array<TrailPoint, kTrailLength> trail{};
  size_t i = 0;
  ForEachStartField(state, ship, trail, [&](int32_t& field) { field = world[i++]; });
  return state.stage;
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

std::string GameLabel(const Replay& replay) {
  const StartWorld& last = replay.checkpoints.empty() ? replay.world : replay.checkpoints.back().world;
  const int32_t stage = StageOf(last);
  const StartPoint* start = FindStartPoint(replay.world);
  std::string label = std::to_string(replay.finalScore);
  if (start && start->kind == StartKind::kPractice) label += " PRACTICE";
  // A stage no game has (a hand-made file) is left unsaid.
  if (stage == 0 || stage == 1) label += " STAGE " + std::to_string(stage + 1);
  return label + " " + RankTimestamp(static_cast<std::time_t>(replay.endTime));
}

void ReadListedFile(ReplayListRow& row) {
  if (row.read) return;
  Load(row);
  if (row.replay) row.label = GameLabel(*row.replay);
}

ReplayList ListReplays(const std::string& dataFolder, const RankEntry ranking[7], size_t maxNames) {
  ReplayList list;
  for (int i = 0; i < kSavedRows; ++i) {
    ReplayListRow row{ReplayListRow::kRankRow, {}, {}, dataFolder + "/" + ReplayFileName(ranking[i]), {}, nullptr};
    if (Present(row.path)) {
      Load(row);
      if (row.replay && !ReplayOfRow(*row.replay, ranking[i])) {
        row.refusal = "the replay of another game";
        row.replay = nullptr;
      }
      row.label = std::string(kPlaces[i]) + " " + std::to_string(ranking[i].score) + " " +
                  platform::Cp932ToUtf8(RankText(ranking[i]));
      row.name = row.label;
      list.rows.push_back(std::move(row));
    }
  }
  ReplayListRow last{ReplayListRow::kLastGame, "LAST GAME", {}, dataFolder + "/" + kLastReplayFile, {}, nullptr};
  if (Present(last.path)) {
    Load(last);
    if (last.replay) last.label += " " + std::to_string(last.replay->finalScore) + " " + RankTimestamp(static_cast<std::time_t>(last.replay->endTime));
    last.name = last.label;
    list.rows.push_back(std::move(last));
  }
  const std::string folder = dataFolder + "/" + kReplaysFolder;
  const std::vector<std::string> names = FolderNames(folder, maxNames, list);
  list.rows.reserve(list.rows.size() + names.size());
  for (const std::string& name : names) {
    const std::string shown = ShownName(name);
    list.rows.push_back({ReplayListRow::kKeptFile, shown, shown, folder + "/" + name, {}, nullptr});
  }
  return list;
}

}  // namespace game
