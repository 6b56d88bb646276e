#include <cmath>

#include "craft_parts.h"
#include "families.h"

namespace assetgen {

// Small and medium enemies. Unless a drawing says otherwise a craft faces left, toward the
// player; craft drawn turned by their heading face +x so the heading turns them correctly.

void PaintDrone(const Canvas& c, int frame, bool carrier) {
  // Frames 0-7 brake (retro jets firing forward grow), 8-14 back off (fins swing back).
  const double brake = Progress(frame, 0, 7), back = Progress(frame, 7, 14);
  const Colour hull = carrier ? palette::kTeal : palette::kOlive;
  Flame(c, 24, 31, M_PI + 0.25, 4 + 14 * brake - 6 * back, 6);
  Flame(c, 24, 49, M_PI - 0.25, 4 + 14 * brake - 6 * back, 6);
  if (back > 0) Flame(c, 62, 40, 0, 6 * (1 - back) + 2, 6);
  const double fin = 0.35 + 0.5 * back;
  for (int s = -1; s <= 1; s += 2) {
    Plate(c,
          {{52, 40 + s * 8.0}, {66 + 6 * std::cos(fin), 40 + s * (18 + 10 * std::sin(fin))},
           {70, 40 + s * (12 + 6 * std::sin(fin))}, {60, 40 + s * 4.0}},
          hull.Darker(0.15));
    Plate(c, {{30, 40 + s * 9.0}, {14, 40 + s * 15.0}, {10, 40 + s * 11.0}, {22, 40 + s * 4.0}},
          palette::kGunmetal);
  }
  c.Ellipse(42, 40, 22, 15);
  c.Shade(hull);
  Seam(c, 42, 26, 46, 54);
  Seam(c, 52, 29, 55, 51);
  if (carrier) {
    // The cargo pod it drops when destroyed.
    c.Ellipse(44, 58, 13, 6.5);
    c.Glow(40, 56, 14, palette::kBonusItem.Lighter(0.3), palette::kFireOrange);
    c.Ellipse(44, 58, 13, 6.5);
    c.SetColour(palette::kOutline);
    cairo_set_line_width(c.cr(), 1.4);
    cairo_stroke(c.cr());
  }
  Lamp(c, 28, 38, 4.2);
}

void PaintMine(const Canvas& c, int frame) {
  // A spiked orb whose spikes turn as it brakes (0-7) and backs away (8-14); its eye opens.
  const double turn = frame * M_PI / 30;
  Plate(c, Star(35, 35, 8, 29, 15, turn), palette::kCrimson.Darker(0.2));
  c.Ellipse(35, 35, 18, 18);
  c.Shade(palette::kGunmetal);
  Seam(c, 20, 35, 50, 35);
  const double open = 2 + 4 * Progress(frame, 0, 7);
  c.Ellipse(33, 35, 7, open);
  c.SetColour(palette::kOutline);
  cairo_fill(c.cr());
  c.Ellipse(33, 35, 6, open - 1);
  c.Glow(32, 34, 7, palette::kFireYellow, palette::kEnemyLight);
  if (frame > 7) Flame(c, 18, 35, M_PI, 3 + (frame - 7) * 1.5, 7);
}

void PaintDart(const Canvas& c) {
  // Path follower, drawn turned by its heading: nose toward +x.
  Flame(c, 18, 40, M_PI, 14, 7);
  Plate(c, {{36, 34}, {20, 14}, {12, 14}, {22, 36}}, palette::kCrimson.Darker(0.2));
  Plate(c, {{36, 46}, {20, 66}, {12, 66}, {22, 44}}, palette::kCrimson.Darker(0.3));
  Plate(c, {{70, 40}, {48, 32}, {24, 31}, {18, 40}, {24, 49}, {48, 48}}, palette::kCrimson);
  Seam(c, 28, 40, 56, 40);
  Lamp(c, 52, 38, 3.2, palette::kFireYellow);
}

void PaintHatchShip(const Canvas& c, int frame) {
  // Frames 0-11: the light ring turns (a loop); 12-16: the front hatch opens on its gun.
  const double ring = (frame % 12) * M_PI / 6;
  const double hatch = Progress(frame, 11, 16);
  Flame(c, 64, 42, 0, 8, 8);
  c.Ellipse(44, 30, 12, 9);
  c.Shade(palette::kBronze.Lighter(0.2));
  Lamp(c, 41, 28, 3.5, palette::kFireYellow);
  c.Ellipse(40, 44, 27, 14);
  c.Shade(palette::kBronze);
  for (int k = 0; k < 6; ++k) {
    const double a = ring + k * M_PI / 3;
    if (std::sin(a) < 0) continue;  // lamps on the far side are hidden
    Lamp(c, 40 + 24 * std::cos(a), 46 + 4 * std::sin(a), 2.4);
  }
  if (hatch > 0) {
    c.Ellipse(19, 44, 8, 9 * hatch);
    c.SetColour(palette::kOutline);
    cairo_fill(c.cr());
    c.Ellipse(19, 44, 6.5, 7.5 * hatch);
    c.Glow(18, 44, 8, palette::kFireYellow, palette::kEnemyLight.Darker(0.3));
  } else {
    Seam(c, 14, 40, 24, 38);
    Seam(c, 14, 48, 24, 50);
  }
}

void PaintRaider(const Canvas& c) {
  // Formation path follower, drawn turned by its heading: nose toward +x.
  Flame(c, 16, 40, M_PI, 12, 8);
  Plate(c, {{44, 36}, {30, 12}, {22, 12}, {26, 36}}, palette::kViolet.Darker(0.15));
  Plate(c, {{44, 44}, {30, 68}, {22, 68}, {26, 44}}, palette::kViolet.Darker(0.3));
  Plate(c, {{68, 40}, {56, 33}, {22, 33}, {16, 40}, {22, 47}, {56, 47}}, palette::kViolet);
  c.Ellipse(50, 38, 8, 3.5);
  c.Glow(48, 37, 9, palette::kFireYellow, palette::kFireOrange);
}

void PaintHomingMissile(const Canvas& c, int frame) {
  // Nose toward +x (drawn turned by its heading); the exhaust flickers over six frames.
  static const double kFlicker[6] = {13, 17, 11, 19, 14, 16};
  Flame(c, 22, 40, M_PI, kFlicker[frame % 6], 8);
  Plate(c, {{30, 35}, {20, 27}, {16, 27}, {22, 35}}, palette::kCrimson);
  Plate(c, {{30, 45}, {20, 53}, {16, 53}, {22, 45}}, palette::kCrimson.Darker(0.2));
  c.RoundedRect(22, 35, 36, 10, 3);
  c.Shade(palette::kGunmetal.Lighter(0.2));
  Plate(c, {{58, 35}, {68, 40}, {58, 45}}, palette::kCrimson);
  Seam(c, 40, 35, 40, 45);
}

void PaintFormationFlyer(const Canvas& c, int frame) {
  // Frames 0-6 open the air brakes while it slows; 7-11 fire the forward jets to fly back.
  const double brake = Progress(frame, 0, 6), back = Progress(frame, 6, 11);
  Flame(c, 60, 40, 0, 10 * (1 - brake) + 3, 7, palette::kEnemyFlame);
  Flame(c, 22, 34, M_PI, 16 * back, 5);
  Flame(c, 22, 46, M_PI, 16 * back, 5);
  Plate(c, {{26, 40}, {52, 20}, {64, 18}, {58, 40}, {64, 62}, {52, 60}}, palette::kRust.Darker(0.1));
  Plate(c, {{14, 40}, {30, 33}, {60, 34}, {64, 40}, {60, 46}, {30, 47}}, palette::kRust);
  for (int s = -1; s <= 1; s += 2) {
    const double a = brake * 1.0;
    Plate(c,
          {{44, 40 + s * 5.0}, {44 + 14 * std::cos(a), 40 + s * (5 + 14 * std::sin(a))},
           {48 + 14 * std::cos(a), 40 + s * (5 + 14 * std::sin(a))}, {50, 40 + s * 5.0}},
          palette::kGunmetal.Lighter(0.1));
  }
  Lamp(c, 24, 40, 3);
}

void PaintWaveFlyer(const Canvas& c, int frame) {
  // A manta; frame 0 is nose up (climbing), 9 nose down (diving).
  cairo_t* cr = c.cr();
  cairo_save(cr);
  cairo_translate(cr, 40, 40);
  cairo_rotate(cr, -(frame - 4.5) * 5 * M_PI / 180);
  Flame(c, 22, 0, 0, 10, 6);
  Plate(c, {{-26, 0}, {-6, -8}, {14, -24}, {22, -20}, {16, -5}, {24, 0}, {16, 5}, {22, 20}, {14, 24}, {-6, 8}},
        palette::kTeal);
  Seam(c, -10, 0, 16, 0);
  Lamp(c, -14, -1, 3.2);
  cairo_restore(cr);
}

void PaintBossMissile(const Canvas& c, int frame) {
  // Launched by the first boss, flying left; its flame flickers over five frames.
  static const double kFlicker[5] = {12, 17, 14, 19, 11};
  Flame(c, 44, 30, 0, kFlicker[frame % 5], 7);
  Plate(c, {{38, 26}, {46, 18}, {50, 18}, {46, 26}}, palette::kGunmetal);
  Plate(c, {{38, 34}, {46, 42}, {50, 42}, {46, 34}}, palette::kGunmetal.Darker(0.2));
  c.RoundedRect(16, 25.5, 30, 9, 3);
  c.Shade(palette::kBronze.Lighter(0.2));
  Plate(c, {{16, 25.5}, {6, 30}, {16, 34.5}}, palette::kCrimson);
  Seam(c, 30, 26, 30, 34);
}

}  // namespace assetgen
