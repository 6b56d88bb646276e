#include <cmath>

#include "families.h"

namespace assetgen {

// Player shots are cold (white and cyan, elongated, pointing the way they fly); enemy fire is
// hot magenta and round, so the two never read alike.

void PaintPlayerShot(const Canvas& c, int power, int flicker) {
  const double len = 14 + 3 * power + 2 * flicker, thick = 3 + 1.3 * power;
  const Colour core = flicker ? palette::kWhite : palette::kPlayerShot.Lighter(0.5);
  if (power >= 2) {
    // Twin side streaks from the second level on.
    for (int s = -1; s <= 1; s += 2) {
      const double y = 16 + s * (thick + 1.5);
      c.Line(16 - len / 2, y, 16 + len / 2 - 4, y, 1.6 + 0.3 * power, palette::kPlayerShot.Darker(0.15));
    }
  }
  c.Line(16 - len / 2 - 5, 16, 16, 16, thick * 0.8, palette::kPlayerTrim);
  c.Ellipse(16 + 1, 16, len / 2, thick);
  c.Glow(16 + len / 4, 16, len / 2 + 2, core, palette::kPlayerTrim);
  c.Disc(16 + len / 4, 16, thick * 0.45, palette::kWhite);
}

void PaintHitSpark(const Canvas& c) {
  for (int k = 0; k < 8; ++k) {
    const double a = k * M_PI / 4 + 0.2, r = (k % 2) ? 8 : 14;
    c.Line(16, 16, 16 + r * std::cos(a), 16 + r * std::sin(a), 2.2, palette::kFireYellow);
  }
  c.Ellipse(16, 16, 6, 6);
  c.Glow(16, 16, 6, palette::kWhite, palette::kFireYellow);
}

void PaintEnemyBullet(const Canvas& c, int fade) {
  // Frame 0 is the bullet itself; 1..6 are the fading copies it leaves behind as a trail.
  const double t = fade / 6.0;
  const double r = 7.5 - 0.85 * fade;
  const Colour body = palette::kBullet.Mix(Rgb(90, 24, 120), t);
  const Colour rim = palette::kBulletRim.Mix(Rgb(40, 14, 60), t);
  c.Ellipse(16, 16, r + 1.2, r + 1.2);
  c.SetColour(rim);
  cairo_fill(c.cr());
  c.Ellipse(16, 16, r, r);
  c.Glow(15, 15, r, fade == 0 ? palette::kWhite : body.Lighter(0.5 - 0.5 * t), body);
}

void PaintLaser(const Canvas& c) {
  c.Ellipse(16, 16, 15, 4.5);
  c.SetColour(palette::kBulletRim);
  cairo_fill(c.cr());
  c.Ellipse(16, 16, 13.5, 3.2);
  c.Glow(16, 16, 13.5, palette::kWhite, palette::kBullet);
}

void PaintShockWave(const Canvas& c) {
  // A crescent, convex side forward (to the left), as the wave flies left.
  cairo_t* cr = c.cr();
  cairo_new_path(cr);
  cairo_arc(cr, 40, 30, 26, M_PI * 0.62, M_PI * 1.38);
  cairo_arc_negative(cr, 47, 30, 22, M_PI * 1.30, M_PI * 0.70);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(14, 0, 30, 0);
  cairo_pattern_add_color_stop_rgb(g, 0, 1, 1, 1);
  cairo_pattern_add_color_stop_rgb(g, 0.4, palette::kBullet.r, palette::kBullet.g, palette::kBullet.b);
  cairo_pattern_add_color_stop_rgb(g, 1, palette::kBulletRim.r, palette::kBulletRim.g, palette::kBulletRim.b);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  c.SetColour(palette::kBulletRim.Darker(0.3));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

void PaintLance(const Canvas& c) {
  // An upright plasma lance with chevrons pointing the way it flies (left).
  for (int k = -1; k <= 1; ++k) {
    const double y = 30 + k * 12;
    cairo_new_path(c.cr());
    cairo_move_to(c.cr(), 42, y - 7);
    cairo_line_to(c.cr(), 34, y);
    cairo_line_to(c.cr(), 42, y + 7);
    c.SetColour(palette::kBullet);
    cairo_set_line_width(c.cr(), 2.4);
    cairo_stroke(c.cr());
  }
  c.Ellipse(28, 30, 7.5, 22);
  c.SetColour(palette::kBulletRim);
  cairo_fill(c.cr());
  c.Ellipse(28, 30, 5.8, 20);
  c.Glow(27, 30, 20, palette::kWhite, palette::kBullet);
}

}  // namespace assetgen
