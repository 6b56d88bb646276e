#include "game/screens/menus/keyboard.h"

#include <utility>

#include "game/form.h"
#include "game/screens/menus/menu.h"
#include "platform/platform.h"

namespace game {
namespace {

// The grid's letters, row by row; the last row ends in keys two columns
// wide. Every letter an address needs is here (RFC 3986's unreserved and
// reserved characters, and "%").
constexpr std::string_view kLetterRows[OnScreenKeyboard::kRows] = {
    "ABCDEFGHIJKLM", "NOPQRSTUVWXYZ", "abcdefghijklm", "nopqrstuvwxyz", "0123456789.-_", ":/?#[]@!$&'()", "*+,;=%~",
};
using Action = OnScreenKeyboard::Action;
struct WideKey {
  const char* label;
  Action action;
};
constexpr WideKey kWideKeys[] = {{"SPACE", Action::kSpace}, {"DEL", Action::kDelete}, {"OK", Action::kTake}};
constexpr int kWide = 2;
static_assert(kLetterRows[OnScreenKeyboard::kRows - 1].size() + std::size(kWideKeys) * kWide ==
              OnScreenKeyboard::kColumns);

// Keys of the keyboard and the pad that are no letter; the others type
// through the text input, or not at all.
struct KeyAction {
  int virtualKey;
  Action action;
};
constexpr KeyAction kKeyActions[] = {
    {platform::kVirtualKeyPadA, Action::kType},        {platform::kVirtualKeyPadB, Action::kDelete},
    {platform::kVirtualKeyBackspace, Action::kDelete}, {platform::kVirtualKeyPadStart, Action::kTake},
    {platform::kVirtualKeyReturn, Action::kTake},      {platform::kVirtualKeyEscape, Action::kCancel},
    {platform::kVirtualKeyPadBack, Action::kCancel},
};

bool Printable(char c) { return c >= 0x20 && c <= 0x7E; }

// Where the keyboard goes on the 640 x 480 picture.
constexpr int kTitleY = 40;
constexpr int kTextX = 80, kTextY = 80, kTextLineHeight = 16;
constexpr size_t kTextLetters = 60;  // at about 8 pixels a letter
constexpr int kCellWidth = 40, kCellHeight = 32;
constexpr int kGridX = 320 - OnScreenKeyboard::kColumns * kCellWidth / 2, kGridY = 160;
constexpr int kLetterWidth = 8, kGlyph = 16;

}  // namespace

OnScreenKeyboard::Key OnScreenKeyboard::KeyAt(int row, int column) {
  const std::string_view letters = kLetterRows[row];
  const int count = static_cast<int>(letters.size());
  if (column < count) return {letters.substr(static_cast<size_t>(column), 1), row, column, 1};
  const int wide = (column - count) / kWide;
  return {kWideKeys[wide].label, row, count + wide * kWide, kWide};
}

OnScreenKeyboard::Key OnScreenKeyboard::Cursor() const { return KeyAt(row_, column_); }

OnScreenKeyboard::Action OnScreenKeyboard::ActionOf(const Key& key) {
  if (key.width == 1) return Action::kType;
  return kWideKeys[(key.column - static_cast<int>(kLetterRows[key.row].size())) / kWide].action;
}

void OnScreenKeyboard::Open(const TextField& field, std::string text) {
  field_ = &field;
  text_ = std::move(text);
  row_ = column_ = 0;
  platform::Current().app->SetTextInput(true);
}

void OnScreenKeyboard::Close() {
  if (!IsOpen()) return;
  field_ = nullptr;
  text_.clear();
  platform::Current().app->SetTextInput(false);
}

void OnScreenKeyboard::KeyDown(TForm1& form, const platform::KeyEvent& key) {
  for (const KeyAction& k : kKeyActions)
    // A presses the key under the cursor, whatever that key does.
    if (k.virtualKey == key.virtualKey) return Act(form, k.action == Action::kType ? ActionOf(Cursor()) : k.action);
}

void OnScreenKeyboard::Move(MenuCommand direction) {
  const Key key = Cursor();
  switch (direction) {
    case MenuCommand::kUp: row_ = (row_ + kRows - 1) % kRows; break;
    case MenuCommand::kDown: row_ = (row_ + 1) % kRows; break;
    case MenuCommand::kLeft: column_ = KeyAt(row_, (key.column + kColumns - 1) % kColumns).column; break;
    case MenuCommand::kRight: column_ = (key.column + key.width) % kColumns; break;
    default: break;
  }
}

void OnScreenKeyboard::Type(TForm1& form, std::string_view utf8) {
  for (char c : utf8) {
    if (!Printable(c)) {
      form.menus.notice = std::string(field_->title) + " takes printable ASCII characters only, which " +
                          std::string(utf8) + " is not";
      return;
    }
    if (!Add(form, c)) return;
  }
}

bool OnScreenKeyboard::Add(TForm1& form, char letter) {
  if (text_.size() >= field_->maxLength) {
    form.menus.notice = std::string(field_->title) + " takes at most " + std::to_string(field_->maxLength) +
                        " characters";
    return false;
  }
  text_ += letter;
  form.menus.notice.clear();
  return true;
}

void OnScreenKeyboard::Act(TForm1& form, Action action) {
  switch (action) {
    case Action::kType: Add(form, Cursor().label.front()); break;
    case Action::kSpace: Add(form, ' '); break;
    case Action::kDelete:
      if (!text_.empty()) text_.pop_back();
      form.menus.notice.clear();
      break;
    case Action::kTake: {
      if (std::string why = field_->refusal(text_, field_->arg); !why.empty()) {
        form.menus.notice = std::move(why);
        break;
      }
      const TextField& field = *field_;
      const std::string text = text_;
      Close();
      form.menus.notice.clear();
      field.take(form, text, field.arg);
      break;
    }
    case Action::kCancel:
      Close();
      form.menus.notice.clear();
      break;
  }
}

void DrawKeyboard(TForm1& f) {
  const OnScreenKeyboard& keyboard = f.menus.keyboard;
  const std::string title = keyboard.Field().title;
  f.DrawGlyphText(320 - static_cast<int>(title.size()) * kGlyph / 2, kTitleY, 0, title);
  // The text in lines of a fixed length, so the caret's place is plain.
  const std::string text = keyboard.Text() + "_";
  for (size_t at = 0, line = 0; at < text.size(); at += kTextLetters, ++line)
    DrawMenuText(f, kTextX, kTextY + static_cast<int>(line) * kTextLineHeight, text.substr(at, kTextLetters), false);
  const OnScreenKeyboard::Key cursor = keyboard.Cursor();
  for (int row = 0; row < OnScreenKeyboard::kRows; ++row)
    for (int column = 0; column < OnScreenKeyboard::kColumns;) {
      const OnScreenKeyboard::Key key = OnScreenKeyboard::KeyAt(row, column);
      const bool highlighted = key.row == cursor.row && key.column == cursor.column;
      // The key under the cursor stands between arrows.
      const std::string label = highlighted ? ">" + std::string(key.label) + "<" : std::string(key.label);
      const int width = static_cast<int>(label.size()) * kLetterWidth;
      DrawMenuText(f, kGridX + key.column * kCellWidth + (key.width * kCellWidth - width) / 2,
                   kGridY + row * kCellHeight, label, highlighted);
      column += key.width;
    }
}

}  // namespace game
