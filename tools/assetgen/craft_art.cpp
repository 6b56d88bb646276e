#include <cmath>

#include "craft_parts.h"
#include "families.h"

namespace assetgen {

void PaintGunner(const Canvas& c, int frame) {
  // Faces left. Frames 0-6 run the cannon out as the craft brakes; 7 is the shot.
  const double out = Progress(frame, 0, 6);
  Flame(c, 80, 44, 0, 14 - 8 * out, 10);
  Flame(c, 80, 58, 0, 14 - 8 * out, 10);
  Plate(c, {{52, 40}, {70, 14}, {82, 12}, {78, 40}}, palette::kRust.Darker(0.1));
  c.RoundedRect(22 - 20 * out, 56, 30, 7, 2);
  c.Shade(palette::kGunmetal.Lighter(0.15));
  Plate(c, {{24, 48}, {34, 38}, {62, 34}, {82, 40}, {84, 62}, {60, 66}, {34, 62}}, palette::kRust);
  Plate(c, {{52, 60}, {70, 84}, {82, 86}, {78, 60}}, palette::kRust.Darker(0.3));
  Seam(c, 40, 38, 40, 62);
  Seam(c, 62, 35, 62, 65);
  c.Ellipse(40, 44, 9, 4);
  c.Glow(37, 43, 10, palette::kFireYellow, palette::kFireOrange);
  if (frame == 7) {
    c.Ellipse(8, 59.5, 7, 6);
    c.Glow(8, 59.5, 7, palette::kWhite, palette::kFireYellow);
  }
}

void PaintTurretShip(const Canvas& c, int frame) {
  // Faces left. Frames 0-6 part the armoured jaws around the turret; the last frame glows ready.
  const double open = Progress(frame, 0, 6);
  Flame(c, 82, 50, 0, 10, 10);
  c.Ellipse(54, 50, 30, 20);
  c.Shade(palette::kGunmetal);
  Seam(c, 60, 31, 64, 69);
  Lamp(c, 70, 50, 3.2, palette::kFireYellow);
  c.RoundedRect(12, 47, 30, 6, 2);
  c.Shade(palette::kGunmetal.Lighter(0.3));
  if (frame == 7) Lamp(c, 14, 50, 4, palette::kFireYellow);
  for (int s = -1; s <= 1; s += 2) {
    const double gap = 3 + 11 * open;
    Plate(c,
          {{44, 50 + s * gap}, {22, 50 + s * (gap + 2)}, {28, 50 + s * (gap + 12)}, {52, 50 + s * (gap + 14)}},
          palette::kCrimson.Darker(s > 0 ? 0.25 : 0.0));
  }
}

void PaintRiser(const Canvas& c, int frame) {
  // Faces left. Frames 0-7 spread the wings while it turns to face the player (7 fires);
  // 8-14 light the forward jets that carry it away backwards.
  const double spread = Progress(frame, 0, 7), jets = Progress(frame, 7, 14);
  Flame(c, 30, 40, M_PI + 0.2, 22 * jets, 7);
  Flame(c, 30, 60, M_PI - 0.2, 22 * jets, 7);
  for (int s = -1; s <= 1; s += 2) {
    const double reach = 14 + 18 * spread;
    Plate(c, {{46, 50 + s * 6.0}, {62, 50 + s * reach}, {74, 50 + s * reach}, {70, 50 + s * 6.0}},
          palette::kOlive.Darker(s > 0 ? 0.3 : 0.05));
  }
  Plate(c, {{18, 50}, {36, 40}, {76, 42}, {84, 50}, {76, 58}, {36, 60}}, palette::kOlive);
  Seam(c, 48, 42, 48, 58);
  Lamp(c, 30, 50, 4 + 2 * (frame == 7), frame == 7 ? palette::kFireYellow : palette::kEnemyLight);
}

void PaintHeavyCraft(const Canvas& c, int frame) {
  // Nose toward +x (turned by its heading). 0-6 braking (forward jets), 7-13 the armour opens
  // on its gun cluster, 14-20 it charges: main engines flare and the ram spike heats up.
  const double brake = Progress(frame, 0, 6), open = Progress(frame, 7, 13), charge = Progress(frame, 13, 20);
  Flame(c, 22, 52, M_PI, 8 + 30 * charge, 12);
  Flame(c, 22, 68, M_PI, 8 + 30 * charge, 12);
  if (frame <= 6) {
    Flame(c, 92, 36, -0.3, 16 * brake, 6);
    Flame(c, 92, 84, 0.3, 16 * brake, 6);
  }
  Plate(c, {{40, 40}, {30, 14}, {44, 12}, {64, 40}}, palette::kBronze.Darker(0.15));
  Plate(c, {{40, 80}, {30, 106}, {44, 108}, {64, 80}}, palette::kBronze.Darker(0.35));
  Plate(c, {{20, 44}, {60, 36}, {96, 46}, {104, 60}, {96, 74}, {60, 84}, {20, 76}}, palette::kBronze);
  // Ram spike.
  Plate(c, {{96, 54}, {118, 60}, {96, 66}}, palette::kGunmetal.Mix(palette::kFireOrange, charge));
  // Armour plates sliding back from the gun cluster.
  for (int s = -1; s <= 1; s += 2) {
    const double shift = 16 * open;
    Plate(c, {{84 - shift, 60 + s * 2.0}, {60 - shift, 60 + s * 2.0}, {56 - shift, 60 + s * 20.0},
              {78 - shift, 60 + s * 16.0}},
          palette::kGunmetal.Lighter(0.1));
  }
  for (int k = 0; k < 3; ++k)
    if (open > 0.3) Lamp(c, 84, 52 + 8 * k, 2 + 1.5 * open, palette::kFireYellow);
  Seam(c, 40, 42, 40, 78);
}

void PaintFortress(const Canvas& c, int frame) {
  // Seen from above, nose up (turned by its heading). Frames 0-8: it slows, its engine dims and
  // its four petals unfold; 8-14: the petals open wide on the core that fires the ring.
  cairo_t* cr = c.cr();
  const double unfold = Progress(frame, 0, 8), open = Progress(frame, 8, 14);
  const double cx = 75, cy = 75;
  Flame(c, cx - 12, cy + 34, M_PI / 2, 30 * (1 - unfold) + 6, 12);
  Flame(c, cx + 12, cy + 34, M_PI / 2, 30 * (1 - unfold) + 6, 12);
  for (int k = 0; k < 4; ++k) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, M_PI / 4 + k * M_PI / 2);
    const double reach = 36 + 16 * unfold + 8 * open, spread = 0.25 + 0.35 * open;
    Plate(c,
          {{20 + 12 * open, -14}, {reach, -14 - 24 * spread}, {reach + 14, 0}, {reach, 14 + 24 * spread},
           {20 + 12 * open, 14}},
          (k < 2 ? palette::kViolet : palette::kViolet.Darker(0.25)));
    Lamp(c, reach, 0, 3, palette::kFireYellow);
    cairo_restore(cr);
  }
  c.Ellipse(cx, cy, 30, 30);
  c.Shade(palette::kGunmetal);
  Plate(c, {{cx, cy - 44}, {cx - 10, cy - 26}, {cx + 10, cy - 26}}, palette::kGunmetal.Lighter(0.2));
  c.Ellipse(cx, cy, 12 + 8 * open, 12 + 8 * open);
  c.Glow(cx - 3, cy - 3, 16 + 8 * open, palette::kFireYellow.Mix(palette::kWhite, open), palette::kEnemyLight);
  for (int k = 0; k < 16; ++k) {
    const double a = k * M_PI / 8;
    Lamp(c, cx + 25 * std::cos(a), cy + 25 * std::sin(a), 1.5 + 1.2 * open,
         open > 0 ? palette::kBullet : palette::kEnemyLight.Darker(0.3));
  }
}

