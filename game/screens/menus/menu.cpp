#include "game/screens/menus/menu.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "game/form.h"
#include "platform/encoding.h"
#include "vantor/draw/draw.h"
#include "vantor/system/frame.h"

namespace game {
namespace {

struct MenuKey {
  int virtualKey;
  MenuCommand command;
};
constexpr MenuKey kMenuKeys[] = {
    {platform::kVirtualKeyUp, MenuCommand::kUp},
    {platform::kVirtualKeyPadDpadUp, MenuCommand::kUp},
    {platform::kVirtualKeyStickUp, MenuCommand::kUp},
    {platform::kVirtualKeyDown, MenuCommand::kDown},
    {platform::kVirtualKeyPadDpadDown, MenuCommand::kDown},
    {platform::kVirtualKeyStickDown, MenuCommand::kDown},
    {platform::kVirtualKeyLeft, MenuCommand::kLeft},
    {platform::kVirtualKeyPadDpadLeft, MenuCommand::kLeft},
    {platform::kVirtualKeyStickLeft, MenuCommand::kLeft},
    {platform::kVirtualKeyRight, MenuCommand::kRight},
    {platform::kVirtualKeyPadDpadRight, MenuCommand::kRight},
    {platform::kVirtualKeyStickRight, MenuCommand::kRight},
    {platform::kVirtualKeyReturn, MenuCommand::kChoose},
    {platform::kVirtualKeySpace, MenuCommand::kChoose},
    {platform::kVirtualKeyPadA, MenuCommand::kChoose},
    {platform::kVirtualKeyEscape, MenuCommand::kBack},
    {platform::kVirtualKeyPadB, MenuCommand::kBack},
    {platform::kVirtualKeyPadBack, MenuCommand::kBack},
};

// A held direction repeats after this many frames, then every kRepeatEvery.
constexpr int kRepeatAfter = 12;
constexpr int kRepeatEvery = 4;

// Where things go on the 640 x 480 picture. Glyphs are 16 pixels square.
constexpr int kGlyph = 16;
constexpr int kListSpacing = 30;
constexpr int kSettingsSpacing = 24;
constexpr int kRowsSpacing = 22;
// Entries end above the lines under the page; a longer page shows a part.
constexpr int kEntriesBottom = 416;
constexpr int kLabelX = 72;
constexpr int kValueX = 352;
constexpr int kHeadingGap = 52;
constexpr int kCursorGap = 40;  // the cursor ship sits this far left of its entry
constexpr int kPromptY = 424;
constexpr int kFooterX = 24, kFooterY = 452;
// The footer's plain text runs about 7 pixels a letter: this many fit
// between the margins, and this many lines go above the bottom one.
constexpr size_t kFooterLetters = 76;
constexpr size_t kFooterLines = 3;
constexpr int kFooterLineHeight = 16;
constexpr int kTextPoints = 12;
// Plain text runs about half a glyph a letter where no face draws it; a
// row's note stops short of the right edge.
constexpr int kTextLetter = kGlyph / 2;
constexpr int kRightEdge = 632;
// Where a long page says which of its entries are shown (further left when
// its numbers are long).
constexpr int kPlaceX = 500;
// A plain value runs from the value column to the right margin: about this many letters.
constexpr size_t kValueLetters = 38;

// Plain text colours (0x00BBGGRR).
constexpr TColor kShadow = 0x201010;
constexpr TColor kValueColour = 0xFFFFFF;
constexpr TColor kHighlightColour = 0x77DDFF;
constexpr TColor kNoteColour = 0xBBBBBB;
constexpr TColor kNoticeColour = 0x88AAFF;
constexpr TColor kGreyedColour = 0x808080;

constexpr const char* kHelp = "Up, Down: choose    Enter or A: take    Escape or B: back";
constexpr const char* kStepHelp = "Up, Down: choose    Left, Right: change    Enter or A: take    Escape or B: back";
constexpr const char* kPageHelp = "Up, Down: choose    Left, Right: page    Enter or A: take    Escape or B: back";
constexpr const char* kTypingHelp = "A: type   B, Backspace: delete   Start, Enter: done   Escape, Back: cancel";

// The stick's pushes, in the order of the direction controls.
constexpr int kStickKeys[] = {platform::kVirtualKeyStickUp, platform::kVirtualKeyStickDown,
                              platform::kVirtualKeyStickLeft, platform::kVirtualKeyStickRight};
// The D-pad, likewise.
constexpr platform::PadButton kDpad[] = {platform::kPadDpadUp, platform::kPadDpadDown, platform::kPadDpadLeft,
                                         platform::kPadDpadRight};

bool Direction(MenuCommand c) {
  return c == MenuCommand::kUp || c == MenuCommand::kDown || c == MenuCommand::kLeft || c == MenuCommand::kRight;
}

// The glyph font draws "[" as the gap between words.
std::string Glyphs(std::string_view text) {
  std::string glyphs(text);
  std::replace(glyphs.begin(), glyphs.end(), ' ', '[');
  return glyphs;
}

int CentredX(std::string_view glyphText) { return 320 - static_cast<int>(glyphText.size()) * kGlyph / 2; }

int Spacing(MenuLayout layout) {
  return layout == MenuLayout::kList ? kListSpacing : layout == MenuLayout::kSettings ? kSettingsSpacing : kRowsSpacing;
}

// Plain text (UTF-8) as wide as DrawText draws it: columns after it start
// there, whatever the face found.
int PlainWidth(TForm1& f, const std::string& utf8) {
  TFont* font = f.cdraw->GetFont();
  font->SetSize(kTextPoints);
  const int drawn = TextWidth(*font, platform::Utf8ToCp932(utf8));
  return drawn > 0 ? drawn : static_cast<int>(utf8.size()) * kTextLetter;
}

// `text` when it is no wider than `width`, else a head of it that fits with
// "..." after it (cut at a space where it can be).
std::string Fitted(TForm1& f, const std::string& text, int width) {
  const int whole = PlainWidth(f, text);
  if (whole <= width) return text;
  size_t letters = std::max<size_t>(1, text.size() * static_cast<size_t>(std::max(0, width)) / whole);
  std::string head;
  do {
    head = WrapText(text, letters > 3 ? letters - 3 : 1).front() + "...";
  } while (PlainWidth(f, head) > width && --letters > 1);
  return head;
}

// Plain text (UTF-8) with a shadow, in the size of the glyphs.
void DrawText(TForm1& f, int x, int y, const std::string& utf8, TColor colour) {
  TFont* font = f.cdraw->GetFont();
  font->SetSize(kTextPoints);
  const std::string text = platform::Utf8ToCp932(utf8);
  font->Color = kShadow;
  f.cdraw->TextOutA(x + 1, y + 1, text);
  font->Color = colour;
  f.cdraw->TextOutA(x, y, text);
}

void DrawValue(TForm1& f, int x, int y, const MenuValue& value, bool highlighted) {
  if (value.glyphs) {
    f.DrawGlyphText(x, y, highlighted ? 2 : 0, Glyphs(value.text));
    x += static_cast<int>(value.text.size()) * kGlyph;
  } else {
    DrawText(f, x, y, value.text, highlighted ? kHighlightColour : kValueColour);
    x += PlainWidth(f, value.text);
  }
  if (value.note.empty()) return;
  // A note too long for the line ends in "...": the line under the page
  // shows it whole while its entry is highlighted.
  x += kGlyph;
  DrawText(f, x, y, Fitted(f, value.note, kRightEdge - x), kNoteColour);
}

void DrawLabel(TForm1& f, const MenuEntry& entry, int x, int y, bool highlighted) {
  if (entry.info) return DrawText(f, x, y, entry.label, kNoteColour);
  if (!entry.plain) {
    f.DrawGlyphText(x, y, highlighted ? 2 : 0, Glyphs(entry.label));
    return;
  }
  DrawText(f, x, y, entry.shown ? entry.shown : entry.label,
           entry.greyed ? kGreyedColour : highlighted ? kHighlightColour : kValueColour);
}

// The line under the page: a notice, or what the keys do. A notice names a
// file and why it could not be written: it may need more than one line, the
// last one at the bottom. The help lines fit.
void DrawFooter(TForm1& f, const std::string& footer, bool told) {
  std::vector<std::string> lines = told ? WrapText(footer, kFooterLetters) : std::vector{footer};
  if (lines.size() > kFooterLines) lines.resize(kFooterLines);
  int y = kFooterY - static_cast<int>(lines.size() - 1) * kFooterLineHeight;
  for (const std::string& line : lines) {
    DrawText(f, kFooterX, y, line, told ? kNoticeColour : kNoteColour);
    y += kFooterLineHeight;
  }
}

}  // namespace

MenuCommand CommandOf(const platform::KeyEvent& key) {
  for (const MenuKey& k : kMenuKeys)
    if (k.virtualKey == key.virtualKey) return k.command;
  return MenuCommand::kNone;
}

void HeldKeys::Mark(Held& held, const platform::KeyEvent& key, bool down) {
  if (key.padButton > platform::kPadNone && key.padButton < platform::kPadButtonCount) held.pad.set(key.padButton, down);
  else if (key.scanCode != 0) held.keys.set(key.scanCode, down);
  for (int d = 0; d < 4; ++d)
    if (key.virtualKey == kStickKeys[d]) held.stick.set(d, down);
}

void HeldKeys::Change(const platform::KeyEvent& key, bool down) {
  if (key.byFocusLoss) return;
  Mark(held_, key, down);
  // Let go, a key pressed again is a new press.
  if (!down) Mark(since_, key, false);
}

void HeldKeys::Take(const platform::HeldInput& devices) {
  for (size_t k = 0; k < held_.keys.size(); ++k) held_.keys[k] = devices.keys[k] != 0;
  held_.pad = devices.pad;
  held_.stick = devices.stick;
  since_.keys &= held_.keys;
  since_.pad &= held_.pad;
  since_.stick &= held_.stick;
}

VantorInputSystem::TVantorInputState HeldKeys::ControlsOf(const Held& h, const platform::Bindings& b) {
  uint8_t held[platform::kPause] = {};
  for (int c = 0; c < platform::kPause; ++c) {
    const bool direction = c < 4;
    held[c] = h.keys.test(b.keys[c]) || (direction && (h.stick.test(c) || h.pad.test(kDpad[c]))) ||
              (!direction && b.pad[c] > platform::kPadNone && h.pad.test(b.pad[c]));
  }
  VantorInputSystem::TVantorInputState state{};
  state.Up = held[platform::kUp] * 3;
  state.Down = held[platform::kDown] * 3;
  state.Left = held[platform::kLeft] * 3;
  state.Right = held[platform::kRight] * 3;
  state.Button1 = held[platform::kButton1] * 3;
  state.Button2 = held[platform::kButton2] * 3;
  state.Button3 = held[platform::kButton3] * 3;
  return state;
}

void GoBack(TForm1& form, int) {
  Menus& menus = form.menus;
  if (!menus.Pop()) menus.Bottom().leave(form);
}

int EntriesShown(const MenuPage& page) { return (kEntriesBottom - kGlyph - page.top) / Spacing(page.layout) + 1; }

void Menus::Push(TForm1& form, const MenuPage& page) {
  if (depth_ == kDepth) return;
  stack_[depth_++] = {&page, page.make ? page.make(form) : page.entries, 0, 0};
  // The first entry the cursor may rest on.
  if (Entries()[0].info) Move(1);
  ForgetHeld();
  notice.clear();
  VantorSystem::VnTrace(std::string("Menu: ") + page.name);
}

void Menus::Open(TForm1& form, const MenuPage& page) {
  const std::span<const MenuEntry> entries = Entries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].page == &page) Highlight(static_cast<int>(i));
  Push(form, page);
}

