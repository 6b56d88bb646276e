// The generic kernels: the integer formulas of every effect for pixels of
// 1 to 4 bytes, channel by channel, and the rotate-zoom sampler.
#include <cstring>

#include "vantor/draw/kernels_sets.h"
#include "vantor/draw/pixel_format.h"

namespace VantorDrawSystem {
namespace {

// Pixels are read and written with exactly their own bytes, so a 3-byte pixel
// at the end of a surface never touches the byte after it.
template <int Bytes>
uint32_t LoadPixel(const uint8_t* p) {
  uint32_t v = 0;
  std::memcpy(&v, p, Bytes);  // little-endian: the low bytes of the value
  return v;
}

template <int Bytes>
void StorePixel(uint8_t* p, uint32_t v) {
  std::memcpy(p, &v, Bytes);
}

// Per-call constants: the channel masks and, for the colour effects, the
// level's byte for each channel.
struct BlendParams {
  uint32_t mask[3];
  uint32_t colour[3];
  uint32_t level;
  uint32_t other;
  uint32_t colorMask;
  uint32_t key;

  explicit BlendParams(int32_t param) {
    const TPixelFormat& pf = PixelFormat;
    level = static_cast<uint32_t>(param);
    mask[0] = pf.RMask;
    mask[1] = pf.GMask;
    mask[2] = pf.BMask;
    colour[0] = (level >> 16) & 0xFF;
    colour[1] = (level >> 8) & 0xFF;
    colour[2] = level & 0xFF;
    other = pf.OtherMask;
    colorMask = pf.ColorMask;
    key = pf.KeyColor;
  }
};

// Channel results; m is the channel's mask, a the level, k the channel's
// colour byte. Values stay in place within the pixel.
struct Alpha {
  static uint32_t Channel(uint32_t d, uint32_t s, uint32_t m, uint32_t a, uint32_t) {
    return (((d & m) * (255 - a) + (s & m) * a) >> 8) & m;
  }
};

struct Add {
  static uint32_t Channel(uint32_t d, uint32_t s, uint32_t m, uint32_t a, uint32_t) {
    uint32_t t = (d & m) + (((s & m) * a) >> 8);
    if (t >= m) t = m;
    return t & m;
  }
};

// The subtractions work on the inverted destination so that one saturating
// addition does the clamping at 0.
struct SubInverse {
  static uint32_t Channel(uint32_t d, uint32_t s, uint32_t m, uint32_t a, uint32_t) {
    uint32_t t = (~d & m) + (((~s & m) * a) >> 8);
    if (t >= m) t = m;
    return m & ~t;
  }
};

struct Sub {
  static uint32_t Channel(uint32_t d, uint32_t s, uint32_t m, uint32_t a, uint32_t) {
    uint32_t t = (~d & m) + (((s & m) * a) >> 8);
    if (t >= m) t = m;
    return m & ~t;
  }
};

struct ColorAdd {
  static uint32_t Channel(uint32_t, uint32_t s, uint32_t m, uint32_t, uint32_t k) {
    uint32_t t = (((k * m) / 256) & m) + (s & m);
    if (t >= m) t = m;
    return t;
  }
};

struct ColorMul {
  static uint32_t Channel(uint32_t, uint32_t s, uint32_t m, uint32_t, uint32_t k) {
    return ((k * (s & m)) / 256) & m;
  }
};

template <int Bytes, class Effect, bool Keyed>
void BlendKernel(const TVantorDrawDirect& dd) {
  const BlendParams p(dd.Param1);
  for (int32_t y = 0; y < dd.Height; ++y) {
    uint8_t* dst = dd.Dst + static_cast<intptr_t>(y) * dd.DstPitch;
    const uint8_t* src = dd.Src + static_cast<intptr_t>(y) * dd.SrcPitch;
    for (int32_t x = 0; x < dd.Width; ++x, dst += Bytes, src += Bytes) {
      const uint32_t s = LoadPixel<Bytes>(src);
      if (Keyed && (s & p.colorMask) == p.key) continue;
      const uint32_t d = LoadPixel<Bytes>(dst);
      uint32_t r = d & p.other;
      for (int c = 0; c < 3; ++c) r |= Effect::Channel(d, s, p.mask[c], p.level, p.colour[c]);
      StorePixel<Bytes>(dst, r);
    }
  }
}

// Signed 32-bit arithmetic that wraps like the machine's instead of being
// undefined: the rotate-zoom sampling is defined on 32-bit registers.
int32_t Wrap(uint32_t v) { return static_cast<int32_t>(v); }
int32_t Mul(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }
int32_t Plus(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
int32_t Minus(int32_t a, int32_t b) { return Wrap(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
int32_t Half(int32_t v) { return v / 2; }
int32_t Abs(int32_t v) { return v < 0 ? Minus(0, v) : v; }

template <int Bytes, bool Keyed>
void RotZoomKernel(const TVantorDrawDirect& dd) {
  const int32_t z = dd.Param2;
  if (z == 0 || dd.Width <= 0 || dd.Height <= 0) return;
  const int32_t w = dd.Width, h = dd.Height;
  const uint32_t angle = static_cast<uint32_t>(dd.Param1) & 0xFFFF;
  const int32_t s = SinTable[angle], c = CosTable[angle];

  // Source steps per destination pixel (16.16).
  const int32_t cs = (c * 256) / z, ss = (s * 256) / z;

  // Half extents of the rotated cell's bounding box, whole pixels.
  const int32_t cz = Mul(c, z) >> 8, sz = Mul(s, z) >> 8;
  const int32_t hw = Plus(Abs(Half(Mul(w, cz))), Abs(Half(Mul(h, sz)))) >> 16;
  const int32_t hh = Plus(Abs(Half(Mul(w, sz))), Abs(Half(Mul(h, cz)))) >> 16;

  // Box edges in 64 bits: the centre may lie anywhere an int reaches.
  int64_t left = int64_t{dd.X} - hw, right = int64_t{dd.X} + hw;
  int64_t top = int64_t{dd.Y} - hh, bottom = int64_t{dd.Y} + hh;

  // Source position of the box's top-left corner.
  int32_t px0 = Minus(Plus(Wrap((static_cast<uint32_t>(Half(w)) & 0xFFFF) << 16), Mul(hh, ss)), Mul(hw, cs));
  int32_t py0 = Minus(Minus(Wrap((static_cast<uint32_t>(Half(h)) & 0xFFFF) << 16), Mul(hw, ss)), Mul(hh, cs));
  if (left < 0) {
    const int32_t l = Wrap(static_cast<uint32_t>(left));
    px0 = Minus(px0, Mul(cs, l));
    py0 = Minus(py0, Mul(ss, l));
    left = 0;
  }
  if (top < 0) {
    const int32_t t = Wrap(static_cast<uint32_t>(top));
    py0 = Minus(py0, Mul(cs, t));
    px0 = Plus(px0, Mul(ss, t));
    top = 0;
  }
  right = std::min<int64_t>(right, PixelFormat.ScreenWidth);
  bottom = std::min<int64_t>(bottom, PixelFormat.ScreenHeight);
  if (right - left <= 0 || bottom - top <= 0) return;

  // px and py are inside the cell exactly when, as unsigned values, they are
  // below the cell size in 16.16 (a negative position is a huge unsigned one).
  const uint32_t limitX = static_cast<uint32_t>(std::min(w, 32768)) << 16;
  const uint32_t limitY = static_cast<uint32_t>(std::min(h, 32768)) << 16;
  // The key is compared on the pixel's colour bits, like the blend kernels:
  // the unused byte of a 4-byte pixel carries no colour.
  const uint32_t keyMask = Bytes == 4 ? PixelFormat.ColorMask : 0xFFFFFFFFu;
  const uint32_t key = PixelFormat.KeyColor;

  uint32_t rowX = static_cast<uint32_t>(px0), rowY = static_cast<uint32_t>(py0);
  for (int64_t y = top; y < bottom; ++y) {
    uint8_t* dst = dd.Dst + y * dd.DstPitch + left * Bytes;
    uint32_t px = rowX, py = rowY;
    for (int64_t x = left; x < right; ++x, dst += Bytes) {
      if (px < limitX && py < limitY) {
        const uint8_t* src = dd.Src + static_cast<intptr_t>(py >> 16) * dd.SrcPitch + (px >> 16) * Bytes;
        const uint32_t v = LoadPixel<Bytes>(src);
        if (!Keyed || (v & keyMask) != key) StorePixel<Bytes>(dst, v);
      }
      px += static_cast<uint32_t>(cs);
      py += static_cast<uint32_t>(ss);
    }
    rowX -= static_cast<uint32_t>(ss);
    rowY += static_cast<uint32_t>(cs);
  }
}

template <int Bytes>
void FillBlend(TVantorKernelTable& t) {
  t.Blend[1] = BlendKernel<Bytes, Alpha, false>;
  t.Blend[2] = BlendKernel<Bytes, Add, false>;
  t.Blend[3] = BlendKernel<Bytes, SubInverse, false>;
  t.Blend[4] = BlendKernel<Bytes, Sub, false>;
  t.Blend[5] = BlendKernel<Bytes, ColorAdd, false>;
  t.Blend[6] = BlendKernel<Bytes, ColorMul, false>;
  t.Blend[KeyedBlendOffset + 1] = BlendKernel<Bytes, Alpha, true>;
  t.Blend[KeyedBlendOffset + 2] = BlendKernel<Bytes, Add, true>;
  t.Blend[KeyedBlendOffset + 3] = BlendKernel<Bytes, SubInverse, true>;
  t.Blend[KeyedBlendOffset + 4] = BlendKernel<Bytes, Sub, true>;
  t.Blend[KeyedBlendOffset + 5] = BlendKernel<Bytes, ColorAdd, true>;
  t.Blend[KeyedBlendOffset + 6] = BlendKernel<Bytes, ColorMul, true>;
}

template <int Bytes>
void FillRotZoom(TVantorKernelTable& t) {
  t.RotZoom = RotZoomKernel<Bytes, false>;
  t.RotZoomKey = RotZoomKernel<Bytes, true>;
}

}  // namespace

TVantorKernelTable GenericKernels(uint32_t pixelBytes) {
  TVantorKernelTable t{};
  switch (pixelBytes) {
    case 1: FillBlend<1>(t); break;
    case 2: FillBlend<2>(t); FillRotZoom<2>(t); break;
    case 3: FillBlend<3>(t); FillRotZoom<3>(t); break;
    case 4: FillBlend<4>(t); FillRotZoom<4>(t); break;
    default: break;  // no kernels for other pixel sizes
  }
  return t;
}

}  // namespace VantorDrawSystem
