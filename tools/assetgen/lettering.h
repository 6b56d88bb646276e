#pragma once

#include <string>

#include "canvas.h"

namespace assetgen {

// The game's lettering is a stroke font of our own on a 4 x 6 grid: every picture that shows
// text (glyphs, banners, the logo, item letters) is drawn from the same strokes.
struct LetterStyle {
  double unitX, unitY;   // size of one grid step
  double advance;        // distance between glyph origins
  double stroke;         // width of the coloured stroke
  double outline;        // extra width of the dark outline on each side
  Colour top, bottom;    // vertical gradient of the strokes
  Colour edge;           // outline colour
  bool highlight = true; // a thin light line along the upper side of each stroke
};

// Draws text with its top-left grid corner at (x, y).
void DrawLetters(const Canvas& canvas, const std::string& text, double x, double y, const LetterStyle& style);

// Width of the text in pixels from the first stroke to the last.
double LettersWidth(const std::string& text, const LetterStyle& style);

// Draws text centred in the canvas.
void DrawLettersCentred(const Canvas& canvas, const std::string& text, const LetterStyle& style);

}  // namespace assetgen
