// The accelerated kernels on 256-bit AVX2 registers. This file alone is
// compiled with -mavx2; it runs only after the processor reported AVX2. The
// unpack and pack instructions work within each 128-bit half, and so pack
// back to the original byte order.
#include <immintrin.h>

#include "vantor/draw/kernels_sets.h"
#include "vantor/draw/kernels_simd.h"
#include "vantor/draw/scale_simd.h"

namespace VantorDrawSystem {
namespace {

struct Avx2 {
  using T = __m256i;
  static constexpr int Bytes = 32;
  static T Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static void Store(uint8_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
  static T Set16(uint32_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  static T Set32(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
  static T Zero() { return _mm256_setzero_si256(); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
  static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }  // ~a & b
  static T Add8(T a, T b) { return _mm256_add_epi8(a, b); }
  static T AddSat8(T a, T b) { return _mm256_adds_epu8(a, b); }
  static T SubSat8(T a, T b) { return _mm256_subs_epu8(a, b); }
  static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
  static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
  static T SubSat16(T a, T b) { return _mm256_subs_epu16(a, b); }
  static T Min16(T a, T b) { return _mm256_min_epi16(a, b); }
  static T Mul16(T a, T b) { return _mm256_mullo_epi16(a, b); }
  static T Srl16(T v, int n) { return _mm256_srl_epi16(v, _mm_cvtsi32_si128(n)); }
  static T Sll16(T v, int n) { return _mm256_sll_epi16(v, _mm_cvtsi32_si128(n)); }
  template <int N>
  static T SrlI16(T v) { return _mm256_srli_epi16(v, N); }
  static T CmpEq16(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
  static T CmpEq32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
  static T UnpackLo8(T a, T b) { return _mm256_unpacklo_epi8(a, b); }
  static T UnpackHi8(T a, T b) { return _mm256_unpackhi_epi8(a, b); }
  static T UnpackLo32(T a, T b) { return _mm256_unpacklo_epi32(a, b); }
  static T UnpackHi32(T a, T b) { return _mm256_unpackhi_epi32(a, b); }
  static T PackUs16(T a, T b) { return _mm256_packus_epi16(a, b); }
  // 16-bit lanes of a and b alternating, in memory order: the unpacking
  // works within each 128-bit half, so the halves are put back in order.
  static void Interleave16(T a, T b, T& first, T& second) {
    const T lo = _mm256_unpacklo_epi16(a, b), hi = _mm256_unpackhi_epi16(a, b);
    first = _mm256_permute2x128_si256(lo, hi, 0x20);
    second = _mm256_permute2x128_si256(lo, hi, 0x31);
  }
};

}  // namespace

void InstallAvx2Kernels(uint32_t pixelBytes, TVantorKernelTable& table) {
  InstallAccelerated<Avx2>(pixelBytes, table);
}

namespace {

// Eight output columns at a time: the 9 frame pixels from the block's base
// loaded twice (from the base and one further), each lane permuted to its
// column's pixel and to the next one, and the two mixed by the column's
// weight (0 keeps the pixel as it is).
void WidenRowAvx2(const uint32_t* in, uint32_t* out, const TScaleColumns& columns) {
  if (!columns.blocked) {
    WidenRowGeneric(in, out, columns);
    return;
  }
  const int blocks = int(columns.blockBase.size());
  for (int k = 0; k < blocks; ++k) {
    const uint32_t* from = in + columns.blockBase[size_t(k)];
    const __m256i offset = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&columns.blockOffset[8 * size_t(k)]));
    const __m256i weights =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&columns.blockWeight[8 * size_t(k)]));
    const __m256i a = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)), offset);
    const __m256i b =
        _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 1)), offset);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * k), MixPixels<Avx2>(a, b, weights));
  }
  const std::vector<int32_t>& index = columns.axis.index;
  for (size_t x = 8 * size_t(blocks); x < index.size(); ++x)
    out[x] = MixPixel(in[index[x]], in[index[x] + 1], columns.axis.weight[x]);
}

}  // namespace

void InstallAvx2ScaleKernels(TScaleRowKernels& kernels) {
  InstallScaleRows<Avx2>(kernels);
  kernels.Widen = WidenRowAvx2;
}

}  // namespace VantorDrawSystem
