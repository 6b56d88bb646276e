#pragma once
// The menus' core: a page is a table of entries; the menus keep a stack of
// open pages with the entry each has highlighted, turn key-downs into moves,
// choices and steps (repeating held directions, counted in frames), and draw
// the top page over the picture that was on the screen when they opened.
// A page longer than the screen shows it in whole pages, the one holding its
// highlighted entry.
// The pages themselves live one to a file beside this one.
#include <array>
#include <bitset>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/screens/menus/keyboard.h"
#include "platform/app.h"
#include "platform/bindings.h"
#include "platform/settings.h"
#include "vantor/input/input.h"

namespace game {

class TForm1;
struct MenuPage;

// What an entry shows right of its label.
struct MenuValue {
  std::string text;      // glyph font when `glyphs`, else plain text (UTF-8) through the text renderer
  bool glyphs = true;
  std::string note;      // a small line after it ("set by --window for this run")
};

struct MenuEntry {
  const char* label;  // capitals, digits and spaces: the glyph font's letters
  // Enter, Space or the pad's A; `arg` is the entry's own.
  void (*choose)(TForm1& form, int arg) = nullptr;
  // Left or Right (-1, 1).
  void (*step)(TForm1& form, int arg, int direction) = nullptr;
  MenuValue (*value)(const TForm1& form, int arg) = nullptr;
  int arg = 0;
  // Chosen, the entry opens this page.
  const MenuPage* page = nullptr;
  // The label is plain text (UTF-8: a file's name), drawn by the text
  // renderer, not the glyph font.
  bool plain = false;
  // Shown but never chosen; its value's note says why.
  bool greyed = false;
  // Text on the page, no entry: the cursor skips it, so it is never
  // highlighted nor chosen.
  bool info = false;
  // Plain text drawn in place of the label, which still names the entry in
  // the trace (a replay file's row shows its game, and is named by the file).
  const char* shown = nullptr;
};

// An entry that runs `choose`, and one that opens `page`.
constexpr MenuEntry Action(const char* label, void (*choose)(TForm1&, int), int arg = 0) {
  return {label, choose, nullptr, nullptr, arg, nullptr};
}
constexpr MenuEntry Submenu(const char* label, const MenuPage& page) {
  return {label, nullptr, nullptr, nullptr, 0, &page};
}
// A line of plain text, and its value if any, that the cursor skips.
constexpr MenuEntry Info(const char* label, MenuValue (*value)(const TForm1&, int) = nullptr) {
  return {label, nullptr, nullptr, value, 0, nullptr, true, false, true};
}
// The entry that goes back one page.
void GoBack(TForm1& form, int);
constexpr MenuEntry Back() { return Action("BACK", GoBack); }

enum class MenuLayout : uint8_t {
  kList,      // the labels centred one under the other (title and pause)
  kSettings,  // labels on the left, their values on the right
  kRows,      // a list of many: plain labels on the left, closer together, each note after its label
};

struct MenuPage {
  const char* name;     // for the log and the runner's trace ("title", "options")
  const char* heading;  // glyph text above the entries (null: none)
  std::span<const MenuEntry> entries;
  MenuLayout layout;
  int top;  // y of the first entry
  // Leaving the bottom page (Back, Escape, the pause key): what closes it.
  void (*leave)(TForm1& form) = nullptr;
  // A page whose entries are known only when it opens (the files of a
  // folder): they are made then, in place of `entries`, and stay until the
  // page closes or is made again.
  std::span<const MenuEntry> (*make)(TForm1& form) = nullptr;
  // A page of made entries that reads what they show only as they come into
  // view (a folder of many files): called before each drawing, with the
  // entries the screen shows.
  void (*view)(TForm1& form, int first, int count) = nullptr;
};

extern const MenuPage kTitleMenu;
extern const MenuPage kOptionsMenu;
extern const MenuPage kControlsMenu;
extern const MenuPage kPracticeMenu;
extern const MenuPage kReplaysMenu;

// What a key means in a menu.
enum class MenuCommand : uint8_t { kNone, kUp, kDown, kLeft, kRight, kChoose, kBack };
MenuCommand CommandOf(const platform::KeyEvent& key);

// The controls by the names the player reads ("TURN FORWARD").
extern const char* const kControlLabels[platform::kControlCount];

// The control whose key or pad button the player is asked to press.
struct Capture {
  platform::Control control;
  bool pad;
  uint8_t modifier = 0;  // a modifier key down alone, taken if it comes up so
};

class Menus {
 public:
  bool IsOpen() const { return depth_ > 0; }
  const MenuPage& Page() const { return *stack_[depth_ - 1].page; }
  std::span<const MenuEntry> Entries() const { return stack_[depth_ - 1].entries; }
  int Highlighted() const { return stack_[depth_ - 1].highlighted; }
  const MenuEntry& Entry() const { return Entries()[Highlighted()]; }
  const MenuPage& Bottom() const { return *stack_[0].page; }
  // The first entry the screen shows: 0, or on a page longer than the
  // screen a multiple of what the screen shows.
  int First() const { return stack_[depth_ - 1].first; }

