#include <cmath>

#include "families.h"

namespace assetgen {

namespace {

struct ShipColours {
  Colour hull, trim, glass, flame, outline;
};

ShipColours ColoursFor(bool bright) {
  ShipColours s{palette::kPlayerHull, palette::kPlayerTrim, palette::kPlayerGlass, palette::kPlayerFlame,
                palette::kOutline};
  if (bright) {
    // The blink variant: the same ship washed toward white so invincibility reads at a glance.
    s.hull = s.hull.Lighter(0.6);
    s.trim = s.trim.Lighter(0.55);
    s.glass = s.glass.Lighter(0.5);
    s.outline = Rgb(70, 110, 190);
  }
  return s;
}

// The ship in local coordinates: centre at the origin, nose toward +x.
// roll -1 shows the upper wing spread wide (flying forward), +1 the lower one (braking).
void DrawShip(const Canvas& c, double roll, double flameLength, bool firing, const ShipColours& col) {
  cairo_t* cr = c.cr();

  // Engine flame behind everything.
  c.Ellipse(-30 - flameLength / 2, 0.5, flameLength / 2 + 3, 4.5);
  c.Glow(-31, 0.5, flameLength + 4, col.flame, palette::kPlayerTrim.Darker(0.2));

  const double upper = 13 - 9 * roll, lower = 13 + 9 * roll;
  // Lower wing (underside, darker), then the fuselage, then the upper wing (lit).
  c.Polygon({{10, 4}, {-16, 5 + lower}, {-25, 5 + lower}, {-22, 4}});
  c.Shade(col.trim.Darker(0.25), 1.6, col.outline);

  c.Polygon({{42, 1}, {32, -3}, {16, -7}, {-4, -8.5}, {-22, -8}, {-31, -5.5}, {-31, 6.5}, {-22, 9}, {-4, 9.5},
             {16, 8}, {32, 4.5}});
  c.Shade(col.hull, 1.6, col.outline);

  // Trim stripe and nozzle.
  c.Line(-22, 2.5, 26, 2.5, 2.2, col.trim);
  c.RoundedRect(-35, -5, 7, 11, 2);
  c.Shade(palette::kGunmetal, 1.6, col.outline);

  // Tail fin: shrinks as the ship rolls away from level.
  const double fin = 8 - 3 * std::fabs(roll);
  c.Polygon({{-8, -7.5}, {-20, -8 - fin}, {-27, -8 - fin}, {-25, -6}});
  c.Shade(col.hull.Darker(0.1), 1.6, col.outline);

  c.Polygon({{10, -5}, {-15, -5 - upper}, {-24, -5 - upper}, {-21, -5}});
  c.Shade(col.trim.Lighter(0.15), 1.6, col.outline);

  // Canopy, shifting with the roll.
  c.Ellipse(14, -4.5 + 1.5 * roll, 9, 3.6);
  c.Glow(11, -6 + 1.5 * roll, 11, col.glass, col.glass.Darker(0.5));
  c.Ellipse(14, -4.5 + 1.5 * roll, 9, 3.6);
  c.SetColour(col.outline);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);

  if (firing) {
    // Muzzle flash at the nose.
    for (int k = 0; k < 4; ++k) {
      const double a = k * M_PI / 4 + M_PI / 8;
      c.Line(45 - 7 * std::cos(a), -7 * std::sin(a), 45 + 7 * std::cos(a), 7 * std::sin(a), 1.6,
             palette::kPlayerShot.Lighter(0.4));
    }
    c.Ellipse(45, 0, 5, 4);
    c.Glow(45, 0, 5, palette::kWhite, palette::kPlayerShot);
  }
}

}  // namespace

void PaintShip(const Canvas& c, int tilt, bool firing, bool bright) {
  cairo_t* cr = c.cr();
  cairo_save(cr);
  cairo_translate(cr, 50, 50);
  const double roll = (tilt - 5) / 5.0;
  // Leaning forward (low tilt) opens the afterburner; leaning back throttles it down.
  const double flame = 8 + (10 - tilt) * 1.5;
  DrawShip(c, roll, flame, firing, ColoursFor(bright));
  cairo_restore(cr);
}

void PaintLivesIcon(const Canvas& c) {
  cairo_t* cr = c.cr();
  cairo_save(cr);
  cairo_translate(cr, 15, 12);
  cairo_scale(cr, 0.33, 0.38);
  DrawShip(c, 0, 10, false, ColoursFor(false));
  cairo_restore(cr);
}

void PaintEmblemShip(const Canvas& c) { DrawShip(c, -0.3, 20, false, ColoursFor(false)); }

void PaintOption(const Canvas& c, int frame) {
  // A glowing core with three nodes orbiting on a tilted ring; 12 frames make one third of a turn
  // look like a full cycle because the nodes are alike.
  const double cx = 20, cy = 20;
  struct Node {
    double x, y, depth;
  };
  Node nodes[3];
  for (int k = 0; k < 3; ++k) {
    const double a = (frame * 10.0 + k * 120.0) * M_PI / 180.0;
    nodes[k] = {cx + 15 * std::cos(a), cy + 6 * std::sin(a) - 2 * std::cos(a), std::sin(a)};
  }
  auto drawNode = [&](const Node& n) {
    c.Ellipse(n.x, n.y, 3.6 + 0.6 * n.depth, 3.6 + 0.6 * n.depth);
    c.Glow(n.x - 1, n.y - 1, 4.5, palette::kPlayerGlass.Mix(palette::kPlayerHull, 0.5), palette::kPlayerTrim);
  };
  for (const Node& n : nodes)
    if (n.depth < 0) drawNode(n);
  c.Ellipse(cx, cy, 10, 10);
  c.Glow(cx - 2, cy - 2, 12, palette::kPlayerGlass, palette::kPlayerTrim.Darker(0.3));
  c.Ellipse(cx, cy, 10, 10);
  c.SetColour(palette::kOutline);
  cairo_set_line_width(c.cr(), 1.4);
  cairo_stroke(c.cr());
  c.Disc(cx - 3, cy - 3, 2.5, palette::kWhite);
  for (const Node& n : nodes)
    if (n.depth >= 0) drawNode(n);
}

}  // namespace assetgen