void Menus::Remake(TForm1& form) {
  Level& level = stack_[depth_ - 1];
  level.entries = level.page->make(form);
  Highlight(level.highlighted);
}

bool Menus::Pop() {
  if (depth_ <= 1) return false;
  --depth_;
  keyboard.Close();
  ForgetHeld();
  capturing_ = false;
  notice.clear();
  return true;
}

void Menus::CloseAll() {
  depth_ = 0;
  keyboard.Close();
  ForgetHeld();
  capturing_ = false;
  notice.clear();
}

void Menus::Move(int delta) {
  const std::span<const MenuEntry> entries = Entries();
  const int count = static_cast<int>(entries.size());
  int next = Highlighted();
  for (int tries = 0; tries < count; ++tries) {
    next = ((next + delta) % count + count) % count;
    if (!entries[static_cast<size_t>(next)].info) break;
  }
  Highlight(next);
}

void Menus::Highlight(int index) {
  Level& level = stack_[depth_ - 1];
  const int count = static_cast<int>(level.entries.size());
  const int shown = EntriesShown(*level.page);
  level.highlighted = std::clamp(index, 0, count - 1);
  // Whole pages, never overlapping: the last one may be short.
  level.first = level.highlighted - level.highlighted % shown;
}

void Menus::StartCapture(Capture capture) {
  capture_ = capture;
  capturing_ = true;
  ForgetHeld();
  notice.clear();
}