  // A page over the others (the first one when none is open), its entries
  // made if it makes them.
  void Push(TForm1& form, const MenuPage& page);
  // `page` over the open one, as if chosen there: the entry that opens it
  // highlighted below it.
  void Open(TForm1& form, const MenuPage& page);
  // The open page's entries made again (what they list changed); the
  // highlighted entry keeps its place as far as there are entries.
  void Remake(TForm1& form);
  // Back one page; false when the bottom page was open (nothing changes).
  bool Pop();
  void CloseAll();
  // Up and Down: to the next entry that is no text, round from the last to
  // the first.
  void Move(int delta);
  // Highlights `index` (kept among the entries) and shows it.
  void Highlight(int index);

  // Key-downs and key-ups of the menus' keys, and one frame: a direction
  // held 12 frames repeats, then every 4. While the keyboard is open, it
  // has the keys, and the text typed.
  void KeyDown(TForm1& form, const platform::KeyEvent& key);
  void Text(TForm1& form, const std::string& utf8);
  void KeyUp(TForm1& form, const platform::KeyEvent& key);
  void Frame(TForm1& form);

  // The control waiting for its new key (none while no key is asked for).
  const Capture* Capturing() const { return capturing_ ? &capture_ : nullptr; }
  Capture* Capturing() { return capturing_ ? &capture_ : nullptr; }
  void StartCapture(Capture capture);
  void EndCapture() { capturing_ = false; }
  // Forgets the held direction: its key-up may never come (a message took
  // the keys, the window lost the focus).
  void ForgetHeld() { heldCommand_ = MenuCommand::kNone; }

  // A line for the player under the page (a change that could not be
  // saved, the copy made of the settings file); cleared when a page opens.
  std::string notice;

  // The text entry's keyboard over the open page, closed with it.
  OnScreenKeyboard keyboard;

  // "page:ENTRY" (":press" while a key is asked for; "keyboard:KEY" while
  // the keyboard is open, the key under its cursor), for the runner's trace.
  std::string TraceName() const;

 private:
  void Run(TForm1& form, MenuCommand command);

  struct Level {
    const MenuPage* page = nullptr;
    std::span<const MenuEntry> entries;
    int highlighted = 0;
    int first = 0;
  };
  static constexpr int kDepth = 4;
  std::array<Level, kDepth> stack_{};
  int depth_ = 0;
  // The direction held, and for how many frames.
  int heldKey_ = 0;
  MenuCommand heldCommand_ = MenuCommand::kNone;
  int heldFrames_ = 0;
  Capture capture_{};
  bool capturing_ = false;
};

// The keys, pad buttons and stick pushes held now, as their key events told
// them, and those held since the menus opened: what of the controls is held
// when the menus close, and what of it may count on in play. A key the
// system let go with the focus is held on until the devices are read again.
class HeldKeys {
 public:
  // A key going down or up (a key-up by a focus loss changes nothing).
  void Change(const platform::KeyEvent& key, bool down);
  // The menus open: what is held now is held since then.
  void MenusOpened() { since_ = held_; }
  // What the devices hold replaces what the events told; what they do not
  // hold is no longer held since the menus opened.
  void Take(const platform::HeldInput& devices);
  // The fields of the controls held (3 where held), as `bindings` give them;
  // and of those held since the menus opened.
  VantorInputSystem::TVantorInputState Controls(const platform::Bindings& bindings) const {
    return ControlsOf(held_, bindings);
  }
  VantorInputSystem::TVantorInputState ControlsSinceMenusOpened(const platform::Bindings& bindings) const {
    return ControlsOf(since_, bindings);
  }
  bool PadHeld(platform::PadButton button) const { return held_.pad.test(button); }

 private:
  struct Held {
    std::bitset<256> keys;
    std::bitset<platform::kPadButtonCount> pad;
    std::bitset<4> stick;  // up, down, left, right
  };
  static void Mark(Held& held, const platform::KeyEvent& key, bool down);
  static VantorInputSystem::TVantorInputState ControlsOf(const Held& held, const platform::Bindings& bindings);

  Held held_, since_;
};

// Draws the open page (its heading, entries, values and the line under them).
void DrawMenus(TForm1& form);
// Plain text (UTF-8) as the menus draw a value, highlighted or not.
void DrawMenuText(TForm1& form, int x, int y, const std::string& utf8, bool highlighted);
// `text` shortened with "..." to fit the value column of a settings page.
MenuValue PlainValue(std::string text);
// How many entries of `page` the screen shows at once.
int EntriesShown(const MenuPage& page);
// `text` in lines of at most `letters` bytes, broken at spaces (or, in a
// word longer than a line, after a "/").
std::vector<std::string> WrapText(std::string_view text, size_t letters);

// The controls page's answer to a key going down or up while it asks for one.
void CaptureKey(TForm1& form, const platform::KeyEvent& key, bool down);

}  // namespace game
