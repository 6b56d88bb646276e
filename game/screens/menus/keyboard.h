#pragma once
// The on-screen keyboard of a text entry (the online name, the board's
// address, a name's token), so a pad alone can type: a fixed grid of
// letters, digits, space and the symbols an address needs. The D-pad, the
// stick or the cursor keys move over it; A types the key under the cursor,
// B or Backspace deletes the last letter, Start or Enter takes the text,
// Escape or Back leaves the entry as it was. A physical keyboard types as
// well, through the platform's text input, on while the keyboard is open.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/app.h"

namespace game {

class TForm1;
enum class MenuCommand : uint8_t;

// What a text entry takes, and what becomes of it.
struct TextField {
  const char* title;  // glyph letters ("NAME")
  size_t maxLength;
  // Why `text` cannot be taken, as the player reads it; empty when it can.
  std::string (*refusal)(const std::string& text, int arg);
  // Takes the text, once the keyboard has closed.
  void (*take)(TForm1& form, const std::string& text, int arg);
  int arg = 0;  // the field's own
};

class OnScreenKeyboard {
 public:
  // The grid's columns, and its rows.
  static constexpr int kColumns = 13;
  static constexpr int kRows = 7;

  bool IsOpen() const { return field_ != nullptr; }
  // Opens for `field` with `text` to change, the cursor on the first key.
  void Open(const TextField& field, std::string text);
  // Closes without taking the text.
  void Close();

  // A key going down that moves nothing (the menus move the cursor and
  // repeat a held direction).
  void KeyDown(TForm1& form, const platform::KeyEvent& key);
  void Move(MenuCommand direction);
  // Text from the platform: printable ASCII letters are typed, anything
  // else is refused with the reason on the menus' notice line.
  void Type(TForm1& form, std::string_view utf8);

  const TextField& Field() const { return *field_; }
  const std::string& Text() const { return text_; }
  // The key under the cursor by its label ("A", "SPACE"), as the trace
  // names it, and where it stands: its row, first column and width.
  struct Key {
    std::string_view label;
    int row, column, width;
  };
  Key Cursor() const;
  static Key KeyAt(int row, int column);

  // What a key of the grid, of the keyboard or of the pad does.
  enum class Action : uint8_t { kType, kSpace, kDelete, kTake, kCancel };

 private:
  static Action ActionOf(const Key& key);
  void Act(TForm1& form, Action action);
  // Adds `letter` when there is room; false (the player told why) when not.
  bool Add(TForm1& form, char letter);

  const TextField* field_ = nullptr;
  std::string text_;
  int row_ = 0, column_ = 0;
};

// The keyboard over the page it types for: its title, the text, the grid.
void DrawKeyboard(TForm1& form);

}  // namespace game
