// The shared ranking's consent page, and a replay file sent to the board.
// Nothing leaves the machine unless the settings name a board and a name
// and the player has agreed, on this page, to send games to that board;
// the answer, either way, is kept for that board.
#include "game/screens/menus/online_menu.h"

#include <cstdio>
#include <utility>

#include "game/form.h"
#include "game/records/board_consent.h"
#include "game/records/replay_file.h"
#include "game/world/start_worlds.h"
#include "platform/user_dirs.h"

namespace game {
namespace {

using Kind = platform::BoardAnswer::Kind;

const std::string& Server(const TForm1& f) { return f.playerSettings.onlineServer; }

// What the board said, as the player reads it.
std::string AnswerLine(const platform::BoardAnswer& a, const std::string& server) {
  const std::string game = "The game" + platform::SentBefore(a);
  switch (a.kind) {
    case Kind::kAccepted:
      return game + " is ranked on " + server + ": " + std::to_string(a.score) + " points, stage " +
             std::to_string(a.stage) + (a.rank ? ", rank " + std::to_string(a.rank) : ", not among the ranked");
    case Kind::kRefused: return game + " was refused by " + server + ": " + a.reason;
    case Kind::kPending:
      return game + " reached " + server + " and waits there to be checked: its page will show the result";
    case Kind::kRejected:
      return server + " did not take the game (" + std::to_string(a.status) + "): " + a.reason;
    case Kind::kUnreachable: break;
  }
  return server + " cannot be reached: " + a.reason;
}

void Say(TForm1& f, const std::string& line) { f.menus.notice = line; }

// Why `file` cannot be sent now (empty when it can, its bytes in `bytes`).
std::string Obstacle(const TForm1& f, const std::string& file, std::vector<uint8_t>& bytes) {
  if (!f.board.sender) return "This program sends no games.";
  if (Server(f).empty() || f.playerSettings.onlineName.empty())
    return "To send games to a shared ranking, set the server and your name in Options > Online.";
  if (f.board.sender->Busy()) return "A game is still on its way to " + Server(f) + "; its answer comes first.";
  std::string text, reason;
  Replay replay;
  if (!ReadReplayFile(file, replay, reason, &text)) return "Cannot send " + file + ": " + reason;
  bytes.assign(text.begin(), text.end());
  if (std::string why; !IsNewGameStart(replay.world, &why)) return "Only a game from the title is ranked: " + why;
  return {};
}

void Send(TForm1& f, std::vector<uint8_t> replay) {
  const std::string server = Server(f);
  auto answered = [&f, server](const platform::BoardAnswer& answer) {
    const std::string line = AnswerLine(answer, server);
    f.board.lastAnswer = line;
    if (f.menus.IsOpen()) Say(f, line);
    std::fprintf(stderr, "solvara: %s\n", line.c_str());
  };
  f.board.sender->Send({server, f.playerSettings.onlineName, std::move(replay), platform::StateDir()}, answered);
  Say(f, "Sending the game to " + server + " as " + f.playerSettings.onlineName + "...");
}

// The replay waiting for the answer, read again: the player may have taken
// their time.
void SendAwaited(TForm1& f, const std::string& note) {
  const std::string file = std::exchange(f.board.awaitingConsent, {});
  std::vector<uint8_t> bytes;
  if (std::string why = Obstacle(f, file, bytes); !why.empty()) return Say(f, note + why);
  Send(f, std::move(bytes));
  if (!note.empty()) Say(f, note + f.menus.notice);
}

void Agree(TForm1& f, int) {
  std::string error, note;
  if (!KeepConsent(platform::StateDir(), Server(f), Consent::kAgreed, error))
    note = "Your agreement could not be kept (" + error + "): you will be asked again. ";
  GoBack(f, 0);
  SendAwaited(f, note);
}

void Decline(TForm1& f, int) {
  f.board.awaitingConsent.clear();
  std::string error;
  const bool kept = KeepConsent(platform::StateDir(), Server(f), Consent::kDeclined, error);
  GoBack(f, 0);
  Say(f, kept ? "Nothing was sent, and nothing will be: to send games there after all, change SENDING in Options > "
                "Online."
              : "Nothing was sent. Your answer could not be kept (" + error + "): you will be asked again.");
}

constexpr MenuEntry kEntries[] = {
    Info("TO", [](const TForm1& f, int) { return PlainValue(Server(f)); }),
    Info("AS", [](const TForm1& f, int) { return PlainValue(f.playerSettings.onlineName); }),
    Info("SENDS", [](const TForm1&, int) { return PlainValue("the replay: inputs, start world, score"); }),
    Info("WITH", [](const TForm1&, int) { return PlainValue("the name's token, once it has one"); }),
    Action("AGREE", Agree),
    Action("DECLINE", Decline),
};
constexpr int kDeclineEntry = 5;

constexpr const char* kExplanation =
    "The board plays the replay again to check its score, then ranks it on its pages for everyone to see. "
    "Nothing is sent before you agree; your answer is kept for this board.";

void OpenConsent(TForm1& f) {
  if (f.menus.IsOpen()) f.menus.Push(f, kOnlineConsentMenu);
  else f.ShowMenu(kOnlineConsentMenu);
  // A key pressed twice in haste declines.
  f.menus.Highlight(kDeclineEntry);
  Say(f, kExplanation);
}

}  // namespace

const MenuPage kOnlineConsentMenu = {"online", "SHARED RANKING", kEntries, MenuLayout::kSettings, 168,
                                     [](TForm1& f) { f.CloseMenus(); }};

void SubmitReplayFile(TForm1& f, const std::string& file) {
  std::vector<uint8_t> bytes;
  if (std::string why = Obstacle(f, file, bytes); !why.empty()) return Say(f, why);
  switch (ConsentFor(platform::StateDir(), Server(f))) {
    case Consent::kAgreed: return Send(f, std::move(bytes));
    case Consent::kDeclined:
      return Say(f, "You chose not to send games to " + Server(f) +
                        ": to send this one, change SENDING in Options > Online.");
    case Consent::kUnasked: break;
  }
  f.board.awaitingConsent = file;
  OpenConsent(f);
}

}  // namespace game
