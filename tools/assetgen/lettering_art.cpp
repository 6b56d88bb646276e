#include <algorithm>
#include <cmath>
#include <cstring>

#include "craft_parts.h"
#include "families.h"
#include "lettering.h"

namespace assetgen {

namespace {

struct Tone {
  Colour top, bottom, rule;
};

// Banner tones: stage titles gold, mission complete green, warning red, game over steel.
constexpr Tone kTones[] = {
    {palette::kGoldTop, palette::kGoldBottom, palette::kGoldBottom},
    {Rgb(210, 255, 200), Rgb(40, 170, 90), Rgb(60, 200, 110)},
    {Rgb(255, 210, 170), Rgb(220, 30, 30), Rgb(230, 50, 40)},
    {Rgb(235, 240, 255), Rgb(100, 110, 200), Rgb(120, 130, 220)},
};

// Letters as tall as the height allows, narrowed to fit the width.
LetterStyle FitStyle(const std::string& text, double width, double height, const Tone& tone) {
  LetterStyle st{};
  st.unitY = height / 6;
  st.unitX = st.unitY * 1.15;
  st.advance = st.unitX * 5.4;
  const double need = LettersWidth(text, st);
  if (need > width) {
    const double k = width / need;
    st.unitX *= k;
    st.advance *= k;
  }
  st.stroke = std::max(1.8, st.unitX * 0.75);
  st.outline = std::max(1.1, st.stroke * 0.3);
  st.top = tone.top;
  st.bottom = tone.bottom;
  st.edge = palette::kOutline;
  return st;
}

// A rule that tapers to points at both ends.
void TaperedRule(const Canvas& c, double y, double x0, double x1, double thick, const Colour& col) {
  c.Polygon({{x0, y}, {(x0 + x1) / 2, y - thick / 2}, {x1, y}, {(x0 + x1) / 2, y + thick / 2}});
  c.SetColour(col);
  cairo_fill(c.cr());
}

}  // namespace

void PaintGlyph(const Canvas& c, char ch) {
  // The 16-pixel font; "[" is the word gap and stays empty.
  LetterStyle st{2.5, 2.0, 0, 2.4, 1.0, palette::kGoldTop, palette::kGoldBottom, palette::kOutline, false};
  DrawLetters(c, std::string(1, ch), 3, 2, st);
}

void PaintSmallDigit(const Canvas& c, char ch) {
  // The score digits: narrower and cool-coloured, so the score reads apart from the labels.
  LetterStyle st{2.1, 1.9, 0, 1.9, 0.9, Rgb(225, 250, 255), Rgb(80, 170, 255), palette::kOutline, false};
  DrawLetters(c, std::string(1, ch), 3.8, 2.6, st);
}

void PaintBanner(const Canvas& c, const char* text, int tone) {
  const Tone& t = kTones[tone];
  const double w = c.Width(), h = c.Height();
  TaperedRule(c, 2.5, 0, w, 3, t.rule);
  TaperedRule(c, h - 2.5, 0, w, 3, t.rule);
  const LetterStyle st = FitStyle(text, w - 12, h - 12, t);
  DrawLettersCentred(c, text, st);
}

void PaintWarningStrip(const Canvas& c) {
  // Hazard stripes with the word repeated on dark plates.
  cairo_t* cr = c.cr();
  const double w = c.Width(), h = c.Height();
  cairo_rectangle(cr, 0, 0, w, h);
  c.SetColour(Rgb(34, 22, 12));
  cairo_fill(cr);
  for (double x = -h; x < w + h; x += 18) {
    c.Polygon({{x, h}, {x + h, 0}, {x + h + 8, 0}, {x + 8, h}});
    c.SetColour(Rgb(250, 200, 40));
    cairo_fill(cr);
  }
  const Tone& red = kTones[2];
  LetterStyle st{2.4, 2.2, 13, 1.9, 1.0, red.top, red.bottom, palette::kOutline, false};
  for (int k = 0; k < 3; ++k) {
    const double cx = w * (k + 0.5) / 3;
    c.RoundedRect(cx - 55, 1.5, 110, h - 3, 3);
    c.SetColour(Rgb(30, 14, 16));
    cairo_fill(cr);
    DrawLetters(c, "WARNING", cx - LettersWidth("WARNING", st) / 2, (h - 6 * st.unitY) / 2, st);
  }
}

void PaintScorePopup(const Canvas& c, const char* text) {
  LetterStyle st{};
  st.unitY = 2.0;
  st.unitX = std::min(2.3, (c.Width() - 3.0) / ((std::strlen(text) - 1) * 5.0 + 4));
  st.advance = st.unitX * 5;
  st.stroke = 1.7;
  st.outline = 1.0;
  st.top = palette::kWhite;
  st.bottom = palette::kBonusItem;
  st.edge = palette::kOutline;
  st.highlight = false;
  DrawLettersCentred(c, text, st);
}

void PaintLogo(const Canvas& c) {
  cairo_t* cr = c.cr();
  // An orbit sweeping behind the name, with a bright spark at its head.
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_translate(cr, 230, 98);
  cairo_rotate(cr, -0.12);
  cairo_scale(cr, 222, 48);
  cairo_arc(cr, 0, 0, 1, M_PI * 0.15, M_PI * 1.85);
  cairo_restore(cr);
  c.SetColour(palette::kPlayerTrim.Darker(0.2));
  cairo_set_line_width(cr, 7);
  cairo_stroke(cr);
  Lamp(c, 420, 60, 6, palette::kPlayerGlass);

  LetterStyle name{10.5, 13.5, 10.5 * 5.6, 9.5, 3.0, Rgb(240, 248, 255), Rgb(70, 120, 230), palette::kOutline};
  DrawLetters(c, "SOLVARA", (c.Width() - LettersWidth("SOLVARA", name)) / 2, 14, name);
  LetterStyle year{7, 7.5, 7 * 5.4, 6.5, 2.4, palette::kGoldTop, palette::kGoldBottom, palette::kOutline};
  DrawLetters(c, "2001", (c.Width() - LettersWidth("2001", year)) / 2, 134, year);
  const double wy = 134 + 3 * 7.5;
  TaperedRule(c, wy, 40, 160, 4, palette::kGoldBottom);
  TaperedRule(c, wy, 300, 420, 4, palette::kGoldBottom);
}

}  // namespace assetgen
