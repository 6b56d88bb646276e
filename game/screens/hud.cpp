#include <charconv>

#include "game/form.h"
#include "vantor/draw/draw.h"

namespace game {
namespace {

constexpr int kGlyphAdvance = 16;
constexpr int kMaxSpareShips = 10;

// The sprite of character `c` in a glyph style, or -1 when the style has no
// glyph for it.
int GlyphSprite(int style, char c) {
  const bool digit = c >= '0' && c <= '9';
  const bool letter = (c >= 'A' && c <= 'Z') || c == '[';
  if (style == 1) return digit ? sprite::k0s + (c - '0') : -1;
  if (style != 0 && style != 2) return -1;
  if (digit) return sprite::kGlyph + (c - '0');
  return letter ? sprite::kGlyph + (c - 55) : -1;
}

}  // namespace

void TForm1::DrawGlyphText(int x, int y, int style, std::string_view text) {
  // A character without a glyph draws nothing but still takes its place.
  const auto effect = style == 2 ? VantorDrawSystem::beColorAdd : VantorDrawSystem::beNormal;
  const int level = style == 2 ? 0x777777 : -1;
  for (size_t i = 0; i < text.size(); ++i) {
    const int index = GlyphSprite(style, text[i]);
    if (index >= 0) cdraw->Draw(x + kGlyphAdvance * static_cast<int>(i), y, SpriteNames[index], 0, effect, level);
  }
}

std::string_view TForm1::FormatNumber(int32_t value) {
  auto [end, ec] = std::to_chars(numberBuffer, numberBuffer + sizeof numberBuffer, value);
  return std::string_view(numberBuffer, ec == std::errc() ? static_cast<size_t>(end - numberBuffer) : 0);
}

void TForm1::DrawScoreLine() {
  DrawGlyphText(20, 0, 0, "SCORE");
  if (practice) {
    // A practice has no place in the ranking: its mark stands where the
    // high score would.
    DrawGlyphText(120, 0, 1, FormatNumber(GameState.score));
    DrawGlyphText(330, 0, 0, "PRACTICE");
  } else {
    DrawGlyphText(330, 0, 0, "HI[SCORE");
    DrawGlyphText(120, 0, 1, FormatNumber(GameState.score));
    const int32_t high = GameState.score > Ranking[0].score ? GameState.score : Ranking[0].score;
    DrawGlyphText(480, 0, 1, FormatNumber(high));
  }
  if (GameState.lives > kMaxSpareShips) return;
  for (int k = 1; k <= GameState.lives; ++k)
    cdraw->Draw(13 + 30 * (k - 1), 444, "left", 0, VantorDrawSystem::beNormal, -1);
}

}  // namespace game
