// The menus against what a player may do to them: every way in and out, keys
// that cannot be bound, a pad that goes away while its button is asked for,
// and a title that stands still under its menu.
#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/game/form_fixture.h"

namespace game::testing {
namespace {

using platform::KeyEvent;

class MenuTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    CreateForm();
  }
};

constexpr KeyEvent kPauseKey{platform::kVirtualKeyPause, 0xC5};
constexpr KeyEvent kP{platform::kVirtualKeyOther, 0x19};
constexpr KeyEvent kEscape{platform::kVirtualKeyEscape, 0x01};
constexpr KeyEvent kEnter{platform::kVirtualKeyReturn, 0x1C};
constexpr KeyEvent kDown{platform::kVirtualKeyDown, 0xD0};
constexpr KeyEvent kUnnamed{platform::kVirtualKeyOther, 0x59};  // a scan code no key of SDL's has
constexpr KeyEvent kStart{platform::kVirtualKeyPadStart, 0, platform::kPadStart};
constexpr KeyEvent kPadA{platform::kVirtualKeyPadA, 0, platform::kPadA};
constexpr KeyEvent kPadB{platform::kVirtualKeyPadB, 0, platform::kPadB};
constexpr KeyEvent kDpadUp{platform::kVirtualKeyPadDpadUp, 0, platform::kPadDpadUp};
constexpr KeyEvent kStickUp{platform::kVirtualKeyStickUp};
constexpr KeyEvent kAlt{platform::kVirtualKeyOther, 0x38, -1, true};
constexpr KeyEvent kAltEnter{platform::kVirtualKeyFullScreen};

TEST_F(MenuTest, WhatEachKeyDoes) {
  enum What { kPress, kRelease, kFrames, kFocusLost };
  struct Step {
    What what;
    KeyEvent key;
    const char* menu;  // the trace name afterwards ("" when closed)
  };
  auto to = [](int entries) { return std::vector<Step>(entries, {kPress, kDown, nullptr}); };
  std::vector<Step> steps = {
      // Every pause key opens the title menu and closes it again, so do
      // Escape and the pad's B at its top.
      {kPress, kPauseKey, "title:START"}, {kPress, kPauseKey, ""},  {kPress, kP, "title:START"},
      {kPress, kEscape, ""},              {kPress, kStart, "title:START"}, {kPress, kPadB, ""},
      // Options, Controls, TURN FORWARD: Enter and a key without a name are
      // refused, Escape keeps the key it had.
      {kPress, kP, "title:START"},        {kPress, kDown, "title:PRACTICE"}, {kPress, kDown, "title:REPLAYS"},
      {kPress, kDown, "title:OPTIONS"},   {kPress, kEnter, "options:DISPLAY"},
      {kPress, kDown, nullptr},           {kPress, kDown, nullptr},         {kPress, kEnter, "controls:UP"}};
  for (const Step& s : to(4)) steps.push_back(s);
  const std::vector<Step> keys = {
      {kPress, kEnter, "controls:TURN FORWARD:press"}, {kPress, kEnter, "controls:TURN FORWARD:press"},
      {kPress, kUnnamed, "controls:TURN FORWARD:press"}, {kPress, kPauseKey, "controls:TURN FORWARD:press"},
      // Alt+Enter switches the window and binds neither key.
      {kPress, kAlt, "controls:TURN FORWARD:press"},     {kPress, kAltEnter, "controls:TURN FORWARD:press"},
      {kRelease, kAlt, "controls:TURN FORWARD:press"},   {kPress, kEscape, "controls:TURN FORWARD"}};
  steps.insert(steps.end(), keys.begin(), keys.end());
  for (const Step& s : to(7)) steps.push_back(s);
  const std::vector<Step> pad = {
      // PAD PAUSE: the D-pad steers and the stick is no button; A is button
      // 1's, which cannot take Start in exchange; the pad goes away.
      {kPress, kPadA, "controls:PAD PAUSE:press"},  {kPress, kDpadUp, "controls:PAD PAUSE:press"},
      {kPress, kStickUp, "controls:PAD PAUSE:press"}, {kPress, kPadA, "controls:PAD PAUSE:press"},
      {kFocusLost, {}, "controls:PAD PAUSE"},
      // A held direction repeats after 12 frames, then every 4: 3 entries
      // further after 20 frames (BACK, then round to UP and DOWN).
      {kPress, kDown, "controls:RESET CONTROLS"},   {kFrames, {}, "controls:DOWN"}};
  steps.insert(steps.end(), pad.begin(), pad.end());

  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    if (s.what == kPress) backend.app.PressKey(s.key);
    else if (s.what == kRelease) backend.app.ReleaseKey(s.key);
    else if (s.what == kFocusLost) backend.app.Deactivate();
    else if (s.what == kFrames)
      for (int frame = 0; frame < 20; ++frame) backend.app.Step();
    if (s.menu) {
      EXPECT_EQ(form->menus.TraceName(), s.menu) << "step " << i;
    }
  }
  EXPECT_EQ(form->playerSettings.bindings, platform::Bindings());
}

