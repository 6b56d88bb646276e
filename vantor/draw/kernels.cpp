#include "vantor/draw/kernels.h"

#include "platform/processor.h"
#include "vantor/draw/kernels_sets.h"
#include "vantor/draw/pixel_format.h"

namespace VantorDrawSystem {

TKernelSet AcceleratedKernelSet() {
  constexpr uint32_t kSse2 = 1u << 26;      // leaf 1, edx
  constexpr uint32_t kOsXsave = 1u << 27;   // leaf 1, ecx: the system saves the wide registers
  constexpr uint32_t kAvx = 1u << 28;       // leaf 1, ecx
  constexpr uint32_t kAvx2 = 1u << 5;       // leaf 7, ebx
  const platform::CpuidResult basic = platform::Cpuid(1);
  if (!(basic.edx & kSse2)) return TKernelSet::Generic;
  const bool avx = (basic.ecx & kOsXsave) && (basic.ecx & kAvx);
  if (avx && platform::Cpuid(0).eax >= 7 && (platform::Cpuid(7).ebx & kAvx2)) return TKernelSet::Avx2;
  return TKernelSet::Sse2;
}

TVantorKernelTable KernelTable(uint32_t pixelBytes, TKernelSet set) {
  TVantorKernelTable table = GenericKernels(pixelBytes);
  if (set == TKernelSet::Sse2) InstallSse2Kernels(pixelBytes, table);
  if (set == TKernelSet::Avx2) InstallAvx2Kernels(pixelBytes, table);
  return table;
}

TVantorKernelTable SelectKernels() {
  const TKernelSet set = PixelFormat.HasMMX ? AcceleratedKernelSet() : TKernelSet::Generic;
  return KernelTable(PixelFormat.PixelBytes, set);
}

}  // namespace VantorDrawSystem
