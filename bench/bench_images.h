#pragma once
// The pictures every benchmark works on: a 640 x 480 destination and a
// 100 x 100 sprite (a disc of colours on the black key) in RGB565 or
// XRGB8888, stored so that our kernels, pixman and SDL share the same bytes.
#include <SDL2/SDL.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "vantor/draw/kernels.h"
#include "vantor/draw/pixel_format.h"

namespace bench {

using namespace VantorDrawSystem;

constexpr int kScreenWidth = 640, kScreenHeight = 480, kSpriteSize = 100;
// The sprite's top-left corner for the 1:1 blits: the middle of the screen.
constexpr int kSpriteX = 270, kSpriteY = 190;

struct BenchFormat {
  const char* name;
  TDisplayFormat display;
  pixman_format_code_t pixman;
  uint32_t sdl;
};

inline const BenchFormat kFormats[] = {
    {"565", {16, 0xF800, 0x07E0, 0x001F}, PIXMAN_r5g6b5, SDL_PIXELFORMAT_RGB565},
    {"8888", {32, 0xFF0000, 0x00FF00, 0x0000FF}, PIXMAN_x8r8g8b8, SDL_PIXELFORMAT_RGB888},
};

inline uint32_t Pack(const BenchFormat& f, uint32_t r, uint32_t g, uint32_t b) {
  if (f.display.BitCount == 16) return (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
  return r << 16 | g << 8 | b;
}

// One picture; rows are whole 32-bit words as pixman wants them.
class Picture {
 public:
  Picture(const BenchFormat& f, int width, int height)
      : width_(width), height_(height), bytes_(static_cast<int>(f.display.BitCount / 8)),
        pitch_((width * bytes_ + 3) / 4 * 4), words_(static_cast<size_t>(pitch_ / 4) * height) {}

  uint8_t* Pixels() { return reinterpret_cast<uint8_t*>(words_.data()); }
  uint32_t* Words() { return words_.data(); }
  uint8_t* At(int x, int y) { return Pixels() + y * pitch_ + x * bytes_; }
  int Pitch() const { return pitch_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Bytes() const { return bytes_; }
  void Set(int x, int y, uint32_t v) { std::memcpy(At(x, y), &v, bytes_); }

 private:
  int width_, height_, bytes_, pitch_;
  std::vector<uint32_t> words_;
};

// A soft gradient, so no destination pixel is a special value.
inline Picture MakeScreen(const BenchFormat& f) {
  Picture p(f, kScreenWidth, kScreenHeight);
  for (int y = 0; y < kScreenHeight; ++y)
    for (int x = 0; x < kScreenWidth; ++x)
      p.Set(x, y, Pack(f, x * 255 / kScreenWidth, y * 255 / kScreenHeight, 128));
  return p;
}

// Key-coloured (black) corners around a disc of random colours, never black.
inline Picture MakeSprite(const BenchFormat& f) {
  Picture p(f, kSpriteSize, kSpriteSize);
  std::mt19937 random(2001);
  const int r = kSpriteSize / 2;
  for (int y = 0; y < kSpriteSize; ++y)
    for (int x = 0; x < kSpriteSize; ++x) {
      const int dx = x - r, dy = y - r;
      const bool inside = dx * dx + dy * dy < r * r;
      p.Set(x, y, inside ? Pack(f, 8 | (random() & 0xFF), random() & 0xFF, random() & 0xFF) : 0);
    }
  return p;
}

inline pixman_image_t* PixmanImage(const BenchFormat& f, Picture& p) {
  return pixman_image_create_bits(f.pixman, p.Width(), p.Height(), p.Words(), p.Pitch());
}

// Makes pixman sample `src` (a kSpriteSize square) the way the rotate-zoom
// kernel does: a destination pixel at (dx, dy) from the centre reads the
// source at its middle plus (dx c - dy s, dx s + dy c), c and s being the
// cosine and sine over the zoom. Returns the half size of the square of
// destination pixels the rotated picture covers.
inline int SetRotation(pixman_image_t* src, int angle, int zoom, int cx, int cy) {
  const double radians = angle * 2 * M_PI / 65536;
  const double c = std::cos(radians) * 256 / zoom, s = std::sin(radians) * 256 / zoom;
  const double half = kSpriteSize / 2.0;
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(c);
  t.matrix[0][1] = pixman_double_to_fixed(-s);
  // pixman samples at pixel centres, the kernel at pixel corners.
  t.matrix[0][2] = pixman_double_to_fixed(half - c * (cx + 0.5) + s * (cy + 0.5));
  t.matrix[1][0] = pixman_double_to_fixed(s);
  t.matrix[1][1] = pixman_double_to_fixed(c);
  t.matrix[1][2] = pixman_double_to_fixed(half - s * (cx + 0.5) - c * (cy + 0.5));
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  return static_cast<int>(std::ceil((std::abs(std::cos(radians)) + std::abs(std::sin(radians))) * half * zoom / 256));
}

inline SDL_Surface* SdlSurface(const BenchFormat& f, Picture& p) {
  return SDL_CreateRGBSurfaceWithFormatFrom(p.Pixels(), p.Width(), p.Height(), static_cast<int>(f.display.BitCount),
                                            p.Pitch(), f.sdl);
}

}  // namespace bench
