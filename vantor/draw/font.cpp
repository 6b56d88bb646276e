#include "vantor/draw/font.h"

#include "platform/platform.h"

namespace {
// a * b / c rounded to the nearest, halves away from zero.
int MulDiv(int a, int b, int c) {
  long long product = static_cast<long long>(a) * b;
  long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}
}  // namespace

int TFont::GetSize() const { return -MulDiv(Height, 72, PixelsPerInch); }

void TFont::SetSize(int points) { Height = -MulDiv(points, PixelsPerInch, 72); }

void TFont::Assign(const TFont& source) { *this = source; }

platform::FontSpec FontSpecOf(const TFont& font) {
  platform::FontSpec spec;
  spec.cp932Face = font.Name;
  spec.height = font.Height;
  spec.color = font.Color;
  spec.bold = font.Style & fsBold;
  spec.italic = font.Style & fsItalic;
  spec.underline = font.Style & fsUnderline;
  return spec;
}

int TextWidth(const TFont& font, const AnsiString& text) {
  platform::TextRenderer* renderer = platform::Current().text;
  return renderer ? renderer->Width(text, FontSpecOf(font)) : 0;
}
