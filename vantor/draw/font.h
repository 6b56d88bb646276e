#pragma once
// TFont: the framework's font description (face, height, colour, character
// set, style). The draw component owns one and TextOutA writes with it.
#include <cstdint>

#include "platform/text.h"
#include "vantor/system/text.h"

// 0x00BBGGRR
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

using TFontCharset = uint8_t;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SHIFTJIS_CHARSET = 128;

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;  // a set of TFontStyle bits

class TFont {
 public:
  // Sizes are points at the screen's 96 pixels per inch.
  static constexpr int PixelsPerInch = 96;

  AnsiString Name = "MS Sans Serif";  // CP932
  int Height = -11;  // negative: character height in pixels; positive: cell height
  TColor Color = clBlack;
  TFontCharset Charset = DEFAULT_CHARSET;
  TFontStyles Style = 0;

  int GetSize() const;
  void SetSize(int points);
  // Copies every attribute of `source`.
  void Assign(const TFont& source);
};

// What the text renderer is asked to draw with: `font` as it stands.
platform::FontSpec FontSpecOf(const TFont& font);

// How wide TextOutA writes `text` (CP932) in `font`, in pixels; 0 where it
// writes nothing (no text renderer, or no face).
int TextWidth(const TFont& font, const AnsiString& text);
