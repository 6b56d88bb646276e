#include <cmath>

#include "families.h"
#include "lettering.h"

namespace assetgen {

namespace {

Colour ItemColour(Item kind) {
  switch (kind) {
    case Item::kPowerUp: return palette::kPowerItem;
    case Item::kExtraShip: return palette::kLifeItem;
    case Item::kBonus: return palette::kBonusItem;
  }
  return palette::kPowerItem;
}

}  // namespace

void PaintItem(const Canvas& c, Item kind, int frame) {
  // Items are round, ringed and bright, with a white dashed halo turning one step per frame
  // so they never look like a craft or a bullet.
  cairo_t* cr = c.cr();
  const double cx = 31, cy = 31;
  const Colour col = ItemColour(kind);
  const double turn = frame * M_PI / 18;

  for (int k = 0; k < 8; ++k) {
    const double a0 = turn + k * M_PI / 4;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, 26, a0, a0 + M_PI / 7);
    c.SetColour(k % 2 ? col.Lighter(0.3) : palette::kWhite);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
  }
  c.Ellipse(cx, cy, 20, 20);
  c.SetColour(palette::kOutline);
  cairo_fill(cr);
  c.Ellipse(cx, cy, 18.5, 18.5);
  c.Glow(cx - 6, cy - 7, 26, col.Lighter(0.35), col.Darker(0.45));

  // A light band sweeping over the capsule as it spins.
  const double band = -14 + frame * 5.6;
  cairo_save(cr);
  c.Ellipse(cx, cy, 18.5, 18.5);
  cairo_clip(cr);
  c.Line(cx + band - 6, cy - 20, cx + band + 2, cy + 20, 3.5, col.Lighter(0.55));
  cairo_restore(cr);

  if (kind == Item::kPowerUp) {
    LetterStyle st{3.3, 3.2, 0, 3.6, 1.3, palette::kWhite, col.Lighter(0.5), palette::kOutline};
    DrawLetters(c, "P", cx - 6.6, cy - 9.6, st);
  } else if (kind == Item::kExtraShip) {
    // A small ship silhouette: the extra life.
    c.Polygon({{cx + 13, cy}, {cx + 2, cy - 4}, {cx - 7, cy - 11}, {cx - 11, cy - 11}, {cx - 8, cy - 3},
               {cx - 12, cy - 3}, {cx - 12, cy + 3}, {cx - 8, cy + 3}, {cx - 11, cy + 11}, {cx - 7, cy + 11},
               {cx + 2, cy + 4}});
    c.SetColour(palette::kWhite);
    cairo_fill_preserve(cr);
    c.SetColour(palette::kOutline);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
  } else {
    // A star that turns with the halo.
    cairo_new_path(cr);
    for (int k = 0; k < 10; ++k) {
      const double a = -M_PI / 2 + k * M_PI / 5 + turn / 2, r = (k % 2) ? 5.5 : 13;
      cairo_line_to(cr, cx + r * std::cos(a), cy + r * std::sin(a));
    }
    cairo_close_path(cr);
    c.SetColour(palette::kWhite);
    cairo_fill_preserve(cr);
    c.SetColour(palette::kOutline);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
  }
}

}  // namespace assetgen
