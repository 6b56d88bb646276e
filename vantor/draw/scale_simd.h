#pragma once
// The frame scaler's row kernels, written once over a vector type V (see
// kernels_simd.h: each instruction set's file includes this one and compiles
// it with its own instructions, so everything here has internal linkage).
#include <cstring>

#include "vantor/draw/scale.h"

namespace VantorDrawSystem {
namespace {

// 5-6-5 pixels to 0xFFRRGGBB, a register of them at a time: each channel's
// top bits repeated into its low ones, as UnpackPixel does; the low 16 bits
// of a result are green and blue, the high 16 alpha and red.
template <class V>
void ConvertRow565(const uint8_t* in, uint32_t* out, int count) {
  using T = typename V::T;
  constexpr int lanes = V::Bytes / 2;
  const T low5 = V::Set16(0x1F), low6 = V::Set16(0x3F), alpha = V::Set16(0xFF00);
  int i = 0;
  for (; i + lanes <= count; i += lanes) {
    const T p = V::Load(in + 2 * i);
    const T r5 = V::template SrlI16<11>(p);
    const T g6 = V::And(V::template SrlI16<5>(p), low6);
    const T b5 = V::And(p, low5);
    const T r = V::Or(V::Sll16(r5, 3), V::template SrlI16<2>(r5));
    const T g = V::Or(V::Sll16(g6, 2), V::template SrlI16<4>(g6));
    const T b = V::Or(V::Sll16(b5, 3), V::template SrlI16<2>(b5));
    T first, second;
    V::Interleave16(V::Or(V::Sll16(g, 8), b), V::Or(r, alpha), first, second);
    V::Store(reinterpret_cast<uint8_t*>(out + i), first);
    V::Store(reinterpret_cast<uint8_t*>(out + i + lanes / 2), second);
  }
  for (; i < count; ++i) {
    const uint32_t p = uint32_t(in[2 * i]) | uint32_t(in[2 * i + 1]) << 8;
    const platform::Rgb c = platform::UnpackPixel(platform::PixelFormat::Rgb565, p);
    out[i] = 0xFF000000 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
  }
}

template <class V>
void ConvertRow8888(const uint8_t* in, uint32_t* out, int count) {
  constexpr int lanes = V::Bytes / 4;
  const typename V::T alpha = V::Set32(0xFF000000);
  int i = 0;
  for (; i + lanes <= count; i += lanes)
    V::Store(reinterpret_cast<uint8_t*>(out + i), V::Or(V::Load(in + 4 * i), alpha));
  for (; i < count; ++i) {
    uint32_t p;
    std::memcpy(&p, in + 4 * i, 4);
    out[i] = p | 0xFF000000;
  }
}

// 3-byte pixels gain nothing from these registers: the generic kernel.
template <class V>
void ConvertRow(platform::PixelFormat format, const uint8_t* in, uint32_t* out, int count) {
  switch (format) {
    case platform::PixelFormat::Rgb565: ConvertRow565<V>(in, out, count); return;
    case platform::PixelFormat::Xrgb8888: ConvertRow8888<V>(in, out, count); return;
    case platform::PixelFormat::Rgb888: break;
  }
  ConvertRowGeneric(format, in, out, count);
}

// The pixels of a and b mixed, each with its own weight: `weights` holds a
// word per pixel with the weight in both 16-bit halves. Bytes in 16-bit
// lanes: (a * (256 - w) + b * w + 128) >> 8, packed back. The unpacking and
// packing both work within each 128-bit half, so the bytes come back in
// their order, and the weights unpack the same way as the pixels.
template <class V>
typename V::T MixPixels(typename V::T a, typename V::T b, typename V::T weights) {
  using T = typename V::T;
  const T zero = V::Zero(), full = V::Set16(256), half = V::Set16(128);
  auto mix = [&](T x, T y, T w) {
    return V::template SrlI16<8>(V::Add16(V::Add16(V::Mul16(x, V::Sub16(full, w)), V::Mul16(y, w)), half));
  };
  const T lo = mix(V::UnpackLo8(a, zero), V::UnpackLo8(b, zero), V::UnpackLo32(weights, weights));
  const T hi = mix(V::UnpackHi8(a, zero), V::UnpackHi8(b, zero), V::UnpackHi32(weights, weights));
  return V::PackUs16(lo, hi);
}

template <class V>
void MixRow(const uint32_t* a, const uint32_t* b, uint32_t* out, int count, int weight) {
  using T = typename V::T;
  constexpr int lanes = V::Bytes / 4;
  const T weights = V::Set32(uint32_t(weight) * 0x10001u);
  int i = 0;
  for (; i + lanes <= count; i += lanes) {
    const T x = V::Load(reinterpret_cast<const uint8_t*>(a + i));
    const T y = V::Load(reinterpret_cast<const uint8_t*>(b + i));
    V::Store(reinterpret_cast<uint8_t*>(out + i), MixPixels<V>(x, y, weights));
  }
  MixRowGeneric(a + i, b + i, out + i, count - i, weight);
}

// Widening stays generic unless the set has a faster one.
template <class V>
void InstallScaleRows(TScaleRowKernels& kernels) {
  kernels.Convert = ConvertRow<V>;
  kernels.Mix = MixRow<V>;
}

}  // namespace
}  // namespace VantorDrawSystem