void PaintBattleship(const Canvas& c, int frame) {
  // Faces left. Frames 0-9 slide the bow armour open over a fan of glowing gun ports.
  const double open = Progress(frame, 0, 9);
  Flame(c, 140, 30, 0, 10, 10);
  Flame(c, 140, 44, 0, 10, 10);
  Plate(c, {{70, 22}, {96, 4}, {118, 4}, {112, 22}}, palette::kGunmetal.Darker(0.1));
  Plate(c, {{70, 50}, {96, 66}, {118, 66}, {112, 50}}, palette::kGunmetal.Darker(0.35));
  Plate(c, {{8, 36}, {30, 22}, {132, 20}, {142, 28}, {142, 48}, {132, 52}, {30, 50}}, palette::kGunmetal);
  for (int k = 0; k < 6; ++k) Lamp(c, 34 + 2 * std::abs(k - 2.5), 25.5 + 4.2 * k, 1.4 + 1.4 * open, palette::kBullet);
  for (int s = -1; s <= 1; s += 2) {
    const double lift = 10 * open;
    Plate(c, {{12, 36 + s * (1 + lift)}, {30, 36 + s * (13 + lift)}, {56, 36 + s * (14 + lift)}, {52, 36 + s * (1 + lift)}},
          palette::kCrimson.Darker(s > 0 ? 0.3 : 0.0));
  }
  for (int k = 0; k < 4; ++k) Seam(c, 66 + 16 * k, 22, 66 + 16 * k, 50);
  c.RoundedRect(84, 14, 26, 10, 3);
  c.Shade(palette::kGunmetal.Lighter(0.25));
  Lamp(c, 92, 19, 2.5, palette::kFireYellow);
}

}  // namespace assetgen
