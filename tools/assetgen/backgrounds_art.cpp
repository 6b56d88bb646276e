#include <cmath>
#include <vector>

#include "craft_parts.h"
#include "families.h"
#include "random.h"

namespace assetgen {

namespace {

// Value noise on a lattice that wraps, so the field tiles with the picture.
class TiledNoise {
 public:
  TiledNoise(int cellsX, int cellsY, std::uint32_t seed) : cx_(cellsX), cy_(cellsY), v_(cellsX * cellsY) {
    Random rng(seed);
    for (double& x : v_) x = rng.Unit();
  }
  // u, v in [0, 1) across the whole picture.
  double At(double u, double v) const {
    const double x = u * cx_, y = v * cy_;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = Smooth(x - x0), fy = Smooth(y - y0);
    const double a = Cell(x0, y0), b = Cell(x0 + 1, y0), c = Cell(x0, y0 + 1), d = Cell(x0 + 1, y0 + 1);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
  }

 private:
  static double Smooth(double t) { return t * t * (3 - 2 * t); }
  double Cell(int x, int y) const { return v_[((y % cy_ + cy_) % cy_) * cx_ + (x % cx_ + cx_) % cx_]; }
  int cx_, cy_;
  std::vector<double> v_;
};

double Fbm(const std::vector<TiledNoise>& octaves, double u, double v) {
  double sum = 0, weight = 0.5, total = 0;
  for (const TiledNoise& n : octaves) {
    sum += weight * n.At(u, v);
    total += weight;
    weight *= 0.5;
  }
  return sum / total;
}

// Calls draw with x offsets -w, 0, +w so shapes crossing an edge continue on the other side.
template <typename F>
void Wrapped(double w, F draw) {
  for (int k = -1; k <= 1; ++k) draw(k * w);
}

struct BandLook {
  bool ceiling;     // hangs from the top (undersides lit less)
  double panel;     // panel width in pixels (divides 320)
  double light;     // brightness of the near edge
  bool silhouette;  // a skyline with transparent gaps
};

// b01..b06: floor near, middle, far; ceiling near, middle, far.
constexpr BandLook kBands[6] = {
    {false, 64, 1.0, false}, {false, 40, 0.62, false}, {false, 32, 0.45, true},
    {true, 64, 1.0, false},  {true, 40, 0.62, false},  {true, 32, 0.45, true},
};

}  // namespace

void PaintDeepSpace(const Canvas& c) {
  // A dark nebula with stars, seamless in both directions (it is tiled, turned and zoomed).
  const int w = c.Width(), h = c.Height();
  std::vector<TiledNoise> cloud, tint;
  for (int k = 0; k < 4; ++k) {
    cloud.emplace_back(4 << k, 3 << k, 100 + k);
    tint.emplace_back(2 << k, 3 << k, 200 + k);
  }
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  unsigned char* data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  const Colour deep = Rgb(10, 10, 30), violet = Rgb(80, 36, 110), teal = Rgb(20, 90, 112);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < w; ++x) {
      const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
      const double d = std::pow(Fbm(cloud, u, v), 2.2) * 1.9;
      const Colour col = deep.Mix(violet.Mix(teal, Fbm(tint, u, v)), std::min(1.0, d));
      row[x] = (static_cast<std::uint32_t>(col.r * 255) << 16) | (static_cast<std::uint32_t>(col.g * 255) << 8) |
               static_cast<std::uint32_t>(col.b * 255);
    }
  }
  cairo_surface_mark_dirty(img);
  cairo_set_source_surface(c.cr(), img, 0, 0);
  cairo_paint(c.cr());
  cairo_surface_destroy(img);

  Random rng(77);
  for (int s = 0; s < 110; ++s) {
    const double x = rng.Range(0, w), y = rng.Range(0, h), b = rng.Range(0.35, 1.0);
    const bool big = rng.Below(12) == 0;
    const Colour col = Rgb(200, 210, 255).Mix(Rgb(255, 230, 200), rng.Unit()).Scaled(b);
    for (int oy = -1; oy <= 1; ++oy) {
      Wrapped(w, [&](double ox) {
        const double px = x + ox, py = y + oy * h;
        if (big) {
          c.Line(px - 3, py, px + 3, py, 0.9, col.Darker(0.3));
          c.Line(px, py - 3, px, py + 3, 0.9, col.Darker(0.3));
          c.Disc(px, py, 1.2, col);
        } else {
          cairo_rectangle(c.cr(), std::floor(px), std::floor(py), 1, 1);
          c.SetColour(col);
          cairo_fill(c.cr());
        }
      });
    }
  }
}

