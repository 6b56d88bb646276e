#include <cmath>

#include "craft_parts.h"
#include "families.h"

namespace assetgen {

void PaintStageOneBoss(const Canvas& c, int frame) {
  // A spinning battle station, alike under a half turn because it fires from both long sides.
  // Frame 0 is the closed disc of the opening phases; by 19 its two gun arms are fully out.
  cairo_t* cr = c.cr();
  const double open = Progress(frame, 0, 19);
  const double cx = 90, cy = 90;
  const double reach = 30 + 54 * open;
  for (int s = -1; s <= 1; s += 2) {
    Plate(c, {{cx + s * 20.0, cy - 13}, {cx + s * reach, cy - 9}, {cx + s * (reach + 6), cy},
              {cx + s * reach, cy + 9}, {cx + s * 20.0, cy + 13}},
          palette::kCrimson.Darker(0.1));
    for (int k = 1; k <= 4; ++k) {
      const double x = cx + s * (20 + (reach - 20) * k / 4.5);
      if (std::fabs(x - cx) < 34) continue;  // still folded inside the disc
      Lamp(c, x, cy - 10, 2.6, palette::kBullet);
      Lamp(c, x, cy + 10, 2.6, palette::kBullet);
    }
  }
  Plate(c, Star(cx, cy, 8, 44, 36, frame * M_PI / 80), palette::kGunmetal.Darker(0.1));
  c.Ellipse(cx, cy, 36, 36);
  c.Shade(palette::kGunmetal);
  for (int k = 0; k < 8; ++k) {
    const double a = k * M_PI / 4 + M_PI / 8;
    Seam(c, cx + 22 * std::cos(a), cy + 22 * std::sin(a), cx + 35 * std::cos(a), cy + 35 * std::sin(a));
  }
  c.Ellipse(cx, cy, 20, 20);
  c.Shade(palette::kCrimson);
  c.Ellipse(cx, cy, 11, 11);
  c.Glow(cx - 2, cy - 2, 13, palette::kFireYellow.Mix(palette::kWhite, open), palette::kEnemyLight);
  cairo_new_path(cr);
}

namespace {

// The first boss's hull outline, shared by its solid body and its materialising ghost.
void FirstBossHull(const Canvas& c) {
  c.Polygon({{40, 140}, {70, 108}, {96, 94}, {150, 88}, {250, 92}, {272, 112}, {276, 196}, {252, 222},
             {150, 228}, {96, 216}, {62, 188}});
}

void FirstBossTower(const Canvas& c) {
  c.Polygon({{104, 92}, {112, 66}, {148, 62}, {162, 90}});
}

}  // namespace

void PaintFirstBoss(const Canvas& c, bool materialising) {
  // Faces left: twin bow guns at the front, a ring emitter on the tower, a missile bay aft below.
  cairo_t* cr = c.cr();
  if (materialising) {
    // The warp-in image: the same hull as a glowing lattice, drawn while it grows in.
    const Colour line = Rgb(150, 200, 255), fill = Rgb(36, 30, 86);
    auto outline = [&](int part) {
      if (part == 0) FirstBossTower(c);
      else FirstBossHull(c);
    };
    for (int part = 0; part < 2; ++part) {
      outline(part);
      c.SetColour(fill);
      cairo_fill_preserve(cr);
      cairo_save(cr);
      cairo_clip(cr);
      for (int y = 40; y < 240; y += 6) c.Line(20, y, 290, y, 1.2, Rgb(90, 70, 200));
      cairo_restore(cr);
      outline(part);
      c.SetColour(line);
      cairo_set_line_width(cr, 3);
      cairo_stroke(cr);
    }
    for (int x = 90; x < 260; x += 34) c.Line(x, 96, x, 222, 1.4, line.Darker(0.3));
    Lamp(c, 128, 77, 8, palette::kPlayerGlass);
    return;
  }
  Flame(c, 274, 130, 0, 20, 16);
  Flame(c, 274, 178, 0, 20, 16);
  // Bow guns (the volley spots are 49 and 27 pixels above the centre line).
  c.RoundedRect(46, 97, 44, 8, 2);
  c.Shade(palette::kGunmetal.Lighter(0.25));
  c.RoundedRect(46, 119, 44, 8, 2);
  c.Shade(palette::kGunmetal.Lighter(0.25));
  FirstBossTower(c);
  c.Shade(palette::kGunmetal.Lighter(0.1));
  FirstBossHull(c);
  c.Shade(palette::kGunmetal);
  Plate(c, {{62, 150}, {110, 130}, {250, 130}, {262, 150}, {250, 170}, {110, 170}}, palette::kCrimson.Darker(0.15));
  Plate(c, {{150, 92}, {190, 60}, {236, 58}, {220, 94}}, palette::kCrimson.Darker(0.05));
  Plate(c, {{160, 222}, {200, 252}, {244, 254}, {226, 220}}, palette::kCrimson.Darker(0.4));
  for (int x = 120; x <= 240; x += 30) Seam(c, x, 96, x, 222);
  Seam(c, 70, 188, 250, 200);
  // Missile bay aft, under the centre line.
  c.RoundedRect(204, 172, 34, 16, 3);
  c.SetColour(palette::kOutline);
  cairo_fill(cr);
  for (int k = 0; k < 3; ++k) Lamp(c, 211 + 10 * k, 180, 2.6, palette::kFireYellow);
  for (int k = 0; k < 5; ++k) Lamp(c, 126 + 24 * k, 150, 3.2);
  Lamp(c, 128, 77, 8, palette::kBullet);
  Lamp(c, 72, 140, 5, palette::kFireYellow);
}

void PaintStageTwoBoss(const Canvas& c, int frame) {
  // Faces left. The frame runs the parts: 0-14 the jaw hatch opens, 15-22 the belly gun comes
  // down, 23-30 the ram charge, 31-37 braking, 38-44 the shell closes into its travelling form,
  // 45-51 the side cannons deploy from the shell.
  cairo_t* cr = c.cr();
  const double hatch = frame <= 14 ? Progress(frame, 0, 14) : 0;
  const double belly = (frame >= 15 && frame <= 22) ? Progress(frame, 15, 22) : 0;
  const double charge = (frame >= 23 && frame <= 30) ? Progress(frame, 23, 30)
                        : (frame >= 31 && frame <= 37) ? 1 - Progress(frame, 31, 37) : 0;
  const double braking = (frame >= 31 && frame <= 37) ? 1 - Progress(frame, 31, 37) : 0;
  const double shell = frame >= 38 ? Progress(frame, 37, 44) : 0;
  const double cannons = frame >= 45 ? Progress(frame, 44, 51) : 0;

  Flame(c, 168, 86, 0, 12 + 20 * charge, 12);
  Flame(c, 168, 114, 0, 12 + 20 * charge, 12);
  if (braking > 0) {
    Flame(c, 40, 120, M_PI, 18 * braking, 8);
    Flame(c, 60, 136, M_PI + 0.3, 18 * braking, 8);
  }
  // Wings fold flat under the shell.
  const double wing = 1 - shell;
  Plate(c, {{110, 78}, {150, 78 - 60 * wing}, {176, 76 - 64 * wing}, {160, 84}}, palette::kTeal.Darker(0.05));
  Plate(c, {{110, 122}, {150, 122 + 60 * wing}, {176, 124 + 64 * wing}, {160, 116}}, palette::kTeal.Darker(0.35));
  if (belly > 0) {
    c.RoundedRect(80, 120, 22, 10 + 22 * belly, 4);
    c.Shade(palette::kGunmetal.Lighter(0.2));
    Lamp(c, 91, 128 + 22 * belly, 4, palette::kBullet);
  }
  // Main body and dorsal launcher (the fans leave from it).
  c.Ellipse(112, 100, 58, 32);
  c.Shade(palette::kTeal);
  Plate(c, {{96, 72}, {108, 58}, {128, 58}, {124, 72}}, palette::kGunmetal);
  Lamp(c, 114, 64, 3.5, palette::kBullet);
  // The head, with the jaw hatch at its upper front.
  Plate(c, {{22, 70}, {48, 56}, {78, 64}, {86, 96}, {70, 116}, {44, 108}}, palette::kTeal.Lighter(0.1));
  const double jaw = 10 * hatch;
  c.Ellipse(38, 70, 12, 2 + jaw);
  c.SetColour(palette::kOutline);
  cairo_fill(cr);
  if (hatch > 0) {
    c.Ellipse(38, 70, 10, 1 + jaw * 0.85);
    c.Glow(36, 70, 12, palette::kWhite.Mix(palette::kBullet, 0.3), palette::kBulletRim);
  }
  Lamp(c, 62, 78, 4.2, palette::kFireYellow.Mix(palette::kEnemyLight, 1 - charge));
  // Ram glow at the snout while charging.
  if (charge > 0) {
    c.Ellipse(26, 80, 6 + 6 * charge, 6 + 6 * charge);
    c.Glow(26, 80, 6 + 6 * charge, palette::kWhite, palette::kFireOrange);
  }
  Seam(c, 120, 70, 124, 130);
  Seam(c, 146, 76, 150, 124);
  // Side guns of the upright volleys (above the centre and at it).
  if (shell == 0) {
    c.RoundedRect(96, 42, 8, 28, 3);
    c.Shade(palette::kGunmetal.Lighter(0.2));
    Lamp(c, 100, 44, 3, palette::kEnemyLight);
  }
  if (shell > 0) {
    // The shell: two armoured halves closing over the body from above and below.
    for (int s = -1; s <= 1; s += 2) {
      cairo_new_path(cr);
      cairo_save(cr);
      cairo_translate(cr, 106, 100);
      cairo_scale(cr, 88, s * (8 + 40 * shell));
      cairo_arc_negative(cr, 0, 0, 1, 0, M_PI);
      cairo_restore(cr);
      cairo_close_path(cr);
      c.Shade(palette::kViolet.Darker(s > 0 ? 0.3 : 0.0));
    }
    // Armour ribs and running lights on the shell; the seam glows once it is shut.
    for (int k = -2; k <= 2; ++k) Seam(c, 106 + 30 * k, 100 - (8 + 36 * shell) * (1 - 0.08 * k * k), 106 + 30 * k, 100 + (8 + 36 * shell) * (1 - 0.08 * k * k));
    for (int k = -1; k <= 1; ++k) Lamp(c, 106 + 40 * k, 100 - (4 + 30 * shell), 2.5, palette::kEnemyLight);
    if (shell >= 1) c.Line(20, 100, 192, 100, 2, palette::kBullet);
  }
  if (cannons > 0) {
    for (int s = -1; s <= 1; s += 2) {
      const double x = 100 + s * (12 + 18 * cannons);
      c.RoundedRect(x - 8, 96, 16, 12 + 14 * cannons, 4);
      c.Shade(palette::kGunmetal.Lighter(0.2));
      Lamp(c, x, 108 + 14 * cannons, 3.5, palette::kBullet);
    }
  }
}

}  // namespace assetgen
