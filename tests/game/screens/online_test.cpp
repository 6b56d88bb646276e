// Options > Online and its on-screen keyboard as a player meets them: a
// name typed by pad alone and saved, the physical keyboard's text, the
// rules that refuse a name, an address or a token with the reason, the
// answer kept for a board; the consent page's lines of text the cursor
// skips; the Submit page that says what is missing.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/records/board_consent.h"
#include "game/screens/menus/online_menu.h"
#include "platform/board_tokens.h"
#include "tests/game/form_fixture.h"

namespace game::testing {
namespace {

using platform::KeyEvent;

constexpr KeyEvent kP{platform::kVirtualKeyOther, 0x19};
constexpr KeyEvent kEscape{platform::kVirtualKeyEscape, 0x01};
constexpr KeyEvent kEnter{platform::kVirtualKeyReturn, 0x1C};
constexpr KeyEvent kBackspace{platform::kVirtualKeyBackspace, 0x0E};
constexpr KeyEvent kUp{platform::kVirtualKeyUp, 0xC8};
constexpr KeyEvent kDown{platform::kVirtualKeyDown, 0xD0};
constexpr KeyEvent kLeft{platform::kVirtualKeyLeft, 0xCB};
constexpr KeyEvent kRight{platform::kVirtualKeyRight, 0xCD};
constexpr KeyEvent kStart{platform::kVirtualKeyPadStart, 0, platform::kPadStart};
constexpr KeyEvent kPadA{platform::kVirtualKeyPadA, 0, platform::kPadA};
constexpr KeyEvent kPadB{platform::kVirtualKeyPadB, 0, platform::kPadB};
constexpr KeyEvent kPadBack{platform::kVirtualKeyPadBack, 0, platform::kPadBack};
constexpr KeyEvent kDpadUp{platform::kVirtualKeyPadDpadUp, 0, platform::kPadDpadUp};
constexpr KeyEvent kDpadDown{platform::kVirtualKeyPadDpadDown, 0, platform::kPadDpadDown};
constexpr KeyEvent kDpadLeft{platform::kVirtualKeyPadDpadLeft, 0, platform::kPadDpadLeft};
constexpr KeyEvent kDpadRight{platform::kVirtualKeyPadDpadRight, 0, platform::kPadDpadRight};

class OnlineTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    CreateForm();
  }

