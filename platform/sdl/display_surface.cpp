#include "platform/sdl/display_surface.h"

#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::sdl {
namespace {

template <int Bytes>
inline uint32_t Load(const uint8_t* p) {
  if constexpr (Bytes == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  } else if constexpr (Bytes == 3) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
  } else {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
}

template <int Bytes>
inline void Store(uint8_t* p, uint32_t v) {
  if constexpr (Bytes == 2) {
    uint16_t w = uint16_t(v);
    std::memcpy(p, &w, 2);
  } else if constexpr (Bytes == 3) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
  } else {
    std::memcpy(p, &v, 4);
  }
}

// One row of a keyed copy: source pixels equal to the key stay out. The 2-
// and 4-byte rows go 16 bytes at a time: compare with the key, then keep the
// destination under the mask and the source elsewhere.
template <int Bytes>
void KeyedRow(uint8_t* dst, const uint8_t* src, int count, uint32_t key) {
  if constexpr (Bytes == 2 || Bytes == 4) {
    using Pixel = std::conditional_t<Bytes == 2, uint16_t, uint32_t>;
    int i = 0;
#if defined(__SSE2__)
    const __m128i k = Bytes == 2 ? _mm_set1_epi16(int16_t(key)) : _mm_set1_epi32(int32_t(key));
    for (; i + 16 / Bytes <= count; i += 16 / Bytes) {
      __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * Bytes));
      __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i * Bytes));
      __m128i keyed = Bytes == 2 ? _mm_cmpeq_epi16(s, k) : _mm_cmpeq_epi32(s, k);
      __m128i out = _mm_or_si128(_mm_and_si128(keyed, d), _mm_andnot_si128(keyed, s));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i * Bytes), out);
    }
#endif
    for (; i < count; ++i) {
      Pixel v;
      std::memcpy(&v, src + i * Bytes, Bytes);
      if (v != Pixel(key)) std::memcpy(dst + i * Bytes, &v, Bytes);
    }
  } else {
    for (int i = 0; i < count; ++i, dst += 3, src += 3) {
      uint32_t v = Load<3>(src);
      if (v != key) Store<3>(dst, v);
    }
  }
}

template <int Bytes>
void FillRows(uint8_t* row, int pitch, int width, int height, uint32_t pixel) {
  // A pixel of one repeated byte (black above all: every frame starts with
  // one) fills as plain bytes.
  const uint8_t low = uint8_t(pixel);
  bool oneByte = true;
  for (int i = 1; i < Bytes; ++i) oneByte = oneByte && uint8_t(pixel >> (8 * i)) == low;
  for (int y = 0; y < height; ++y, row += pitch) {
    if (oneByte) {
      std::memset(row, low, size_t(width) * Bytes);
      continue;
    }
    uint8_t* p = row;
    for (int x = 0; x < width; ++x, p += Bytes) Store<Bytes>(p, pixel);
  }
}

// Nearest-neighbour stretch: destination column i takes source column
// from.left + i * fw / dw, stepped without division.
template <int Bytes>
void StretchRows(uint8_t* dst, int dstPitch, int dw, int dh, const uint8_t* src, int srcPitch, int fw,
                 int fh, bool keyed, uint32_t key) {
  int yStep = fh / dh, yRest = fh % dh, yErr = 0;
  const uint8_t* srcRow = src;
  for (int y = 0; y < dh; ++y, dst += dstPitch) {
    const uint8_t* s = srcRow;
    uint8_t* d = dst;
    int xStep = (fw / dw) * Bytes, xRest = fw % dw, xErr = 0;
    for (int x = 0; x < dw; ++x, d += Bytes) {
      uint32_t v = Load<Bytes>(s);
      if (!keyed || v != key) Store<Bytes>(d, v);
      s += xStep;
      xErr += xRest;
      if (xErr >= dw) {
        xErr -= dw;
        s += Bytes;
      }
    }
    srcRow += size_t(yStep) * srcPitch;
    yErr += yRest;
    if (yErr >= dh) {
      yErr -= dh;
      srcRow += srcPitch;
    }
  }
}

template <class F>
auto ByBytes(int bytes, F&& f) {
  switch (bytes) {
    case 2: return f(std::integral_constant<int, 2>{});
    case 3: return f(std::integral_constant<int, 3>{});
    default: return f(std::integral_constant<int, 4>{});
  }
}

}  // namespace

MemorySurface::MemorySurface(int width, int height, PixelFormat format)
    : width_(width),
      height_(height),
      format_(format),
      bytes_(LayoutOf(format).bytesPerPixel),
      // Rows start on 4-byte boundaries, as display surfaces do.
      pitch_((width * bytes_ + 3) & ~3),
      pixels_(size_t(pitch_) * height, 0) {}

bool MemorySurface::Contains(const Rect& area) const {
  return area.left >= 0 && area.top >= 0 && area.right <= width_ && area.bottom <= height_ &&
         area.left <= area.right && area.top <= area.bottom;
}

SurfaceResult MemorySurface::Lock(const Rect* area, PixelMemory& memory) {
  if (lost_) return SurfaceResult::Lost;
  Rect whole{0, 0, width_, height_};
  const Rect& r = area ? *area : whole;
  if (!Contains(r)) return SurfaceResult::Failed;
  memory.bits = At(r.left, r.top);
  memory.pitch = pitch_;
  ++locks_;
  return SurfaceResult::Ok;
}

void MemorySurface::Unlock() {
  if (locks_ > 0) --locks_;
}

