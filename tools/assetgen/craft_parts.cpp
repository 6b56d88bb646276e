#include "craft_parts.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

void Flame(const Canvas& c, double x, double y, double angle, double length, double width, const Colour& hot) {
  if (length < 1) return;
  cairo_t* cr = c.cr();
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, angle);
  cairo_new_path(cr);
  cairo_move_to(cr, 0, -width / 2);
  cairo_curve_to(cr, length * 0.4, -width / 2, length * 0.8, -width * 0.2, length, 0);
  cairo_curve_to(cr, length * 0.8, width * 0.2, length * 0.4, width / 2, 0, width / 2);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, length, 0);
  const Colour core = hot.Lighter(0.7);
  cairo_pattern_add_color_stop_rgb(g, 0, core.r, core.g, core.b);
  cairo_pattern_add_color_stop_rgb(g, 0.4, hot.r, hot.g, hot.b);
  const Colour tail = hot.Darker(0.45);
  cairo_pattern_add_color_stop_rgb(g, 1, tail.r, tail.g, tail.b);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_restore(cr);
}

void Lamp(const Canvas& c, double x, double y, double r, const Colour& colour) {
  c.Ellipse(x, y, r + 1, r + 1);
  c.SetColour(palette::kOutline);
  cairo_fill(c.cr());
  c.Ellipse(x, y, r, r);
  c.Glow(x - r * 0.3, y - r * 0.3, r * 1.3, colour.Lighter(0.3), colour.Darker(0.3));
}

void Seam(const Canvas& c, double x0, double y0, double x1, double y1) {
  c.Line(x0, y0, x1, y1, 1.1, palette::kOutline.Mix(palette::kGunmetal, 0.3));
}

void Plate(const Canvas& c, const std::vector<Point>& pts, const Colour& base) {
  c.Polygon(pts);
  c.Shade(base);
}

std::vector<Point> Star(double cx, double cy, int points, double outer, double inner, double turn) {
  std::vector<Point> pts;
  for (int k = 0; k < 2 * points; ++k) {
    const double a = turn + k * M_PI / points, r = (k % 2) ? inner : outer;
    pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return pts;
}

double Progress(int frame, int first, int last) {
  if (last == first) return frame >= last ? 1 : 0;
  return std::clamp(static_cast<double>(frame - first) / (last - first), 0.0, 1.0);
}

}  // namespace assetgen
