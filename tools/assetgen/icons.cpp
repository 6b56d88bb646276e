#include "icons.h"

#include <cairo.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "families.h"

namespace assetgen {

namespace {

// The icon is drawn on a 256-unit square and scaled to each size, so every size shows
// the same picture: the player's ship climbing out of a nebula, guns blazing.
constexpr double kDesign = 256;

void PaintIcon(const Canvas& c) {
  cairo_t* cr = c.cr();
  cairo_scale(cr, c.Width() / kDesign, c.Height() / kDesign);

  c.RoundedRect(10, 10, 236, 236, 46);
  cairo_clip_preserve(cr);
  cairo_pattern_t* sky = cairo_pattern_create_linear(10, 10, 246, 246);
  cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.20, 0.13, 0.42);
  cairo_pattern_add_color_stop_rgb(sky, 1.0, 0.02, 0.04, 0.13);
  cairo_set_source(cr, sky);
  cairo_fill(cr);
  cairo_pattern_destroy(sky);

  cairo_pattern_t* nebula = cairo_pattern_create_radial(70, 200, 0, 70, 200, 130);
  cairo_pattern_add_color_stop_rgba(nebula, 0.0, 0.85, 0.25, 0.65, 0.55);
  cairo_pattern_add_color_stop_rgba(nebula, 1.0, 0.85, 0.25, 0.65, 0.0);
  cairo_set_source(cr, nebula);
  cairo_paint(cr);
  cairo_pattern_destroy(nebula);

  struct Star {
    double x, y, r;
  };
  for (const Star& s : {Star{40, 48, 3}, Star{92, 30, 2}, Star{200, 44, 3.5}, Star{228, 110, 2},
                        Star{150, 214, 2.5}, Star{214, 196, 3}, Star{38, 128, 2}, Star{120, 70, 1.8}})
    c.Disc(s.x, s.y, s.r, palette::kWhite);

  // The ship climbs toward the upper right; its shots run ahead along the same line.
  cairo_translate(cr, 96, 160);
  cairo_rotate(cr, -28 * M_PI / 180);
  for (double from : {102.0, 140.0}) c.Line(from, 0, from + 20, 0, 9, palette::kPlayerShot.Lighter(0.4));
  cairo_scale(cr, 2.1, 2.1);
  PaintEmblemShip(c);
}

}  // namespace

void WriteIcons(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  for (int size : kIconSizes) {
    const Canvas canvas(size, size);
    PaintIcon(canvas);
    const std::string path = (dir / ("solvara-" + std::to_string(size) + ".png")).string();
    if (cairo_surface_write_to_png(cairo_get_target(canvas.cr()), path.c_str()) != CAIRO_STATUS_SUCCESS)
      throw std::runtime_error("cannot write " + path);
  }
}

}  // namespace assetgen
