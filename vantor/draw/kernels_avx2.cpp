// The accelerated kernels on 256-bit AVX2 registers. This file alone is
// compiled with -mavx2; it runs only after the processor reported AVX2. The
// unpack and pack instructions work within each 128-bit half, and so pack
// back to the original byte order.
#include <immintrin.h>

#include "vantor/draw/kernels_sets.h"
#include "vantor/draw/kernels_simd.h"

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
  static T PackUs16(T a, T b) { return _mm256_packus_epi16(a, b); }
};

}  // namespace

void InstallAvx2Kernels(uint32_t pixelBytes, TVantorKernelTable& table) {
  InstallAccelerated<Avx2>(pixelBytes, table);
}

}  // namespace VantorDrawSystem