// Under its menu the title stands still: no timeout to the demonstration,
// and a held button starts no game.
TEST_F(MenuTest, TheTitleStandsStillUnderItsMenu) {
  for (int frame = 0; frame < 10; ++frame) backend.app.Step();
  backend.app.PressKey(kP);
  const GameState before = form->GameState;
  backend.input.SetKey(0x2C, true);  // Z, button 1
  for (int frame = 0; frame < 400; ++frame) backend.app.Step();
  EXPECT_EQ(form->GameState.screen, ScreenTitle);
  EXPECT_EQ(form->GameState.screenCounter, before.screenCounter);
  EXPECT_EQ(form->GameState.titleAngle, before.titleAngle);
}

// A page longer than the screen shows it in whole pages that never overlap,
// the one of its highlighted entry; Left and Right turn them, and a greyed
// entry is never chosen. Here the Replays list: 29 files that are no
// replays, then SUBMIT A GAME, SAVE LAST REPLAY (greyed: no game was played)
// and BACK, 15 entries to a screen; a file is read once its page is shown.
TEST_F(MenuTest, ALongPageShowsTheWholePageOfItsHighlightedEntry) {
  std::filesystem::create_directories(home_ / "replays");
  for (int i = 10; i < 39; ++i)
    std::ofstream(home_ / "replays" / ("note-" + std::to_string(i) + ".txt")) << "no replay";
  for (const KeyEvent& key : {kP, kDown, kDown, kEnter}) backend.app.PressKey(key);
  ASSERT_EQ(form->menus.Page().name, std::string("replays"));
  ASSERT_EQ(form->menus.Entries().size(), 32u);
  ASSERT_EQ(EntriesShown(form->menus.Page()), 15);
  const KeyEvent kUp{platform::kVirtualKeyUp, 0xC8}, kLeft{platform::kVirtualKeyLeft, 0xCB},
      kRight{platform::kVirtualKeyRight, 0xCD};
  const std::vector<ReplayListRow>& rows = form->replayShelf.list.rows;
  auto readRows = [&] { return std::count_if(rows.begin(), rows.end(), [](auto& row) { return row.read; }); };
  EXPECT_EQ(readRows(), 0);
  struct Step {
    KeyEvent key;
    int times;
    int highlighted, first;
  };
  // Enter on a file not yet read: read then, and refused.
  const Step steps[] = {
      {kEnter, 1, 0, 0},  {kDown, 14, 14, 0}, {kDown, 1, 15, 15}, {kRight, 1, 30, 30}, {kRight, 1, 31, 30},
      {kDown, 1, 0, 0},   {kUp, 1, 31, 30},   {kLeft, 1, 16, 15}, {kLeft, 1, 1, 0},    {kLeft, 1, 0, 0},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    for (int n = 0; n < steps[i].times; ++n) backend.app.PressKey(steps[i].key);
    backend.app.Step();
    EXPECT_EQ(form->menus.Highlighted(), steps[i].highlighted) << "step " << i;
    EXPECT_EQ(form->menus.First(), steps[i].first) << "step " << i;
    if (i == 0) {
      EXPECT_EQ(readRows(), 15);
    }
  }
  EXPECT_EQ(readRows(), 29);
  EXPECT_FALSE(form->replays.Watching());
  EXPECT_TRUE(form->menus.Entry().greyed);
  EXPECT_NE(form->menus.Entry().value(*form, 0).note.find("not a SOLVARA 2001 replay"), std::string::npos);

  // What each page says of itself.
  RecordingDraw& draw = Record();
  const std::pair<int, const char*> pages[] = {{3, "1-15 of 32"}, {20, "16-30 of 32"}, {31, "31-32 of 32"}};
  for (const auto& [highlight, place] : pages) {
    SCOPED_TRACE(place);
    form->menus.Highlight(highlight);
    draw.calls.clear();
    DrawMenus(*form);
    std::vector<std::string> texts;
    for (const DrawCall& call : draw.calls)
      if (call.op == "TextOutA") texts.push_back(call.name);
    EXPECT_NE(std::find(texts.begin(), texts.end(), place), texts.end());
  }

  // The pages of fixed entries fit, and turn no page: Right on a
  // practice's start point.
  for (const MenuPage* page : {&kTitleMenu, &kOptionsMenu, &kControlsMenu, &kPracticeMenu})
    EXPECT_GE(EntriesShown(*page), static_cast<int>(page->entries.size())) << page->name;
  for (const KeyEvent& key : {kEscape, kUp, kEnter, kDown, kRight}) backend.app.PressKey(key);
  EXPECT_EQ(form->menus.TraceName(), "practice:STAGE 1");
}