void Menus::Run(TForm1& form, MenuCommand command) {
  if (keyboard.IsOpen()) return keyboard.Move(command);
  const MenuEntry& entry = Entry();
  switch (command) {
    case MenuCommand::kUp: Move(-1); break;
    case MenuCommand::kDown: Move(1); break;
    case MenuCommand::kLeft:
    case MenuCommand::kRight: {
      const int direction = command == MenuCommand::kLeft ? -1 : 1;
      // Entries without a value to change turn a long page's pages.
      const int shown = EntriesShown(Page());
      if (entry.step) entry.step(form, entry.arg, direction);
      else if (static_cast<int>(Entries().size()) > shown) Highlight(Highlighted() + direction * shown);
      break;
    }
    case MenuCommand::kChoose:
      if (entry.greyed) break;
      if (entry.page) Push(form, *entry.page);
      else if (entry.choose) entry.choose(form, entry.arg);
      break;
    case MenuCommand::kBack: GoBack(form, 0); break;
    case MenuCommand::kNone: break;
  }
}

void Menus::KeyDown(TForm1& form, const platform::KeyEvent& key) {
  if (capturing_) {
    CaptureKey(form, key, true);
    return;
  }
  const MenuCommand command = CommandOf(key);
  // The keyboard has every key but the directions, which move its cursor
  // as they move the menus' (the pause key and Start are its own).
  if (keyboard.IsOpen() && !Direction(command)) return keyboard.KeyDown(form, key);
  if (form.IsPauseKey(key)) {
    Bottom().leave(form);
    return;
  }
  if (Direction(command)) {
    heldKey_ = key.virtualKey;
    heldCommand_ = command;
    heldFrames_ = 0;
  }
  Run(form, command);
}

