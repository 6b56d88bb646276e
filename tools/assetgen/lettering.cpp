#include "lettering.h"

namespace assetgen {

namespace {

// Each glyph is a set of polylines separated by '|'; a point is two digits "xy" on the grid
// x 0..4 (left to right), y 0..6 (top to bottom). Characters without strokes are gaps.
struct Strokes {
  char c;
  const char* lines;
};

constexpr Strokes kFont[] = {
    {'0', "10 30 41 45 36 16 05 01 10|14 32"},
    {'1', "12 30 36|16 46"},
    {'2', "01 10 30 41 42 06 46"},
    {'3', "01 10 30 41 42 33 13|33 44 45 36 16 05"},
    {'4', "30 04 44|32 36"},
    {'5', "40 00 02 32 43 45 36 06"},
    {'6', "40 10 01 05 16 36 45 43 32 02"},
    {'7', "00 40 41 16"},
    {'8', "10 30 41 42 33 13 02 01 10|13 04 05 16 36 45 44 33"},
    {'9', "43 13 02 01 10 30 41 45 36 06"},
    {'A', "06 02 20 42 46|04 44"},
    {'B', "00 30 41 42 33 03|33 44 45 36 06 00"},
    {'C', "41 30 10 01 05 16 36 45"},
    {'D', "00 30 41 45 36 06 00"},
    {'E', "40 00 06 46|03 33"},
    {'F', "40 00 06|03 33"},
    {'G', "41 30 10 01 05 16 36 45 43 23"},
    {'H', "00 06|40 46|03 43"},
    {'I', "10 30|20 26|16 36"},
    {'J', "20 40 45 36 16 05"},
    {'K', "00 06|40 03 46"},
    {'L', "00 06 46"},
    {'M', "06 00 23 40 46"},
    {'N', "06 00 46 40"},
    {'O', "10 30 41 45 36 16 05 01 10"},
    {'P', "06 00 30 41 42 33 03"},
    {'Q', "10 30 41 45 36 16 05 01 10|24 46"},
    {'R', "06 00 30 41 42 33 03|23 46"},
    {'S', "41 30 10 01 02 13 33 44 45 36 16 05"},
    {'T', "00 40|20 26"},
    {'U', "00 05 16 36 45 40"},
    {'V', "00 03 26 43 40"},
    {'W', "00 06 23 46 40"},
    {'X', "00 46|40 06"},
    {'Y', "00 23 40|23 26"},
    {'Z', "00 40 06 46"},
};

const char* StrokesOf(char c) {
  for (const Strokes& s : kFont)
    if (s.c == c) return s.lines;
  return "";
}

void AddGlyphPath(cairo_t* cr, const char* lines, double x, double y, const LetterStyle& st) {
  bool newLine = true;
  for (const char* p = lines; *p != '\0'; ++p) {
    if (*p == '|') {
      newLine = true;
    } else if (*p >= '0' && *p <= '9' && p[1] >= '0' && p[1] <= '9') {
      const double px = x + (p[0] - '0') * st.unitX, py = y + (p[1] - '0') * st.unitY;
      if (newLine) cairo_move_to(cr, px, py);
      else cairo_line_to(cr, px, py);
      newLine = false;
      ++p;
    }
  }
}

void AddTextPath(cairo_t* cr, const std::string& text, double x, double y, const LetterStyle& st) {
  cairo_new_path(cr);
  for (size_t i = 0; i < text.size(); ++i) AddGlyphPath(cr, StrokesOf(text[i]), x + i * st.advance, y, st);
}

}  // namespace

double LettersWidth(const std::string& text, const LetterStyle& style) {
  if (text.empty()) return 0;
  return (text.size() - 1) * style.advance + 4 * style.unitX;
}

void DrawLetters(const Canvas& canvas, const std::string& text, double x, double y, const LetterStyle& st) {
  cairo_t* cr = canvas.cr();
  AddTextPath(cr, text, x, y, st);
  canvas.SetColour(st.edge);
  cairo_set_line_width(cr, st.stroke + 2 * st.outline);
  cairo_stroke(cr);

  AddTextPath(cr, text, x, y, st);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + 6 * st.unitY);
  cairo_pattern_add_color_stop_rgb(g, 0, st.top.r, st.top.g, st.top.b);
  cairo_pattern_add_color_stop_rgb(g, 1, st.bottom.r, st.bottom.g, st.bottom.b);
  cairo_set_source(cr, g);
  cairo_set_line_width(cr, st.stroke);
  cairo_stroke(cr);
  cairo_pattern_destroy(g);

  if (st.highlight && st.stroke >= 3) {
    // Light falls from the upper left: a thin bright line offset that way.
    AddTextPath(cr, text, x - st.stroke * 0.18, y - st.stroke * 0.22, st);
    const Colour hi = st.top.Lighter(0.6);
    canvas.SetColour(hi);
    cairo_set_line_width(cr, st.stroke * 0.3);
    cairo_stroke(cr);
  }
}

void DrawLettersCentred(const Canvas& canvas, const std::string& text, const LetterStyle& style) {
  const double w = LettersWidth(text, style);
  DrawLetters(canvas, text, (canvas.Width() - w) / 2, (canvas.Height() - 6 * style.unitY) / 2, style);
}

}  // namespace assetgen