// A row's columns never overlap, whatever the face draws: each text starts
// after the one before it on its line ends, and a note too long ends inside
// the picture. Here files of long names, of digits and of wide letters.
TEST_F(MenuTest, TheColumnsOfARowNeverOverlap) {
  std::filesystem::create_directories(home_ / "replays");
  for (const char* name : {"2026-12-07_09-53-33_11960.rpl.txt", "000000000000000000000000000000000000000000.txt",
                           "WWWWWWWWWWWWWWWWWWWWWWWWWWWWW.txt", "a.txt"})
    std::ofstream(home_ / "replays" / name) << "no replay";
  for (const KeyEvent& key : {kP, kDown, kDown, kEnter}) backend.app.PressKey(key);
  ASSERT_EQ(form->menus.Page().name, std::string("replays"));
  RecordingDraw& draw = Record();
  DrawMenus(*form);
  constexpr int kShadow = 0x201010;
  std::map<int, std::vector<std::pair<int, std::string>>> lines;  // y: (x, text), shadows left out
  for (const DrawCall& call : draw.calls)
    if (call.op == "TextOutA" && call.a != kShadow && !call.name.empty()) lines[call.y].emplace_back(call.x, call.name);
  ASSERT_GE(lines.size(), 4u);
  TFont& font = *draw.GetFont();
  for (auto& [y, texts] : lines) {
    std::sort(texts.begin(), texts.end());
    int end = 0;
    for (const auto& [x, text] : texts) {
      SCOPED_TRACE(text);
      const int width = TextWidth(font, text);
      ASSERT_GT(width, 0) << "no face for the menus";
      EXPECT_GE(x, end);
      end = x + width;
      EXPECT_LE(end, 640);
    }
  }
}

// A setting the command line chose shows the option; a change in Options
// ends it for the run and goes into the settings file.
TEST_F(MenuTest, ACommandLineChoiceShowsUntilChanged) {
  PlayerSettings settings;
  settings.values[kSettingScale] = static_cast<int>(platform::Scaling::Integer);
  settings.overriddenBy[kSettingScale] = "--scale";
  form->UseSettings(settings);
  EXPECT_EQ(backend.display.scaling, platform::Scaling::Integer);
  for (const KeyEvent& key : {kP, kDown, kDown, kDown, kEnter, kEnter, kDown}) backend.app.PressKey(key);
  ASSERT_EQ(form->menus.TraceName(), "display:SCALE");
  const MenuEntry& scale = form->menus.Entry();
  EXPECT_EQ(scale.value(*form, scale.arg).text, "INTEGER");
  EXPECT_EQ(scale.value(*form, scale.arg).note, "(--scale)");
  backend.app.PressKey({platform::kVirtualKeyRight, 0xCD});
  EXPECT_EQ(scale.value(*form, scale.arg).text, "FIT");
  EXPECT_EQ(scale.value(*form, scale.arg).note, "");
  EXPECT_EQ(backend.display.scaling, platform::Scaling::Fit);
  std::ifstream in(home_ / "settings.toml");
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("[display]\nscale = \"fit\"\n"), std::string::npos) << text;
}

