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

// A row chosen before its page was drawn is read now; one that cannot be
// watched is greyed by the drawing.
void Watch(TForm1& f, int row) {
  ReplayListRow& chosen = f.replayShelf.list.rows[static_cast<size_t>(row)];
  ReadListedFile(chosen);
  const std::shared_ptr<const Replay> replay = chosen.replay;
  if (!replay) return;
  f.CloseMenus();
  f.afterWatching = [row](TForm1& form) { ReopenList(form, row); };
  f.WatchReplay(replay);
}

// A row that cannot be watched says why after its name.
MenuValue Refusal(const TForm1& f, int row) {
  return {{}, false, "Cannot be watched: " + f.replayShelf.list.rows[static_cast<size_t>(row)].refusal};
}

// A file's row that shows its game names the file after it.
MenuValue FileNote(const TForm1& f, int row) {
  return {{}, false, f.replayShelf.list.rows[static_cast<size_t>(row)].name};
}

MenuValue EmptyNote(const TForm1&, int) { return {{}, false, "Every game played to its end is kept here"}; }

MenuValue LeftOutNote(const TForm1&, int) {
  return {{}, false,
          "The replays folder has more than " + std::to_string(kMaxFolderEntries) +
              " files: those listed are the first the folder gave, sorted by name"};
}

MenuValue NoLastGame(const TForm1&, int) {
  return {{}, false,
          "There is no last game yet: play a game or a practice to its results screen, and it is kept here as "
          "LAST GAME to save"};
}

// A row as an entry of a list page: `choose` and, when it cannot be chosen,
// why (`refused`). A file's row that is read and watchable shows its game.
MenuEntry RowEntry(const ReplayListRow& row, int i, void (*choose)(TForm1&, int),
                   MenuValue (*refused)(const TForm1&, int), bool greyed) {
  const bool game = row.source == ReplayListRow::kKeptFile && row.replay;
  return {row.name.c_str(), choose, nullptr, greyed ? refused : game ? FileNote : nullptr, i, nullptr, true, greyed,
          false, game ? row.label.c_str() : nullptr};
}

MenuEntry WatchEntry(const ReplayListRow& row, int i) {
  return RowEntry(row, i, Watch, Refusal, row.read && !row.replay);
}

// The rows of a list page in view are read, and their entries made again.
void ViewRows(TForm1& f, std::vector<MenuEntry>& entries, int first, int count,
              MenuEntry (*entry)(const ReplayListRow& row, int i)) {
  std::vector<ReplayListRow>& rows = f.replayShelf.list.rows;
  for (int i = first; i < first + count && i < static_cast<int>(rows.size()); ++i) {
    ReadListedFile(rows[static_cast<size_t>(i)]);
    entries[static_cast<size_t>(i)] = entry(rows[static_cast<size_t>(i)], i);
  }
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

MenuEntry SubmitEntry(const ReplayListRow& row, int i) {
  return RowEntry(row, i, Submit, NotRanked, row.read && !(row.replay && IsNewGameStart(row.replay->world)));
}

// What is missing, said under the rows (the rows keep their places: a row's
// entry is found by its index as its page comes into view).
constexpr const char* kNoBoardSet = "No shared ranking set: set the server and your name in Options > Online.";
constexpr const char* kNothingToSend = "No game to send yet: play a game from the title first.";

std::span<const MenuEntry> MakeSubmitRows(TForm1& f) {
  ReplayShelf& shelf = f.replayShelf;
  std::vector<MenuEntry>& entries = shelf.submitEntries;
  entries.clear();
  for (size_t i = 0; i < shelf.list.rows.size(); ++i)
    entries.push_back(SubmitEntry(shelf.list.rows[i], static_cast<int>(i)));
  if (shelf.list.rows.empty()) entries.push_back(Info(kNothingToSend));
  if (f.playerSettings.onlineServer.empty() || f.playerSettings.onlineName.empty()) entries.push_back(Info(kNoBoardSet));
  entries.push_back(Back());
  return entries;
}

const MenuPage kSubmitMenu = {
    "submit", "SUBMIT", {}, MenuLayout::kRows, kRowsTop, nullptr, MakeSubmitRows,
    [](TForm1& f, int first, int count) { ViewRows(f, f.replayShelf.submitEntries, first, count, SubmitEntry); }};

std::span<const MenuEntry> MakeRows(TForm1& f) {
  ReplayShelf& shelf = f.replayShelf;
  shelf.list = ListReplays(f.scoreStore->Folder(), f.Ranking);
  std::vector<MenuEntry>& entries = shelf.entries;
  entries.clear();
  entries.reserve(shelf.list.rows.size() + 5);
  bool lastGame = false;
  for (size_t i = 0; i < shelf.list.rows.size(); ++i) {
    entries.push_back(WatchEntry(shelf.list.rows[i], static_cast<int>(i)));
    lastGame |= shelf.list.rows[i].source == ReplayListRow::kLastGame;
  }
  if (entries.empty()) {
    shelf.emptyRow = "No replays yet";
    entries.push_back({shelf.emptyRow.c_str(), nullptr, nullptr, EmptyNote, 0, nullptr, true, true});
  }
  if (shelf.list.folderCut) {
    shelf.leftOutRow = "More files in the replays folder are not listed";
    entries.push_back({shelf.leftOutRow.c_str(), nullptr, nullptr, LeftOutNote, 0, nullptr, true, true});
  }
  entries.push_back(Submenu("SUBMIT A GAME", kSubmitMenu));
  MenuEntry save = Action("SAVE LAST REPLAY", SaveLast);
  if (!lastGame) {
    save.value = NoLastGame;
    save.greyed = true;
  }
  entries.push_back(save);
  entries.push_back(Back());
  return entries;
}

}  // namespace

const MenuPage kReplaysMenu = {
    "replays", "REPLAYS", {}, MenuLayout::kRows, kRowsTop, nullptr, MakeRows,
    [](TForm1& f, int first, int count) { ViewRows(f, f.replayShelf.entries, first, count, WatchEntry); }};

}  // namespace game
