// The accelerated kernels on 128-bit SSE2 registers.
#include <emmintrin.h>

#include "vantor/draw/kernels_sets.h"
#include "vantor/draw/kernels_simd.h"
#include "vantor/draw/scale_simd.h"

namespace VantorDrawSystem {
namespace {

struct Sse2 {
  using T = __m128i;
  static constexpr int Bytes = 16;
  static T Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static void Store(uint8_t* p, T v) { _mm_storeu_si128(reinterpret_cast<T*>(p), v); }
  static T Set16(uint32_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static T Set32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
  static T Zero() { return _mm_setzero_si128(); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
  static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }  // ~a & b
  static T Add8(T a, T b) { return _mm_add_epi8(a, b); }
  static T AddSat8(T a, T b) { return _mm_adds_epu8(a, b); }
  static T SubSat8(T a, T b) { return _mm_subs_epu8(a, b); }
  static T Add16(T a, T b) { return _mm_add_epi16(a, b); }
  static T Sub16(T a, T b) { return _mm_sub_epi16(a, b); }
  static T SubSat16(T a, T b) { return _mm_subs_epu16(a, b); }
  static T Min16(T a, T b) { return _mm_min_epi16(a, b); }
  static T Mul16(T a, T b) { return _mm_mullo_epi16(a, b); }
  static T Srl16(T v, int n) { return _mm_srl_epi16(v, _mm_cvtsi32_si128(n)); }
  static T Sll16(T v, int n) { return _mm_sll_epi16(v, _mm_cvtsi32_si128(n)); }
  template <int N>
  static T SrlI16(T v) { return _mm_srli_epi16(v, N); }
  static T CmpEq16(T a, T b) { return _mm_cmpeq_epi16(a, b); }
  static T CmpEq32(T a, T b) { return _mm_cmpeq_epi32(a, b); }
  static T UnpackLo8(T a, T b) { return _mm_unpacklo_epi8(a, b); }
  static T UnpackHi8(T a, T b) { return _mm_unpackhi_epi8(a, b); }
  static T UnpackLo32(T a, T b) { return _mm_unpacklo_epi32(a, b); }
  static T UnpackHi32(T a, T b) { return _mm_unpackhi_epi32(a, b); }
  static T PackUs16(T a, T b) { return _mm_packus_epi16(a, b); }
  // 16-bit lanes of a and b alternating, in memory order.
  static void Interleave16(T a, T b, T& first, T& second) {
    first = _mm_unpacklo_epi16(a, b);
    second = _mm_unpackhi_epi16(a, b);
  }
};

}  // namespace

void InstallSse2Kernels(uint32_t pixelBytes, TVantorKernelTable& table) {
  InstallAccelerated<Sse2>(pixelBytes, table);
}

void InstallSse2ScaleKernels(TScaleRowKernels& kernels) { InstallScaleRows<Sse2>(kernels); }

}  // namespace VantorDrawSystem