// The line under a menu in lines that fit: a notice names a file and why it
// could not be written.
TEST(MenuText, LongNoticesWrap) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"fits", {"fits"}},
      {"not saved: Permission denied", {"not saved:", "Permission", "denied"}},
      {"in /home/me/.config/solvara/x", {"in", "/home/me/", ".config/", "solvara/x"}},
      {"abcdefghijklmnop", {"abcdefghijkl", "mnop"}},
      {"abcdefghijk\xC3\xA9z", {"abcdefghijk", "\xC3\xA9z"}},
  };
  for (const Case& c : cases) EXPECT_EQ(WrapText(c.text, 12), c.lines) << c.text;
}

// What of the controls is held when the menus close, and what of it since
// they opened: a key let go and pressed again is a new press, a key the
// system let go with the focus is held on until the devices say otherwise,
// and a pad that is gone holds nothing, key-ups or not.
TEST(HeldKeysTest, WhatIsHeldSinceTheMenusOpened) {
  enum What { kDown, kUp, kUpByFocusLoss, kOpen, kDevices };
  struct Step {
    What what;
    KeyEvent key = {};
    bool devicesHoldIt = false;  // kDevices: the devices hold `key`
  };
  constexpr KeyEvent kX{platform::kVirtualKeyOther, 0x2D};
  constexpr KeyEvent kPadFire{platform::kVirtualKeyPadB, 0, platform::kPadB};
  struct Case {
    const char* name;
    std::vector<Step> steps;
    bool held, since;  // fire (button 2), held now and held since the menus opened
  };
  const Case cases[] = {
      {"held through", {{kDown, kX}, {kOpen}}, true, true},
      {"let go and pressed again", {{kDown, kX}, {kOpen}, {kUp, kX}, {kDown, kX}}, true, false},
      {"pressed while open", {{kOpen}, {kDown, kPadFire}}, true, false},
      {"let go by the focus loss that opened them", {{kDown, kX}, {kUpByFocusLoss, kX}, {kOpen}}, true, true},
      {"the devices hold it after the focus came back",
       {{kDown, kX}, {kOpen}, {kUpByFocusLoss, kX}, {kDevices, kX, true}}, true, true},
      {"the devices no longer hold it", {{kDown, kX}, {kOpen}, {kUpByFocusLoss, kX}, {kDevices, kX}}, false, false},
      {"a pad pulled out without its key-ups", {{kDown, kPadFire}, {kOpen}, {kDevices, kPadFire}}, false, false},
      {"the devices hold a pad button", {{kOpen}, {kDevices, kPadFire, true}}, true, false},
  };
  const platform::Bindings bindings;
  for (const Case& c : cases) {
    HeldKeys held;
    for (const Step& s : c.steps) {
      KeyEvent key = s.key;
      key.byFocusLoss = s.what == kUpByFocusLoss;
      if (s.what == kDown || s.what == kUp || s.what == kUpByFocusLoss) held.Change(key, s.what == kDown);
      if (s.what == kOpen) held.MenusOpened();
      if (s.what != kDevices) continue;
      platform::HeldInput devices;
      if (s.devicesHoldIt && s.key.scanCode) devices.keys[s.key.scanCode] = 0x80;
      if (s.devicesHoldIt && s.key.padButton >= 0) devices.pad.set(s.key.padButton);
      held.Take(devices);
    }
    EXPECT_EQ(held.Controls(bindings).Button2 != 0, c.held) << c.name;
    EXPECT_EQ(held.ControlsSinceMenusOpened(bindings).Button2 != 0, c.since) << c.name;
  }
}

}  // namespace
}  // namespace game::testing
