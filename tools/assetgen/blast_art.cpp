#include <cmath>

#include "families.h"
#include "random.h"

namespace assetgen {

namespace {

// Fire colour by age 0..1: white flash, yellow, orange, red, then smoke.
Colour FireAt(double t) {
  using namespace palette;
  if (t < 0.15) return kFireWhite.Mix(kFireYellow, t / 0.15);
  if (t < 0.35) return kFireYellow.Mix(kFireOrange, (t - 0.15) / 0.2);
  if (t < 0.6) return kFireOrange.Mix(kFireRed, (t - 0.35) / 0.25);
  return kFireRed.Mix(kSmoke, std::min(1.0, (t - 0.6) / 0.3));
}

struct BlastLook {
  double radius;     // final radius of the cloud, in pixels
  int puffs;         // fire balls making up the cloud
  int sparks;        // flying sparks
  bool ring;         // a shock ring
  Colour flash;      // colour of the first frames
  std::uint32_t seed;
};

BlastLook LookOf(Blast kind) {
  switch (kind) {
    case Blast::kSmall: return {27, 7, 6, false, palette::kFireWhite, 11};
    case Blast::kShip: return {42, 9, 10, true, palette::kPlayerGlass, 23};
    case Blast::kMedium: return {40, 10, 8, true, palette::kFireWhite, 37};
    case Blast::kLarge: return {44, 14, 12, true, palette::kFireWhite, 51};
  }
  return {27, 7, 6, false, palette::kFireWhite, 11};
}

// A lumpy cloud outline: a circle whose radius wobbles with two random harmonics.
void Blob(const Canvas& c, double x, double y, double r, Random& rng) {
  const double p1 = rng.Range(0, 2 * M_PI), p2 = rng.Range(0, 2 * M_PI);
  cairo_new_path(c.cr());
  for (int k = 0; k < 28; ++k) {
    const double a = k * 2 * M_PI / 28;
    const double rr = r * (1 + 0.16 * std::sin(3 * a + p1) + 0.09 * std::sin(5 * a + p2));
    cairo_line_to(c.cr(), x + rr * std::cos(a), y + rr * std::sin(a));
  }
  cairo_close_path(c.cr());
}

}  // namespace

void PaintExplosion(const Canvas& c, Blast kind, int frame) {
  // Sixteen frames: a flash, a growing fire cloud, then puffs that shrink, darken and drift apart.
  const BlastLook look = LookOf(kind);
  const double t = frame / 15.0;
  const double cx = c.Width() / 2.0, cy = c.Height() / 2.0;
  Random rng(look.seed);

  if (look.ring && t > 0.05 && t < 0.7) {
    const double r = look.radius * (0.4 + 0.9 * t);
    c.Ellipse(cx, cy, r, r);
    const Colour ring = (kind == Blast::kShip ? palette::kPlayerShot : palette::kFireYellow).Mix(palette::kSmoke, t);
    c.SetColour(ring);
    cairo_set_line_width(c.cr(), 3.0 * (1 - t) + 0.8);
    cairo_stroke(c.cr());
  }
  for (int s = 0; s < look.sparks; ++s) {
    const double a = rng.Range(0, 2 * M_PI), speed = rng.Range(0.6, 1.0);
    if (t < 0.1 || t > 0.8) continue;
    const double r0 = look.radius * speed * (0.3 + t), r1 = r0 + 5 * (1 - t) + 1;
    c.Line(cx + r0 * std::cos(a), cy + r0 * std::sin(a), cx + r1 * std::cos(a), cy + r1 * std::sin(a), 1.6,
           FireAt(t * 0.6));
  }
  for (int p = 0; p < look.puffs; ++p) {
    const double a = rng.Range(0, 2 * M_PI), dist = rng.Range(0.1, 0.65), size = rng.Range(0.35, 0.6);
    const double age = std::min(1.0, t * rng.Range(0.9, 1.25));
    // Puffs expand with the cloud, then shrink as they burn out.
    const double spread = look.radius * dist * (0.35 + 0.9 * std::sqrt(t));
    const double r = look.radius * size * (t < 0.3 ? 0.5 + t / 0.6 : 1.0 - 0.85 * (age - 0.3) / 0.7);
    if (r < 1.2) continue;
    const double px = cx + spread * std::cos(a), py = cy + spread * std::sin(a) - 4 * t;
    const Colour hot = t < 0.12 ? look.flash : FireAt(age);
    Blob(c, px, py, r, rng);
    c.Glow(px - r * 0.3, py - r * 0.3, r * 1.3, hot.Lighter(age < 0.5 ? 0.35 : 0.05), hot.Darker(0.4));
    if (age > 0.2 && age < 0.7) {
      // A hot core inside the younger puffs.
      Blob(c, px - r * 0.15, py - r * 0.15, r * 0.45, rng);
      c.Glow(px - r * 0.2, py - r * 0.2, r * 0.5, palette::kFireYellow.Lighter(0.3), hot);
    }
  }
  if (t < 0.25) {
    const double r = look.radius * (0.45 - t);
    c.Ellipse(cx, cy, r, r);
    c.Glow(cx, cy, r, palette::kWhite, look.flash);
  }
}

void PaintSmoke(const Canvas& c, int frame) {
  // Exhaust puffs behind missiles: a hot core that cools to grey and loosens over seven frames.
  const double t = frame / 6.0;
  Random rng(5);
  for (int p = 0; p < 3; ++p) {
    const double a = rng.Range(0, 2 * M_PI), d = 2 + 3 * t;
    const double r = 4.5 + 3.5 * t - p * 0.8;
    const double x = 12 + d * std::cos(a), y = 12 + d * std::sin(a);
    const Colour col = t < 0.3 ? palette::kFireYellow.Mix(palette::kFireOrange, t / 0.3)
                               : palette::kFireOrange.Mix(Rgb(96, 90, 98), std::min(1.0, (t - 0.3) / 0.5));
    c.Ellipse(x, y, r, r);
    c.Glow(x - 1, y - 1, r * 1.1, col.Lighter(0.2), col.Darker(0.3 + 0.2 * t));
  }
}

void PaintDebris(const Canvas& c, int frame, bool fromShip) {
  // Tumbling shards, four frames of a turn, drawn pixel by pixel at 5 x 5.
  static const char* const kShapes[4] = {
      "..#.."
      ".##.."
      "..##."
      "..#..",
      "....."
      ".#..."
      ".###."
      "...#.",
      "..#.."
      "..##."
      ".##.."
      "..#..",
      "....."
      "...#."
      ".###."
      ".#...",
  };
  const Colour bright = fromShip ? palette::kPlayerShot.Lighter(0.5) : palette::kFireYellow;
  const Colour dark = fromShip ? palette::kPlayerTrim : palette::kRust;
  const char* shape = kShapes[frame % 4];
  for (int i = 0; i < 20; ++i) {
    if (shape[i] != '#') continue;
    const int x = i % 5, y = i / 5 + 1;
    cairo_rectangle(c.cr(), x, y, 1, 1);
    c.SetColour((x + y) % 2 ? bright : dark);
    cairo_fill(c.cr());
  }
}

}  // namespace assetgen
