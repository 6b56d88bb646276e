// Messages in the game's window: which events close them, and how their
// lines are broken to fit.
#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/sdl/message_screen.h"

namespace platform::sdl {
namespace {

SDL_Event Key(SDL_Keycode key, Uint16 mod = 0, Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = key;
  event.key.keysym.mod = mod;
  event.key.repeat = repeat;
  return event;
}

SDL_Event OfType(Uint32 type) {
  SDL_Event event{};
  event.type = type;
  return event;
}

TEST(MessageScreen, EnterEscapeSpaceAndPadButtonsCloseIt) {
  struct Case {
    SDL_Event event;
    bool closes;
  };
  const Case cases[] = {
      {Key(SDLK_RETURN), true},          {Key(SDLK_KP_ENTER), true},
      {Key(SDLK_ESCAPE), true},          {Key(SDLK_SPACE), true},
      {OfType(SDL_CONTROLLERBUTTONDOWN), true}, {OfType(SDL_JOYBUTTONDOWN), true},
      {Key(SDLK_z), false},              {Key(SDLK_RETURN, KMOD_LALT), false},  // Alt+Enter switches the display
      {Key(SDLK_SPACE, 0, 1), false},    // a key held from before the message
      {OfType(SDL_KEYUP), false},        {OfType(SDL_MOUSEBUTTONDOWN), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ClosesMessage(c.event), c.closes) << c.event.type << " " << c.event.key.keysym.sym;
}

TEST(MessageScreen, LinesBreakAtFeedsThenSpacesThenBetweenCharacters) {
  TtfTextRenderer text;
  const FontSpec font{Utf8ToCp932("ＭＳ Ｐゴシック"), -16, 0xFFFFFF};
  if (text.FaceFile(font.cp932Face).empty()) GTEST_SKIP() << "no font";
  constexpr int kWidth = 200;
  auto fits = [&](const std::vector<std::string>& lines) {
    for (const std::string& line : lines) EXPECT_LE(text.TextWidth(line, font), kWidth) << line;
  };
  // Words go whole to the next line.
  const std::string english = "The picture is missing or damaged: reinstall the game, or build it again";
  std::vector<std::string> lines = WrapText(text, english, font, kWidth);
  ASSERT_GT(lines.size(), 2u);
  fits(lines);
  std::string joined = lines[0];
  for (size_t i = 1; i < lines.size(); ++i) joined += " " + lines[i];
  EXPECT_EQ(joined, english);

  // A line without spaces breaks between whole characters, of any script;
  // line feeds stay.
  const std::string unbroken = "ＢＭＰの読み込みに失敗しました。/home/jürgen/.local/share/solvara/bmp/b03.bmp";
  lines = WrapText(text, "エラー\n\n" + unbroken, font, kWidth);
  ASSERT_GT(lines.size(), 3u);
  fits(lines);
  EXPECT_EQ(lines[0], "エラー");
  EXPECT_EQ(lines[1], "");
  joined.clear();
  for (size_t i = 2; i < lines.size(); ++i) joined += lines[i];
  EXPECT_EQ(joined, unbroken);
}

}  // namespace
}  // namespace platform::sdl