SurfaceResult MemorySurface::Restore() {
  lost_ = false;
  return SurfaceResult::Ok;
}

SurfaceResult MemorySurface::Fill(const Rect* area, uint32_t pixel) {
  if (lost_) return SurfaceResult::Lost;
  Rect whole{0, 0, width_, height_};
  const Rect& r = area ? *area : whole;
  if (!Contains(r)) return SurfaceResult::Failed;
  ByBytes(bytes_, [&](auto b) { FillRows<b()>(At(r.left, r.top), pitch_, r.Width(), r.Height(), pixel); });
  return SurfaceResult::Ok;
}

SurfaceResult MemorySurface::Copy(int x, int y, Surface& source, const Rect& from, bool keyed) {
  auto* src = dynamic_cast<MemorySurface*>(&source);
  if (!src || src->format_ != format_) return SurfaceResult::Failed;
  if (lost_ || src->lost_) return SurfaceResult::Lost;
  Rect to{x, y, x + from.Width(), y + from.Height()};
  if (!src->Contains(from) || !Contains(to)) return SurfaceResult::Failed;
  int rowBytes = from.Width() * bytes_;
  // A surface copied onto itself goes through a copy of the source rows.
  std::vector<uint8_t> staged;
  const uint8_t* s = src->At(from.left, from.top);
  int sPitch = src->pitch_;
  if (src == this) {
    staged.resize(size_t(rowBytes) * from.Height());
    for (int row = 0; row < from.Height(); ++row)
      std::memcpy(&staged[size_t(row) * rowBytes], s + size_t(row) * sPitch, rowBytes);
    s = staged.data();
    sPitch = rowBytes;
  }
  uint8_t* d = At(x, y);
  uint32_t key = src->colorKey_;
  for (int row = 0; row < from.Height(); ++row, d += pitch_, s += sPitch) {
    if (!keyed) std::memmove(d, s, rowBytes);
    else ByBytes(bytes_, [&](auto b) { KeyedRow<b()>(d, s, from.Width(), key); });
  }
  return SurfaceResult::Ok;
}

SurfaceResult MemorySurface::Stretch(const Rect& to, Surface& source, const Rect& from, bool keyed) {
  auto* src = dynamic_cast<MemorySurface*>(&source);
  if (!src || src->format_ != format_ || src == this) return SurfaceResult::Failed;
  if (lost_ || src->lost_) return SurfaceResult::Lost;
  if (!src->Contains(from) || !Contains(to)) return SurfaceResult::Failed;
  if (to.Width() == 0 || to.Height() == 0 || from.Width() == 0 || from.Height() == 0) return SurfaceResult::Ok;
  ByBytes(bytes_, [&](auto b) {
    StretchRows<b()>(At(to.left, to.top), pitch_, to.Width(), to.Height(), src->At(from.left, from.top),
                     src->pitch_, from.Width(), from.Height(), keyed, src->colorKey_);
  });
  return SurfaceResult::Ok;
}

SurfaceResult MemorySurface::Transfer(const Picture& picture) {
  if (lost_) return SurfaceResult::Lost;
  if (picture.width > width_ || picture.height > height_ ||
      picture.rgb.size() < size_t(picture.width) * picture.height * 3)
    return SurfaceResult::Failed;
  const uint8_t* in = picture.rgb.data();
  ByBytes(bytes_, [&](auto b) {
    for (int y = 0; y < picture.height; ++y) {
      uint8_t* out = At(0, y);
      for (int x = 0; x < picture.width; ++x, in += 3, out += b())
        Store<b()>(out, PackPixel(format_, in[0], in[1], in[2]));
    }
  });
  return SurfaceResult::Ok;
}

void ConvertToXrgb8888(PixelFormat format, const uint8_t* in, uint32_t* out, int count) {
  if (format == PixelFormat::Xrgb8888) {
    std::memcpy(out, in, size_t(count) * 4);
    return;
  }
  int i = 0;
  if (format == PixelFormat::Rgb888) {
    for (; i < count; ++i, in += 3) out[i] = uint32_t(in[0]) | (uint32_t(in[1]) << 8) | (uint32_t(in[2]) << 16);
    return;
  }
#if defined(__SSE2__)
  // Eight pixels at a time: each channel's top bits repeated into its low
  // ones, as UnpackPixel does, then red beside green and blue.
  const __m128i low5 = _mm_set1_epi16(0x1F), low6 = _mm_set1_epi16(0x3F);
  for (; i + 8 <= count; i += 8) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
    const __m128i r5 = _mm_srli_epi16(p, 11);
    const __m128i g6 = _mm_and_si128(_mm_srli_epi16(p, 5), low6);
    const __m128i b5 = _mm_and_si128(p, low5);
    const __m128i r = _mm_or_si128(_mm_slli_epi16(r5, 3), _mm_srli_epi16(r5, 2));
    const __m128i g = _mm_or_si128(_mm_slli_epi16(g6, 2), _mm_srli_epi16(g6, 4));
    const __m128i b = _mm_or_si128(_mm_slli_epi16(b5, 3), _mm_srli_epi16(b5, 2));
    const __m128i gb = _mm_or_si128(_mm_slli_epi16(g, 8), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi16(gb, r));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_unpackhi_epi16(gb, r));
  }
#endif
  for (; i < count; ++i) {
    const Rgb c = UnpackPixel(PixelFormat::Rgb565, Load<2>(in + 2 * i));
    out[i] = PackPixel(PixelFormat::Xrgb8888, c.r, c.g, c.b);
  }
}

}  // namespace platform::sdl