  void Press(std::initializer_list<KeyEvent> keys) {
    for (const KeyEvent& key : keys) backend.app.PressKey(key);
  }
  // The title menu, Options, Online: on NAME.
  void OpenOnline() {
    Press({kP, kDown, kDown, kDown, kEnter, kDown, kDown, kDown, kDown, kEnter});
    ASSERT_EQ(Menu(), "options-online:NAME");
  }
  std::string Menu() const { return form->menus.TraceName(); }
  std::string Value() const {
    const MenuEntry& entry = form->menus.Entry();
    return entry.value(*form, entry.arg).text;
  }
  std::string File(const char* name) const {
    std::ifstream in(home_ / name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(OnlineTest, ThePadMovesOverTheGridAndRoundItsEdges) {
  OpenOnline();
  Press({kPadA});
  const struct {
    KeyEvent key;
    int times;
    const char* under;  // the key under the cursor afterwards
  } moves[] = {
      {kDpadLeft, 1, "M"},  {kDpadRight, 1, "A"}, {kDpadUp, 1, "*"},  {kDpadRight, 7, "SPACE"}, {kDpadRight, 1, "DEL"},
      {kDpadRight, 1, "OK"}, {kDpadRight, 1, "*"}, {kDpadLeft, 1, "OK"}, {kDpadLeft, 1, "DEL"}, {kDpadUp, 1, "&"},
      {kDpadDown, 1, "DEL"}, {kRight, 1, "OK"},    {kDpadUp, 1, "("},   {kDpadDown, 2, "L"},     {kUp, 1, "OK"},
  };
  for (const auto& move : moves) {
    for (int n = 0; n < move.times; ++n) Press({move.key});
    EXPECT_EQ(Menu(), std::string("keyboard:") + move.under);
  }
  // A held direction repeats as in the menus: 20 frames go 3 keys on.
  Press({kDown});
  EXPECT_EQ(Menu(), "keyboard:L");
  for (int frame = 0; frame < 20; ++frame) backend.app.Step();
  EXPECT_EQ(Menu(), "keyboard:y");
}

// The must: a name typed by pad alone, taken with Start (which never
// leaves the menus here), in the settings file, read again by a new form.
TEST_F(OnlineTest, APadAloneTypesANameIntoTheSettingsFile) {
  OpenOnline();
  EXPECT_EQ(Value(), "NOT SET");
  Press({kPadA});
  ASSERT_TRUE(backend.app.TextInput());
  const struct {
    std::initializer_list<KeyEvent> keys;
    const char* text;
  } steps[] = {
      {{kPadA}, "A"},
      {{kDpadDown, kDpadDown, kDpadRight, kDpadRight, kPadA}, "Ac"},
      {{kDpadRight, kDpadRight, kPadA, kPadA}, "Acee"},
      {{kPadB}, "Ace"},
      // SPACE and DEL on the grid, then the digits' row.
      {{kDpadUp, kDpadUp, kDpadUp, kDpadRight, kDpadRight, kDpadRight, kPadA}, "Ace "},
      {{kDpadRight, kPadA}, "Ace"},
      {{kDpadUp, kDpadUp, kPadA}, "Ace9"},
  };
  for (const auto& step : steps) {
    Press(step.keys);
    EXPECT_EQ(form->menus.keyboard.Text(), step.text);
  }
  Press({kStart});
  EXPECT_EQ(Menu(), "options-online:NAME");
  EXPECT_FALSE(backend.app.TextInput());
  EXPECT_EQ(Value(), "Ace9");
  EXPECT_EQ(form->playerSettings.onlineName, "Ace9");
  EXPECT_NE(File("settings.toml").find("[online]\nname = \"Ace9\"\n"), std::string::npos) << File("settings.toml");

  form.reset();
  std::vector<platform::SettingsProblem> problems;
  EXPECT_EQ(platform::LoadSettings(problems).onlineName, "Ace9");
  EXPECT_TRUE(problems.empty());
}

// A physical keyboard types through the text input; its Backspace deletes,
// Enter takes, Escape leaves the entry as it was; the pause key types as
// any letter does. Refusals say why and keep the keyboard open.
TEST_F(OnlineTest, TheKeyboardTypesAndTheRulesSayWhy) {
  OpenOnline();
  backend.app.TypeText("lost");  // nothing types while no entry is open
  Press({kEnter});
  const struct {
    const char* typed;  // null: the key
    KeyEvent key;
    const char* text;
    const char* notice;  // the line under the keyboard begins so ("": none)
  } steps[] = {
      {"Zo", {}, "Zo", ""},
      {nullptr, kP, "Zo", ""},
      {"\xC3\xA9", {}, "Zo", "NAME takes printable ASCII characters only"},
      {nullptr, kBackspace, "Z", ""},
      {"ed \"Ace\" \\1234", {}, "Zed \"Ace\" \\1234", ""},
      {"56", {}, "Zed \"Ace\" \\12345", "NAME takes at most 16 characters"},
      {" ", {}, "Zed \"Ace\" \\12345", "NAME takes at most 16 characters"},
      {nullptr, kBackspace, "Zed \"Ace\" \\1234", ""},
      {" ", {}, "Zed \"Ace\" \\1234 ", ""},
      {nullptr, kEnter, "Zed \"Ace\" \\1234 ", "The name is not taken: a name neither starts nor ends with a space."},
  };
  for (const auto& step : steps) {
    if (step.typed) backend.app.TypeText(step.typed);
    else Press({step.key});
    EXPECT_EQ(Menu().rfind("keyboard:", 0), 0u) << step.text;
    EXPECT_EQ(form->menus.keyboard.Text(), step.text);
    if (*step.notice) {
      EXPECT_EQ(form->menus.notice.rfind(step.notice, 0), 0u) << form->menus.notice;
    } else {
      EXPECT_EQ(form->menus.notice, "");
    }
  }
  // Escape and the pad's Back leave the name as it was.
  Press({kEscape});
  EXPECT_EQ(Menu(), "options-online:NAME");
  EXPECT_EQ(form->menus.notice, "");
  EXPECT_EQ(form->playerSettings.onlineName, "");
  Press({kEnter, kPadBack});
  EXPECT_EQ(Menu(), "options-online:NAME");
  // Quotes and backslashes go into the file as TOML says.
  Press({kEnter});
  backend.app.TypeText("Zed \"Ace\" \\1234");
  Press({kEnter});
  EXPECT_EQ(form->playerSettings.onlineName, "Zed \"Ace\" \\1234");
  std::vector<platform::SettingsProblem> problems;
  EXPECT_EQ(platform::LoadSettings(problems).onlineName, "Zed \"Ace\" \\1234");
  // An empty name is taken: nothing is sent then.
  Press({kEnter});
  for (int i = 0; i < 16; ++i) Press({kPadB});
  Press({kStart});
  EXPECT_EQ(form->playerSettings.onlineName, "");
  EXPECT_EQ(Value(), "NOT SET");
}

// The server takes the sender's address rule; SENDING changes the answer
// kept for it; TOKEN keeps a token typed back for the name there.
TEST_F(OnlineTest, ServerSendingAndToken) {
  OpenOnline();
  Press({kDown});
  EXPECT_EQ(Menu(), "options-online:SERVER");
  // Without a server, SENDING and TOKEN say what comes first.
  Press({kDown, kRight});
  EXPECT_EQ(Value(), "NO SERVER");
  EXPECT_EQ(form->menus.notice, "Set the server first: the answer is kept for the server set.");
  Press({kDown, kEnter});
  EXPECT_EQ(Menu(), "options-online:TOKEN");
  EXPECT_EQ(Value(), "NO NAME");
  EXPECT_EQ(form->menus.notice.rfind("Set the server and the name first", 0), 0u);
  Press({kUp, kUp});

  const struct {
    const char* typed;
    const char* notice;  // the refusal, or "" when taken
  } servers[] = {
      {"http://example.org",
       "The server is not taken: it must be an https:// address: http:// only for this machine (localhost, "
       "127.0.0.1, [::1])."},
      {"ftp://example.org", "The server is not taken: it must be an https:// address (http:// only for this machine)."},
      {"http://127.0.0.1:8642/", ""},
  };
  for (const auto& server : servers) {
    Press({kEnter});
    ASSERT_EQ(Menu(), "keyboard:A");
    backend.app.TypeText(server.typed);
    Press({kEnter});
    EXPECT_EQ(form->menus.notice, server.notice);
    if (*server.notice) Press({kEscape});
  }
  EXPECT_EQ(Value(), "http://127.0.0.1:8642/");
  EXPECT_NE(File("settings.toml").find("server = \"http://127.0.0.1:8642/\"\n"), std::string::npos);

  Press({kDown});
  ASSERT_EQ(Menu(), "options-online:SENDING");
  const struct {
    KeyEvent key;
    const char* shown;
    Consent kept;
  } answers[] = {
      {kRight, "AGREED", Consent::kAgreed}, {kRight, "DECLINED", Consent::kDeclined},
      {kEnter, "ASK FIRST", Consent::kUnasked}, {kLeft, "DECLINED", Consent::kDeclined},
  };
  for (const auto& answer : answers) {
    Press({answer.key});
    EXPECT_EQ(Value(), answer.shown);
    EXPECT_EQ(ConsentFor(home_.string(), "http://127.0.0.1:8642"), answer.kept);
  }
  EXPECT_EQ(File("board-consent"), "declined http://127.0.0.1:8642\n");

  form->playerSettings.onlineName = "Ace";
  Press({kDown});
  ASSERT_EQ(Menu(), "options-online:TOKEN");
  EXPECT_EQ(Value(), "NONE");
  const struct {
    const char* typed;
    const char* notice;
  } tokens[] = {
      {"0123456789abcdef", "The token is not taken: a token is 32 characters, each 0-9 or a-f."},
      {"0123456789abcdef0123456789abcdeg", "The token is not taken: a token is 32 characters, each 0-9 or a-f."},
      // Capitals are the same token.
      {"0123456789ABCDEF0123456789abcdef", "The token is kept for Ace on http://127.0.0.1:8642/."},
  };
  for (const auto& token : tokens) {
    Press({kEnter});
    EXPECT_EQ(form->menus.keyboard.Text(), "");  // the kept one is never shown
    backend.app.TypeText(token.typed);
    Press({kEnter});
    EXPECT_EQ(form->menus.notice, token.notice);
    if (form->menus.keyboard.IsOpen()) Press({kEscape});
  }
  EXPECT_EQ(Value(), "KEPT");
  EXPECT_EQ(platform::LoadBoardToken(home_.string(), "http://127.0.0.1:8642", "ACE"),
            "0123456789abcdef0123456789abcdef");
}

// The page and its keyboard fit the picture, whatever the address's length.
TEST_F(OnlineTest, TheKeyboardFitsThePicture) {
  OpenOnline();
  Press({kDown, kEnter});
  backend.app.TypeText(std::string(200, 'w'));
  RecordingDraw& draw = Record();
  DrawMenus(*form);
  size_t texts = 0;
  for (const DrawCall& call : draw.calls) {
    if (call.op != "TextOutA") continue;
    ++texts;
    EXPECT_GE(call.x, 0) << call.name;
    EXPECT_LE(call.x + 1 + static_cast<int>(call.name.size()) * 8, 640) << call.name;
    EXPECT_LE(call.y + 1 + 16, 480) << call.name;
  }
  // The text's 4 lines (and its caret), 88 keys, the help line; shadows twice.
  EXPECT_EQ(texts, 2u * (4 + 88 + 1));
}

// The consent page's lines of text (TO, AS, SENDS, WITH) are skipped by the
// cursor, which the page opens on its first choice.
TEST_F(OnlineTest, TheConsentPagesTextIsNeverHighlighted) {
  form->ShowMenu(kOnlineConsentMenu);
  EXPECT_EQ(Menu(), "online:AGREE");
  for (const auto& [key, entry] : {std::pair{kUp, "DECLINE"}, {kUp, "AGREE"}, {kDown, "DECLINE"}, {kDown, "AGREE"}}) {
    Press({key});
    EXPECT_EQ(Menu(), std::string("online:") + entry);
  }
  for (const MenuEntry& entry : form->menus.Entries())
    EXPECT_EQ(entry.info, std::string_view(entry.label) != "AGREE" && std::string_view(entry.label) != "DECLINE")
        << entry.label;
}

// With no board set and no game, the Submit page says what is missing and
// where to mend it, in lines the cursor skips; BACK is its one choice.
TEST_F(OnlineTest, TheSubmitPageSaysWhatIsMissing) {
  const struct {
    const char* server;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {"No game to send yet: play a game from the title first.",
            "No shared ranking set: set the server and your name in Options > Online."}},
      {"https://board.example.org", {"No game to send yet: play a game from the title first."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    form->CloseMenus();
    form->playerSettings.onlineServer = c.server;
    form->playerSettings.onlineName = "Ace";
    Press({kP, kDown, kDown, kEnter, kUp, kUp, kUp});
    ASSERT_EQ(Menu(), "replays:SUBMIT A GAME");
    Press({kEnter});
    EXPECT_EQ(Menu(), "submit:BACK");
    std::vector<std::string> lines;
    for (const MenuEntry& entry : form->menus.Entries())
      if (entry.info) lines.push_back(entry.label);
    EXPECT_EQ(lines, c.lines);
    Press({kUp});
    EXPECT_EQ(Menu(), "submit:BACK");
  }
}

}  // namespace
}  // namespace game::testing
