// Options > Online: the name games are sent under and the board they go to
// (typed on the on-screen keyboard, saved in the settings file like every
// option), the answer kept for sending games to that board, and a name's
// token typed back from where it was kept (another computer, a note).
#include <cctype>

#include "game/form.h"
#include "game/records/board_consent.h"
#include "game/screens/menus/online_menu.h"
#include "game/screens/menus/player_settings.h"
#include "platform/board_rules.h"
#include "platform/board_tokens.h"
#include "platform/user_dirs.h"

namespace game {
namespace {

const std::string& Server(const TForm1& f) { return f.playerSettings.onlineServer; }
const std::string& Name(const TForm1& f) { return f.playerSettings.onlineName; }

// Reads what the page shows of the state folder again.
void ReadState(TForm1& f) {
  f.board.consent = ConsentFor(platform::StateDir(), Server(f));
  f.board.tokenKept = !Server(f).empty() && !Name(f).empty() &&
                      !platform::LoadBoardToken(platform::StateDir(), Server(f), Name(f)).empty();
}

// A TOML string of printable ASCII, which the name and the address are.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// A value in the glyph font's capitals.
MenuValue Word(const char* text) { return {text, true, {}}; }

MenuValue TextValue(const std::string& text) { return text.empty() ? Word("NOT SET") : PlainValue(text); }

// The settings typed here: the name and the board's address. An empty one
// is taken: nothing is sent then.
struct TextSetting {
  const char* key;  // of [online]
  std::string PlayerSettings::*value;
  std::string (*refusal)(std::string_view text);
  const char* refused;  // what the player reads before the rule's reason
};
constexpr TextSetting kTextSettings[] = {
    {"name", &PlayerSettings::onlineName, platform::BoardNameRefusal, "The name is not taken: "},
    {"server", &PlayerSettings::onlineServer, platform::BoardServerRefusal, "The server is not taken: it must be "},
};

std::string SettingRefusal(const std::string& text, int setting) {
  const TextSetting& s = kTextSettings[setting];
  const std::string why = text.empty() ? std::string() : s.refusal(text);
  return why.empty() ? why : s.refused + why + ".";
}

void TakeSetting(TForm1& f, const std::string& text, int setting) {
  const TextSetting& s = kTextSettings[setting];
  f.playerSettings.*s.value = text;
  SaveChanges(f, {{"online", s.key, Quoted(text)}});
  ReadState(f);
}

const TextField kNameField = {"NAME", platform::kMaxBoardNameLength, SettingRefusal, TakeSetting, 0};
const TextField kServerField = {"SERVER", platform::kMaxBoardServerLength, SettingRefusal, TakeSetting, 1};

// A board's tokens are lowercase; one typed in capitals is the same token.
std::string Lowered(std::string token) {
  for (char& c : token) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return token;
}

const TextField kTokenField = {
    "TOKEN", platform::kBoardTokenLength,
    [](const std::string& token, int) -> std::string {
      const std::string why = platform::BoardTokenRefusal(Lowered(token));
      return why.empty() ? why : "The token is not taken: " + why + ".";
    },
    [](TForm1& f, const std::string& token, int) {
      std::string error;
      if (platform::SaveBoardToken(platform::StateDir(), Server(f), Name(f), Lowered(token), error))
        f.menus.notice = "The token is kept for " + Name(f) + " on " + Server(f) + ".";
      else f.menus.notice = "The token could not be kept: " + error;
      ReadState(f);
    },
    0};

void EditName(TForm1& f, int) { f.menus.keyboard.Open(kNameField, Name(f)); }
void EditServer(TForm1& f, int) { f.menus.keyboard.Open(kServerField, Server(f)); }

// The answers in the order Left and Right go through them.
constexpr const char* kConsentLabels[] = {"ASK FIRST", "AGREED", "DECLINED"};
constexpr int kConsentCount = 3;

MenuValue SendingValue(const TForm1& f, int) {
  return Word(Server(f).empty() ? "NO SERVER" : kConsentLabels[static_cast<int>(f.board.consent)]);
}

void StepSending(TForm1& f, int, int direction) {
  if (Server(f).empty()) {
    f.menus.notice = "Set the server first: the answer is kept for the server set.";
    return;
  }
  const int next = (static_cast<int>(f.board.consent) + direction + kConsentCount) % kConsentCount;
  std::string error;
  if (!KeepConsent(platform::StateDir(), Server(f), static_cast<Consent>(next), error))
    f.menus.notice = "The answer could not be kept: " + error;
  ReadState(f);
}

void NextSending(TForm1& f, int) { StepSending(f, 0, 1); }

MenuValue TokenValue(const TForm1& f, int) {
  if (Server(f).empty() || Name(f).empty()) return Word("NO NAME");
  return Word(f.board.tokenKept ? "KEPT" : "NONE");
}

// Typed back whole, the token replaces the one kept for the name on the
// server, if any (which is never shown).
void EditToken(TForm1& f, int) {
  if (Server(f).empty() || Name(f).empty()) {
    f.menus.notice = "Set the server and the name first: a token belongs to a name on a server.";
    return;
  }
  f.menus.keyboard.Open(kTokenField, {});
}

constexpr MenuEntry kEntries[] = {
    {"NAME", EditName, nullptr, [](const TForm1& f, int) { return TextValue(Name(f)); }},
    {"SERVER", EditServer, nullptr, [](const TForm1& f, int) { return TextValue(Server(f)); }},
    {"SENDING", NextSending, StepSending, SendingValue},
    {"TOKEN", EditToken, nullptr, TokenValue},
    Back(),
};

std::span<const MenuEntry> MakeEntries(TForm1& f) {
  ReadState(f);
  return kEntries;
}

}  // namespace

const MenuPage kOnlineOptionsMenu = {"options-online", "ONLINE", {}, MenuLayout::kSettings, 176, nullptr, MakeEntries};

}  // namespace game