void Menus::Text(TForm1& form, const std::string& utf8) {
  if (keyboard.IsOpen()) keyboard.Type(form, utf8);
}

void Menus::KeyUp(TForm1& form, const platform::KeyEvent& key) {
  if (capturing_) CaptureKey(form, key, false);
  if (key.virtualKey == heldKey_) heldCommand_ = MenuCommand::kNone;
}

void Menus::Frame(TForm1& form) {
  if (heldCommand_ == MenuCommand::kNone) return;
  ++heldFrames_;
  if (heldFrames_ >= kRepeatAfter && (heldFrames_ - kRepeatAfter) % kRepeatEvery == 0) Run(form, heldCommand_);
}

std::string Menus::TraceName() const {
  if (!IsOpen()) return {};
  if (keyboard.IsOpen()) return "keyboard:" + std::string(keyboard.Cursor().label);
  return std::string(Page().name) + ":" + Entry().label + (capturing_ ? ":press" : "");
}

void DrawMenus(TForm1& f) {
  const Menus& menus = f.menus;
  if (!menus.IsOpen()) return;
  if (menus.keyboard.IsOpen()) {
    DrawKeyboard(f);
    return DrawFooter(f, menus.notice.empty() ? kTypingHelp : menus.notice, !menus.notice.empty());
  }
  const MenuPage& page = menus.Page();
  const std::span<const MenuEntry> entries = menus.Entries();
  const int count = static_cast<int>(entries.size());
  const int shown = EntriesShown(page);
  const bool paged = count > shown;
  if (page.view) page.view(f, menus.First(), std::min(count - menus.First(), shown));
  const int headingY = page.top - kHeadingGap;
  if (page.heading) f.DrawGlyphText(CentredX(page.heading), headingY, 0, Glyphs(page.heading));
  if (paged) {
    const int first = menus.First() + 1, last = std::min(count, menus.First() + shown);
    const std::string place = std::to_string(first) + "-" + std::to_string(last) + " of " + std::to_string(count);
    DrawText(f, std::min(kPlaceX, kRightEdge - PlainWidth(f, place)), headingY, place, kNoteColour);
  }
  for (int i = menus.First(); i < std::min(count, menus.First() + shown); ++i) {
    const MenuEntry& entry = entries[i];
    const bool highlighted = i == menus.Highlighted();
    const int y = page.top + (i - menus.First()) * Spacing(page.layout);
    const int width = entry.plain ? PlainWidth(f, entry.shown ? entry.shown : entry.label)
                                  : static_cast<int>(std::strlen(entry.label)) * kGlyph;
    const int x = page.layout == MenuLayout::kList ? 320 - width / 2 : kLabelX;
    DrawLabel(f, entry, x, y, highlighted);
    if (highlighted) f.cdraw->Draw(x - kCursorGap, y - 4, "left", 0, VantorDrawSystem::beNormal, -1);
    if (!entry.value) continue;
    const int valueX = page.layout == MenuLayout::kRows ? x + width : kValueX;
    DrawValue(f, valueX, y, entry.value(f, entry.arg), highlighted);
  }
  const Capture* capture = menus.Capturing();
  if (capture) {
    const std::string prompt = Glyphs(std::string(capture->pad ? "PRESS A BUTTON FOR " : "PRESS A KEY FOR ") +
                                      kControlLabels[capture->control]);
    f.DrawGlyphText(CentredX(prompt), kPromptY, 2, prompt);
  }
  // A greyed entry says why under the page, whole.
  const MenuEntry& entry = menus.Entry();
  const std::string why = entry.greyed && entry.value ? entry.value(f, entry.arg).note : "";
  const bool told = !menus.notice.empty() || !why.empty();
  const std::string footer = !menus.notice.empty() ? menus.notice
                             : !why.empty()       ? why
                             : capture            ? (capture->pad ? "Escape or Start: keep the button it has"
                                                                  : "Escape or Start: keep the key it has")
                             : entry.step         ? kStepHelp
                             : paged              ? kPageHelp
                                                  : kHelp;
  DrawFooter(f, footer, told);
}

void DrawMenuText(TForm1& f, int x, int y, const std::string& utf8, bool highlighted) {
  DrawText(f, x, y, utf8, highlighted ? kHighlightColour : kValueColour);
}

MenuValue PlainValue(std::string text) {
  if (text.size() > kValueLetters) text = text.substr(0, kValueLetters - 3) + "...";
  return {std::move(text), false, {}};
}

std::vector<std::string> WrapText(std::string_view text, size_t letters) {
  std::vector<std::string> lines;
  while (text.size() > letters) {
    // At the last space that fits; a longer word (a path) after its last
    // "/" that fits, else where the line is full (never inside a letter of
    // more than one byte).
    size_t cut = text.rfind(' ', letters);
    size_t skip = 1;
    if (cut == std::string_view::npos || cut == 0) {
      skip = 0;
      cut = text.rfind('/', letters - 1);
      if (cut == std::string_view::npos || cut == 0) {
        cut = letters;
        while (cut > 1 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
      } else {
        ++cut;
      }
    }
    lines.emplace_back(text.substr(0, cut));
    text.remove_prefix(cut + skip);
  }
  lines.emplace_back(text);
  return lines;
}

}  // namespace game
