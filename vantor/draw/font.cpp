#include "vantor/draw/font.h"

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