void PaintBand(const Canvas& c, int layer) {
  // The perspective floor and ceiling of the station: bands nearer the screen edge are nearer
  // the viewer, brighter, with wider panels; all of them wrap at 320 pixels.
  cairo_t* cr = c.cr();
  const BandLook& look = kBands[layer - 1];
  const double w = c.Width(), h = c.Height();
  // Farther bands are darker and bluer, as if seen through the haze of the station.
  const Colour steel = Rgb(104, 116, 144).Mix(Rgb(50, 58, 110), 1 - look.light).Scaled(0.35 + 0.65 * look.light);
  const Colour dark = Rgb(30, 34, 56).Scaled(0.6 + 0.4 * look.light);
  Random rng(300 + layer);

  if (look.silhouette) {
    // A skyline of towers (floor) or hanging gantries (ceiling), drawn with wrap.
    for (double x = 0; x < w; x += look.panel / 2) {
      const double top = rng.Range(0.2, 0.95) * h, width = rng.Range(6, 14);
      const bool lamp = rng.Below(3) == 0;
      Wrapped(w, [&](double ox) {
        const double y0 = look.ceiling ? 0 : h - top, y1 = look.ceiling ? top : h;
        cairo_rectangle(cr, x + ox, y0, width, y1 - y0);
        c.Shade(steel.Darker(0.2), 1.0);
        if (lamp) Lamp(c, x + ox + width / 2, look.ceiling ? y1 - 3 : y0 + 3, 1.2, palette::kEnemyLight);
      });
    }
    // The continuous base the towers stand on (or hang from).
    cairo_rectangle(cr, 0, look.ceiling ? 0 : h - 6, w, 6);
    c.SetColour(dark);
    cairo_fill(cr);
    return;
  }

  // Solid band: a gradient from the lit near edge to the dark far edge.
  cairo_pattern_t* g = cairo_pattern_create_linear(0, look.ceiling ? 0 : h, 0, look.ceiling ? h : 0);
  cairo_pattern_add_color_stop_rgb(g, 0, steel.r, steel.g, steel.b);
  cairo_pattern_add_color_stop_rgb(g, 1, dark.r, dark.g, dark.b);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);

  for (double x = 0; x < w; x += look.panel) {
    // Seams with a lit left lip (light from the left), rivets, and now and then a vent or a lamp.
    c.Line(x + 0.5, 0, x + 0.5, h, 1.2, dark.Darker(0.4));
    c.Line(x + 1.6, 0, x + 1.6, h, 0.8, steel.Lighter(0.25));
    const double ry = look.ceiling ? h - 5 : 5;
    for (double rx = x + 6; rx < x + look.panel - 3; rx += 10) c.Disc(rx, ry, 1.1, steel.Lighter(0.35));
    const int detail = rng.Below(4);
    const double mid = x + look.panel / 2;
    if (detail == 0) {
      for (int k = 0; k < 3; ++k) c.Line(mid - 10, h / 2 - 4 + 4 * k, mid + 10, h / 2 - 4 + 4 * k, 1.6, dark);
    } else if (detail == 1) {
      Lamp(c, mid, h / 2, 1.8, palette::kPlayerGlass.Darker(0.2));
    } else if (detail == 2) {
      c.RoundedRect(mid - 12, h * 0.3, 24, h * 0.4, 2);
      c.Shade(steel.Darker(0.1), 1.0);
    }
  }
  // A rail along the near edge.
  const double ry = look.ceiling ? h - 2 : 1;
  c.Line(0, ry, w, ry, 2, steel.Lighter(0.3));
}

}  // namespace assetgen
