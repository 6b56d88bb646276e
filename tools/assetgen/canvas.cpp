#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen {

namespace {

// Coverage below this is background; above it the pixel is solid. Edges are darkened by
// their coverage, which reads as anti-aliasing against the dark play field.
constexpr int kCoverageThreshold = 100;

bool IsKey(const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

Picture Convert(cairo_surface_t* surface, int width, int height, bool opaque) {
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  Picture out;
  out.width = width;
  out.height = height;
  out.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t argb = row[x];
      const int a = static_cast<int>(argb >> 24);
      std::uint8_t* p = out.At(x, y);
      if (!opaque && a < kCoverageThreshold) continue;
      // Premultiplied components over black are exactly the edge-darkened colour.
      p[0] = static_cast<std::uint8_t>((argb >> 16) & 0xFF);
      p[1] = static_cast<std::uint8_t>((argb >> 8) & 0xFF);
      p[2] = static_cast<std::uint8_t>(argb & 0xFF);
      if (!opaque && a < 255) {
        // Lift partially covered edges part of the way back toward their full colour.
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(std::min(255, p[c] * (255 + a) / (2 * a)));
      }
      KeySafe(p);
    }
  }
  if (!opaque) FillPinholes(out);
  return out;
}

}  // namespace

void KeySafe(std::uint8_t* rgb) {
  if ((rgb[0] >> 3) == 0 && (rgb[1] >> 2) == 0 && (rgb[2] >> 3) == 0) {
    rgb[0] = std::max<std::uint8_t>(rgb[0], 8);
    rgb[1] = std::max<std::uint8_t>(rgb[1], 8);
    rgb[2] = std::max<std::uint8_t>(rgb[2], 12);
  }
}

void FillPinholes(Picture& picture) {
  bool changed = true;
  while (changed) {
    changed = false;
    for (int y = 1; y + 1 < picture.height; ++y) {
      for (int x = 1; x + 1 < picture.width; ++x) {
        std::uint8_t* p = picture.At(x, y);
        if (!IsKey(p)) continue;
        const std::uint8_t* n[4] = {picture.At(x - 1, y), picture.At(x + 1, y), picture.At(x, y - 1),
                                    picture.At(x, y + 1)};
        if (IsKey(n[0]) || IsKey(n[1]) || IsKey(n[2]) || IsKey(n[3])) continue;
        for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((n[0][c] + n[1][c] + n[2][c] + n[3][c]) / 4);
        KeySafe(p);
        changed = true;
      }
    }
  }
}

Canvas::Canvas(int width, int height) : width_(width), height_(height) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo surface");
  cr_ = cairo_create(surface_);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

Picture Canvas::FinishSprite() const { return Convert(surface_, width_, height_, false); }
Picture Canvas::FinishOpaque() const { return Convert(surface_, width_, height_, true); }

void Canvas::SetColour(const Colour& c) const { cairo_set_source_rgb(cr_, c.r, c.g, c.b); }

void Canvas::Polygon(const std::vector<Point>& pts) const {
  cairo_new_path(cr_);
  for (const Point& p : pts) cairo_line_to(cr_, p.x, p.y);
  cairo_close_path(cr_);
}

void Canvas::MirroredHull(double cy, const std::vector<Point>& upper) const {
  cairo_new_path(cr_);
  for (const Point& p : upper) cairo_line_to(cr_, p.x, p.y);
  for (auto it = upper.rbegin(); it != upper.rend(); ++it) cairo_line_to(cr_, it->x, 2 * cy - it->y);
  cairo_close_path(cr_);
}

void Canvas::Ellipse(double cx, double cy, double rx, double ry) const {
  cairo_new_path(cr_);
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, std::max(rx, 0.01), std::max(ry, 0.01));
  cairo_arc(cr_, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr_);
}

void Canvas::RoundedRect(double x, double y, double w, double h, double r) const {
  cairo_new_path(cr_);
  r = std::min({r, w / 2, h / 2});
  cairo_arc(cr_, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr_, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr_, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr_, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr_);
}

void Canvas::Shade(const Colour& base, double outline, const Colour& edge) const {
  double x0, y0, x1, y1;
  cairo_path_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_pattern_t* g = cairo_pattern_create_linear(x0, y0, x1, y1);
  const Colour hi = base.Lighter(0.45), lo = base.Darker(0.45);
  cairo_pattern_add_color_stop_rgb(g, 0.0, hi.r, hi.g, hi.b);
  cairo_pattern_add_color_stop_rgb(g, 0.45, base.r, base.g, base.b);
  cairo_pattern_add_color_stop_rgb(g, 1.0, lo.r, lo.g, lo.b);
  cairo_set_source(cr_, g);
  cairo_fill_preserve(cr_);
  cairo_pattern_destroy(g);
  if (outline > 0) {
    SetColour(edge);
    cairo_set_line_width(cr_, outline);
    cairo_stroke_preserve(cr_);
  }
  cairo_new_path(cr_);
}

void Canvas::Glow(double cx, double cy, double radius, const Colour& centre, const Colour& rim) const {
  cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0, cx, cy, std::max(radius, 0.01));
  const Colour hot = centre.Lighter(0.6);
  cairo_pattern_add_color_stop_rgb(g, 0.0, hot.r, hot.g, hot.b);
  cairo_pattern_add_color_stop_rgb(g, 0.35, centre.r, centre.g, centre.b);
  cairo_pattern_add_color_stop_rgb(g, 1.0, rim.r, rim.g, rim.b);
  cairo_set_source(cr_, g);
  cairo_fill(cr_);
  cairo_pattern_destroy(g);
}

void Canvas::Disc(double cx, double cy, double r, const Colour& c) const {
  Ellipse(cx, cy, r, r);
  SetColour(c);
  cairo_fill(cr_);
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, const Colour& c) const {
  cairo_new_path(cr_);
  cairo_move_to(cr_, x0, y0);
  cairo_line_to(cr_, x1, y1);
  SetColour(c);
  cairo_set_line_width(cr_, width);
  cairo_stroke(cr_);
}

}  // namespace assetgen
