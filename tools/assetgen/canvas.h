#pragma once

#include <cairo.h>

#include <utility>
#include <vector>

#include "bmp_writer.h"
#include "palette.h"

namespace assetgen {

struct Point {
  double x, y;
};

// A cairo drawing surface for one picture. Finishing it turns coverage into the colour-keyed
// form the game needs: black where nothing was drawn, no near-black inside a sprite.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Sprites: transparent where coverage is low, key-safe colours elsewhere, no pinholes.
  Picture FinishSprite() const;
  // Backgrounds: every pixel opaque and key-safe.
  Picture FinishOpaque() const;

  // Drawing helpers; all of them leave the current point and path cleared.
  void SetColour(const Colour& c) const;
  void Polygon(const std::vector<Point>& pts) const;
  // A hull symmetric about y = cy, given by its upper outline from nose to tail.
  void MirroredHull(double cy, const std::vector<Point>& upper) const;
  void Ellipse(double cx, double cy, double rx, double ry) const;
  void RoundedRect(double x, double y, double w, double h, double r) const;
  // Fills the current path with a light-from-upper-left gradient, outlines it, clears it.
  void Shade(const Colour& base, double outline = 1.6, const Colour& edge = palette::kOutline) const;
  // Fills the current path with a radial glow (hot centre fading to the rim colour), clears it.
  void Glow(double cx, double cy, double radius, const Colour& centre, const Colour& rim) const;
  void Disc(double cx, double cy, double r, const Colour& c) const;
  void Line(double x0, double y0, double x1, double y1, double width, const Colour& c) const;

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// Makes a colour safe against the key in 16-bit mode: some channel survives RGB565.
void KeySafe(std::uint8_t* rgb);
// Fills single transparent pixels enclosed on all four sides so no key hole shows through.
void FillPinholes(Picture& picture);

}  // namespace assetgen
