// Replays, from the title menu: every replay the player has, one row each,
// chosen to be watched; one that cannot be watched is greyed with the
// reason. A watched replay ends back on this list, at its row.
#include <string>

#include "game/form.h"
#include "game/records/last_replay.h"
#include "game/records/score_file.h"
#include "game/screens/menus/menu.h"
#include "game/screens/menus/online_menu.h"
#include "game/world/start_worlds.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

constexpr int kRowsTop = 84;

// Watched from the game, a replay ends back on the list, the title's
// picture under it as it stood.
void ReopenList(TForm1& f, int row) {
  const GameState title = f.GameState;
  f.cdraw->Clear();
  f.DrawTitle();
  // Drawing moves the title's picture on; the world stays as it was put back.
  f.GameState = title;
  f.ShowMenu(kTitleMenu);
  f.menus.Open(f, kReplaysMenu);
  f.menus.Highlight(row);
}

void Watch(TForm1& f, int row) {
  const std::shared_ptr<const Replay> replay = f.replayShelf.list.rows[static_cast<size_t>(row)].replay;
  f.CloseMenus();
  f.afterWatching = [row](TForm1& form) { ReopenList(form, row); };
  f.WatchReplay(replay);
}

// A row that cannot be watched says why after its name.
MenuValue Refusal(const TForm1& f, int row) {
  return {{}, false, "Cannot be watched: " + f.replayShelf.list.rows[static_cast<size_t>(row)].refusal};
}

MenuValue EmptyNote(const TForm1&, int) { return {{}, false, "Every game played to its end is kept here"}; }

MenuValue LeftOutNote(const TForm1&, int) {
  return {{}, false, "Only the first " + std::to_string(kMaxListedFiles) + " files, by name, are read"};
}

// last.rpl copied into the replays folder; the list shows the copy above
// this entry, which stays highlighted.
void SaveLast(TForm1& f, int) {
  std::string saved, reason;
  const bool done = SaveLastReplay(f.scoreStore->Folder(), saved, reason);
  f.menus.Remake(f);
  f.menus.Highlight(static_cast<int>(f.replayShelf.entries.size()) - 2);
  f.menus.notice = done ? "The last game is kept as " + saved : "The last game could not be kept: " + reason;
}

// Submit: the rows of the list just read, a game from the title chosen to
// be sent to the shared ranking; the others greyed with why.
MenuValue NotRanked(const TForm1& f, int row) {
  const ReplayListRow& shown = f.replayShelf.list.rows[static_cast<size_t>(row)];
  if (!shown.replay) return Refusal(f, row);
  std::string why;
  IsNewGameStart(shown.replay->world, &why);
  return {{}, false, "Not a ranked game: " + why};
}

void Submit(TForm1& f, int row) { SubmitReplayFile(f, f.replayShelf.list.rows[static_cast<size_t>(row)].path); }

// What is missing, said above the rows.
constexpr const char* kNoBoardSet = "No shared ranking set: set the server and your name in Options > Online.";
constexpr const char* kNothingToSend = "No game to send yet: play a game from the title first.";

std::span<const MenuEntry> MakeSubmitRows(TForm1& f) {
  ReplayShelf& shelf = f.replayShelf;
  std::vector<MenuEntry>& entries = shelf.submitEntries;
  entries.clear();
  if (f.playerSettings.onlineServer.empty() || f.playerSettings.onlineName.empty()) entries.push_back(Info(kNoBoardSet));
  bool any = false;
  for (size_t i = 0; i < shelf.list.rows.size(); ++i) {
    const ReplayListRow& row = shelf.list.rows[i];
    const bool ranked = row.replay && IsNewGameStart(row.replay->world);
    any = any || ranked;
    entries.push_back({row.label.c_str(), Submit, nullptr, ranked ? nullptr : NotRanked, static_cast<int>(i), nullptr,
                       true, !ranked});
  }
  if (!any) entries.insert(entries.begin(), Info(kNothingToSend));
  entries.push_back(Back());
  return entries;
}

const MenuPage kSubmitMenu = {"submit", "SUBMIT", {}, MenuLayout::kRows, kRowsTop, nullptr, MakeSubmitRows};

std::span<const MenuEntry> MakeRows(TForm1& f) {
  ReplayShelf& shelf = f.replayShelf;
  shelf.list = ListReplays(f.scoreStore->Folder(), f.Ranking);
  std::vector<MenuEntry>& entries = shelf.entries;
  entries.clear();
  for (size_t i = 0; i < shelf.list.rows.size(); ++i) {
    const ReplayListRow& row = shelf.list.rows[i];
    const bool refused = row.replay == nullptr;
    entries.push_back({row.label.c_str(), Watch, nullptr, refused ? Refusal : nullptr, static_cast<int>(i), nullptr,
                       true, refused});
  }
  if (entries.empty()) {
    shelf.emptyRow = "No replays yet";
    entries.push_back({shelf.emptyRow.c_str(), nullptr, nullptr, EmptyNote, 0, nullptr, true, true});
  }
  if (const size_t more = shelf.list.filesLeftOut; more > 0 || shelf.list.folderCut) {
    shelf.leftOutRow = shelf.list.folderCut ? "More files in the replays folder are not listed"
                                            : std::to_string(more) + " more files in the replays folder are not listed";
    entries.push_back({shelf.leftOutRow.c_str(), nullptr, nullptr, LeftOutNote, 0, nullptr, true, true});
  }
  entries.push_back(Submenu("SUBMIT A GAME", kSubmitMenu));
  entries.push_back(Action("SAVE LAST REPLAY", SaveLast));
  entries.push_back(Back());
  return entries;
}

}  // namespace

const MenuPage kReplaysMenu = {"replays", "REPLAYS", {}, MenuLayout::kRows, kRowsTop, nullptr, MakeRows};

}  // namespace game
