#pragma once
// The frame scaler of the draw component: a finished frame converted to
// 32-bit pixels and scaled to the window's picture in one pass, where no
// graphics processor does it. The picture is nearest neighbour to the whole
// multiple of the frame at or above the output size, then linear filtering
// down to it, as the graphics processor draws it: every frame pixel stays an
// even square, smoothed only at its edges.
//
// It works a row at a time: each frame row is converted and widened to the
// output width once (its pixels repeated, with the two neighbours mixed at
// the columns that fall on an edge), and every output row is one widened row
// copied, or two mixed. The row kernels come in a generic, an SSE2 and an
// AVX2 version, chosen once as the blends are.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display.h"
#include "vantor/draw/kernels.h"

namespace VantorDrawSystem {

// Where each output column (or row) of one axis samples the frame: its pixel
// and the weight (of 256) of the next one, non-zero only where the sample
// falls between two frame pixels.
struct TScaleAxis {
  std::vector<int32_t> index;
  std::vector<uint16_t> weight;
};

// One axis from `frameSize` frame pixels to `outSize` output pixels through
// the whole multiple `factor` (factor * frameSize >= outSize).
TScaleAxis PlanScaleAxis(int frameSize, int outSize, int factor);

// The columns as the widening kernels read them: the axis, the columns that
// mix two pixels, and blocks of 8 columns each taking its pixels from the 9
// frame pixels after its base (where every block can: `blocked`), with the
// weights in both halves of a word.
struct TScaleColumns {
  TScaleAxis axis;
  std::vector<int32_t> mixed;
  bool blocked = false;
  std::vector<int32_t> blockBase;     // one per block
  std::vector<uint32_t> blockOffset;  // 8 per block: index - base
  std::vector<uint32_t> blockWeight;  // 8 per block: weight * 0x10001
};

TScaleColumns PlanScaleColumns(int frameWidth, int outWidth, int factor);

// Frame pixels a converted row holds past its width, so that every kernel
// may read a block's 9 pixels (or a column's next one) from any base.
constexpr int kScaleRowSlack = 9;

// The row kernels of one instruction set.
struct TScaleRowKernels {
  // `count` frame pixels of `format` as 0xFFRRGGBB.
  void (*Convert)(platform::PixelFormat format, const uint8_t* in, uint32_t* out, int count);
  // A converted row (with its slack) to the output width.
  void (*Widen)(const uint32_t* in, uint32_t* out, const TScaleColumns& columns);
  // Per channel (a * (256 - weight) + b * weight + 128) >> 8, weight 0..256.
  void (*Mix)(const uint32_t* a, const uint32_t* b, uint32_t* out, int count, int weight);
};

TScaleRowKernels ScaleRowKernels(TKernelSet set);

// The generic row kernels (the accelerated ones finish their rows with them).
void ConvertRowGeneric(platform::PixelFormat format, const uint8_t* in, uint32_t* out, int count);
void WidenRowGeneric(const uint32_t* in, uint32_t* out, const TScaleColumns& columns);
void MixRowGeneric(const uint32_t* a, const uint32_t* b, uint32_t* out, int count, int weight);
uint32_t MixPixel(uint32_t a, uint32_t b, uint32_t weight);

// The whole multiple both axes go through: the smallest that covers the
// output on both, at least 1.
int ScaleFactor(int frameWidth, int frameHeight, int outWidth, int outHeight);

class KernelScaler final : public platform::FrameScaler {
 public:
  explicit KernelScaler(TKernelSet set);

  void Scale(const platform::FrameView& frame, const platform::OutputView& output) override;
  std::string Kernels() const override;

 private:
  // The plan for these sizes, kept while they stay.
  void Plan(int frameWidth, int frameHeight, int outWidth, int outHeight);
  // Frame row `row` widened to the output width, in one of the two row
  // buffers; the one holding `keep` stays.
  const uint32_t* Widened(const platform::FrameView& frame, int row, int keep);

  TKernelSet set_;
  TScaleRowKernels kernels_;
  int frameWidth_ = 0, frameHeight_ = 0, outWidth_ = 0, outHeight_ = 0;
  TScaleColumns columns_;
  TScaleAxis rows_;
  std::vector<uint32_t> converted_;  // one frame row
  std::vector<uint32_t> widened_[2];
  int widenedRow_[2] = {-1, -1};
};

// The plain reference twin: every output pixel computed from the definition
// with exact arithmetic, rounded once. The kernels stay within 2 of it in
// every channel, and equal it at whole multiples.
void ScaleReference(const platform::FrameView& frame, const platform::OutputView& output);

}  // namespace VantorDrawSystem
