#pragma once
// The accelerated blend kernels, written once over a vector type V (SSE2:
// 128 bits, AVX2: 256 bits; see kernels_sse2.cpp and kernels_avx2.cpp). Each
// of those files includes this one and compiles it with its own instruction
// set, so everything here has internal linkage: the two copies must never be
// merged by the linker.
//
// Behaviour (the reference the tests pin):
//  - 2-byte pixels: alpha unpacks each channel with the normalised shifts (in
//    5-6-5 the low green bit comes out 0); add, subtract-inverse and subtract
//    work on the channels' full widths and give the generic results.
//  - 4-byte pixels: four 8-bit lanes, the unused byte treated as a channel;
//    alpha is min(255, (d*(255-a) >> 8) + (s*a >> 8)) per byte.
//  - Alpha at level 128: ((d >> 1) & h) + ((s >> 1) & h) on the whole pixel.
//  - Add, subtract-inverse, subtract at level 255 use the full source value.
#include <cstring>

#include "vantor/draw/kernels.h"
#include "vantor/draw/pixel_format.h"

namespace VantorDrawSystem {
namespace {

// The three saturating effects differ only in the operand they add to or
// take from the destination.
enum class Saturating { Add, SubInverse, Sub };

// Plain code rather than std::min: a standard template instantiated here
// would be compiled for this file's instruction set and could be the copy
// the linker keeps for the whole program.
inline uint32_t Narrowest(const TPixelFormat& pf) {
  const uint32_t rg = pf.RBits < pf.GBits ? pf.RBits : pf.GBits;
  return rg < pf.BBits ? rg : pf.BBits;
}

// Where a channel sits in a 2-byte pixel.
struct ChannelLayout {
  int shift[3];
  uint32_t max[3];
};

// Full-width channels: lowest mask bit and all of the mask's bits.
inline ChannelLayout FullChannels() {
  const TPixelFormat& pf = PixelFormat;
  const uint32_t shifts[3] = {pf.RShift, pf.GShift, pf.BShift};
  const uint32_t bits[3] = {pf.RBits, pf.GBits, pf.BBits};
  const uint32_t narrowest = Narrowest(pf);
  ChannelLayout l{};
  for (int c = 0; c < 3; ++c) {
    l.shift[c] = static_cast<int>(shifts[c] - (bits[c] - narrowest));
    l.max[c] = (1u << bits[c]) - 1;
  }
  return l;
}

// Channels reduced to the narrowest width at the normalised shifts.
inline ChannelLayout ReducedChannels() {
  const TPixelFormat& pf = PixelFormat;
  const uint32_t narrowest = Narrowest(pf);
  return {{static_cast<int>(pf.RShift), static_cast<int>(pf.GShift), static_cast<int>(pf.BShift)},
          {(1u << narrowest) - 1, (1u << narrowest) - 1, (1u << narrowest) - 1}};
}

// Alpha at level 128 on 2-byte pixels: half of each, the bit that moves
// into the next channel masked off.
template <class V>
struct Half16 {
  using T = typename V::T;
  T h = V::Set16(PixelFormat.GMask == 0x07E0 ? 0x7BEF : 0x3DEF);
  T operator()(T d, T s) const {
    return V::Add16(V::And(V::template SrlI16<1>(d), h), V::And(V::template SrlI16<1>(s), h));
  }
};

template <class V>
struct Alpha16 {
  using T = typename V::T;
  ChannelLayout layout = ReducedChannels();
  T channelMax = V::Set16(layout.max[0]);
  T other = V::Set16(PixelFormat.OtherMask);
  T level, inverse;
  explicit Alpha16(uint32_t a) : level(V::Set16(a)), inverse(V::Set16(255 - a)) {}
  T operator()(T d, T s) const {
    T r = V::And(d, other);
    for (int c = 0; c < 3; ++c) {
      const T dc = V::And(V::Srl16(d, layout.shift[c]), channelMax);
      const T sc = V::And(V::Srl16(s, layout.shift[c]), channelMax);
      const T mixed = V::template SrlI16<8>(V::Add16(V::Mul16(dc, inverse), V::Mul16(sc, level)));
      r = V::Or(r, V::Sll16(mixed, layout.shift[c]));
    }
    return r;
  }
};

template <class V, Saturating Mode>
struct Saturate16 {
  using T = typename V::T;
  ChannelLayout layout = FullChannels();
  T channelMax[3] = {V::Set16(layout.max[0]), V::Set16(layout.max[1]), V::Set16(layout.max[2])};
  T other = V::Set16(PixelFormat.OtherMask);
  T level;
  bool full;  // level 255: the full source value
  explicit Saturate16(uint32_t a) : level(V::Set16(a)), full(a == 255) {}
  T operator()(T d, T s) const {
    T r = V::And(d, other);
    for (int c = 0; c < 3; ++c) {
      const T max = channelMax[c];
      const T dc = V::And(V::Srl16(d, layout.shift[c]), max);
      T sc = V::And(V::Srl16(s, layout.shift[c]), max);
      if (Mode == Saturating::SubInverse) sc = V::Sub16(max, sc);
      const T x = full ? sc : V::template SrlI16<8>(V::Mul16(sc, level));
      const T rc = Mode == Saturating::Add ? V::Min16(V::Add16(dc, x), max) : V::SubSat16(dc, x);
      r = V::Or(r, V::Sll16(rc, layout.shift[c]));
    }
    return r;
  }
};

// Alpha at level 128 on 4-byte pixels: per byte, halves with 0x7F.
template <class V>
struct Half32 {
  using T = typename V::T;
  T h = V::Set16(0x7F7F);
  T operator()(T d, T s) const {
    return V::Add8(V::And(V::template SrlI16<1>(d), h), V::And(V::template SrlI16<1>(s), h));
  }
};

// Bytes times a level, >> 8, packed back to bytes: eight lanes of 16 bits
// per half register.
template <class V>
typename V::T ScaleBytes(typename V::T v, typename V::T level) {
  const typename V::T zero = V::Zero();
  const typename V::T lo = V::template SrlI16<8>(V::Mul16(V::UnpackLo8(v, zero), level));
  const typename V::T hi = V::template SrlI16<8>(V::Mul16(V::UnpackHi8(v, zero), level));
  return V::PackUs16(lo, hi);
}

template <class V>
struct Alpha32 {
  using T = typename V::T;
  T level, inverse;
  explicit Alpha32(uint32_t a) : level(V::Set16(a)), inverse(V::Set16(255 - a)) {}
  T operator()(T d, T s) const {
    const T zero = V::Zero();
    // The packing saturates: min(255, ...) per byte.
    const T lo = V::Add16(V::template SrlI16<8>(V::Mul16(V::UnpackLo8(d, zero), inverse)),
                          V::template SrlI16<8>(V::Mul16(V::UnpackLo8(s, zero), level)));
    const T hi = V::Add16(V::template SrlI16<8>(V::Mul16(V::UnpackHi8(d, zero), inverse)),
                          V::template SrlI16<8>(V::Mul16(V::UnpackHi8(s, zero), level)));
    return V::PackUs16(lo, hi);
  }
};

template <class V, Saturating Mode>
struct Saturate32 {
  using T = typename V::T;
  T level;
  bool full;
  explicit Saturate32(uint32_t a) : level(V::Set16(a)), full(a == 255) {}
  T operator()(T d, T s) const {
    if (Mode == Saturating::SubInverse) s = V::Xor(s, V::Set32(0xFFFFFFFF));  // 255 - s per byte
    const T x = full ? s : ScaleBytes<V>(s, level);
    return Mode == Saturating::Add ? V::AddSat8(d, x) : V::SubSat8(d, x);
  }
};

// Runs an operation over the rows, a register of pixels at a time; the last
// pixels of a row go through a zero-padded copy so they get the same
// arithmetic without touching memory past the row.
template <class V, int Bytes, bool Keyed, class Op>
void Rows(const TVantorDrawDirect& dd, const Op& op) {
  using T = typename V::T;
  constexpr int lanes = V::Bytes / Bytes;
  const TPixelFormat& pf = PixelFormat;
  const T colorMask = Bytes == 2 ? V::Set16(pf.ColorMask) : V::Set32(pf.ColorMask);
  const T key = Bytes == 2 ? V::Set16(pf.KeyColor) : V::Set32(pf.KeyColor);
  const auto step = [&](uint8_t* dst, const uint8_t* src) {
    const T s = V::Load(src), d = V::Load(dst);
    T r = op(d, s);
    if (Keyed) {
      const T masked = V::And(s, colorMask);
      const T skip = Bytes == 2 ? V::CmpEq16(masked, key) : V::CmpEq32(masked, key);
      r = V::Or(V::And(skip, d), V::AndNot(skip, r));
    }
    V::Store(dst, r);
  };
  for (int32_t y = 0; y < dd.Height; ++y) {
    uint8_t* dst = dd.Dst + static_cast<intptr_t>(y) * dd.DstPitch;
    const uint8_t* src = dd.Src + static_cast<intptr_t>(y) * dd.SrcPitch;
    int32_t x = 0;
    for (; x + lanes <= dd.Width; x += lanes) step(dst + x * Bytes, src + x * Bytes);
    if (x < dd.Width) {
      const size_t rest = static_cast<size_t>(dd.Width - x) * Bytes;
      alignas(32) uint8_t srcTail[V::Bytes] = {}, dstTail[V::Bytes] = {};
      std::memcpy(srcTail, src + x * Bytes, rest);
      std::memcpy(dstTail, dst + x * Bytes, rest);
      step(dstTail, srcTail);
      std::memcpy(dst + x * Bytes, dstTail, rest);
    }
  }
}

template <class V, bool Keyed>
void AlphaKernel16(const TVantorDrawDirect& dd) {
  const uint32_t a = static_cast<uint32_t>(dd.Param1);
  if (a == 128) {
    Rows<V, 2, Keyed>(dd, Half16<V>());
  } else {
    Rows<V, 2, Keyed>(dd, Alpha16<V>(a));
  }
}

template <class V, bool Keyed>
void AlphaKernel32(const TVantorDrawDirect& dd) {
  const uint32_t a = static_cast<uint32_t>(dd.Param1);
  if (a == 128) {
    Rows<V, 4, Keyed>(dd, Half32<V>());
  } else {
    Rows<V, 4, Keyed>(dd, Alpha32<V>(a));
  }
}

template <class V, Saturating Mode, bool Keyed>
void SaturateKernel16(const TVantorDrawDirect& dd) {
  Rows<V, 2, Keyed>(dd, Saturate16<V, Mode>(static_cast<uint32_t>(dd.Param1)));
}

template <class V, Saturating Mode, bool Keyed>
void SaturateKernel32(const TVantorDrawDirect& dd) {
  Rows<V, 4, Keyed>(dd, Saturate32<V, Mode>(static_cast<uint32_t>(dd.Param1)));
}

template <class V, bool Keyed>
void InstallBlendSlots(uint32_t pixelBytes, TVantorDrawKernel* slots) {
  if (pixelBytes == 2) {
    slots[1] = AlphaKernel16<V, Keyed>;
    slots[2] = SaturateKernel16<V, Saturating::Add, Keyed>;
    slots[3] = SaturateKernel16<V, Saturating::SubInverse, Keyed>;
    slots[4] = SaturateKernel16<V, Saturating::Sub, Keyed>;
  } else if (pixelBytes == 4) {
    slots[1] = AlphaKernel32<V, Keyed>;
    slots[2] = SaturateKernel32<V, Saturating::Add, Keyed>;
    slots[3] = SaturateKernel32<V, Saturating::SubInverse, Keyed>;
    slots[4] = SaturateKernel32<V, Saturating::Sub, Keyed>;
  }
}

// Slots 1-4 and their keyed versions 8-11; 3-byte pixels keep the generic
// kernels (the lanes step 2 or 4 bytes per pixel).
template <class V>
void InstallAccelerated(uint32_t pixelBytes, TVantorKernelTable& table) {
  InstallBlendSlots<V, false>(pixelBytes, table.Blend);
  InstallBlendSlots<V, true>(pixelBytes, table.Blend + KeyedBlendOffset);
}

}  // namespace
}  // namespace VantorDrawSystem
