#pragma once
// The pixel kernels of the draw component: 14 blend slots for the effects of
// Draw and UpdateEx, and the opaque and keyed rotate-zoom kernels of
// RotZoomDraw. Every kernel takes one TVantorDrawDirect and works on locked
// surface memory in the format of the global PixelFormat.
#include <cstdint>

namespace VantorDrawSystem {

// The parameter record of every pixel kernel and of EffectDraw's routine.
struct TVantorDrawDirect {
  uint8_t* Dst;        // first destination pixel in locked back-surface memory
  const uint8_t* Src;  // first source pixel in locked picture memory
  int32_t DstPitch;    // bytes from one destination row to the next
  int32_t SrcPitch;
  int32_t Width, Height;  // area (or cell) size in pixels
  int32_t X, Y;           // position argument of the calling operation
  int32_t Param1, Param2;  // Draw: level in Param1; RotZoomDraw: angle, zoom
};

using TVantorDrawKernel = void (*)(const TVantorDrawDirect& direct);

constexpr int BlendKernelCount = 14;
// Blend slots: 1..6 opaque effects 1..6, 8..13 the same skipping key-coloured
// source pixels; 0 and 7 stay empty (effect 0 is the display device's copy).
constexpr int KeyedBlendOffset = 7;

struct TVantorKernelTable {
  TVantorDrawKernel Blend[BlendKernelCount];
  TVantorDrawKernel RotZoom;     // null when the pixel size has none
  TVantorDrawKernel RotZoomKey;
};

enum class TKernelSet { Generic, Sse2, Avx2 };

// The fastest set this processor runs (Generic when it has no SSE2).
TKernelSet AcceleratedKernelSet();

// The kernels of one set for a pixel size; accelerated sets fall back to the
// generic kernels where they have none (3-byte pixels, effects 5 and 6).
TVantorKernelTable KernelTable(uint32_t pixelBytes, TKernelSet set);

// Step 8 of CheckPixelMode: the generic set, replaced by the accelerated one
// when PixelFormat.HasMMX, for PixelFormat.PixelBytes.
TVantorKernelTable SelectKernels();

}  // namespace VantorDrawSystem
