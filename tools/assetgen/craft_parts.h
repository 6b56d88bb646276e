#pragma once

#include "canvas.h"

namespace assetgen {

// Parts shared by the enemy craft and bosses.

// An exhaust flame starting at (x, y) and pointing along angle (radians, 0 = +x).
void Flame(const Canvas& c, double x, double y, double angle, double length, double width,
           const Colour& hot = palette::kEnemyFlame);

// A glowing lamp (eyes, gun ports, cores).
void Lamp(const Canvas& c, double x, double y, double r, const Colour& colour = palette::kEnemyLight);

// A dark panel seam.
void Seam(const Canvas& c, double x0, double y0, double x1, double y1);

// Fills a polygon with the standard shading and outline.
void Plate(const Canvas& c, const std::vector<Point>& pts, const Colour& base);

// Points of a regular star or polygon around (cx, cy).
std::vector<Point> Star(double cx, double cy, int points, double outer, double inner, double turn);

// Linear interpolation, clamped progress of a frame through a span.
inline double Lerp(double a, double b, double t) { return a + (b - a) * t; }
double Progress(int frame, int first, int last);

}  // namespace assetgen
