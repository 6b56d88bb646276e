#include "contact_sheet.h"

#include <cairo.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "catalogue.h"

namespace assetgen {

namespace {

// Wraps a finished picture in a cairo surface, key pixels shown as the sheet's backdrop.
cairo_surface_t* ToSurface(const Picture& p) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, p.width, p.height);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < p.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < p.width; ++x) {
      const std::uint8_t* px = p.At(x, y);
      const bool key = px[0] == 0 && px[1] == 0 && px[2] == 0;
      row[x] = key ? 0u : (0xFF000000u | (px[0] << 16) | (px[1] << 8) | px[2]);
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

}  // namespace

void WriteContactSheet(const std::string& pngPath) {
  const std::vector<PictureSpec> entries = BuildCatalogue();
  // Shelf packing: rows as tall as their tallest picture plus a caption line.
  constexpr int kSheetWidth = 1800, kGap = 6, kCaption = 11;
  struct Placed {
    int x, y;
  };
  std::vector<Placed> places;
  int x = kGap, y = kGap, shelf = 0;
  for (const PictureSpec& s : entries) {
    const int cellW = std::max(s.width, 34);
    if (x + cellW + kGap > kSheetWidth) {
      x = kGap;
      y += shelf + kCaption + kGap;
      shelf = 0;
    }
    places.push_back({x, y});
    x += cellW + kGap;
    shelf = std::max(shelf, s.height);
  }
  const int height = y + shelf + kCaption + kGap;

  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetWidth, height);
  cairo_t* cr = cairo_create(sheet);
  cairo_set_source_rgb(cr, 0.09, 0.09, 0.12);
  cairo_paint(cr);
  cairo_select_font_face(cr, "monospace", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 9);
  for (size_t i = 0; i < entries.size(); ++i) {
    const PictureSpec& s = entries[i];
    cairo_rectangle(cr, places[i].x, places[i].y, s.width, s.height);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_surface_t* pic = ToSurface(Render(s));
    cairo_set_source_surface(cr, pic, places[i].x, places[i].y);
    cairo_paint(cr);
    cairo_surface_destroy(pic);
    cairo_set_source_rgb(cr, 0.75, 0.8, 0.9);
    cairo_move_to(cr, places[i].x, places[i].y + s.height + 9);
    cairo_show_text(cr, s.name.c_str());
  }
  cairo_destroy(cr);
  const cairo_status_t st = cairo_surface_write_to_png(sheet, pngPath.c_str());
  cairo_surface_destroy(sheet);
  if (st != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cannot write " + pngPath);
}

}  // namespace assetgen
