#pragma once
// Shared set-up of the kernel tests: the display formats, pixel buffers with
// guard bytes around them, and single-pixel kernel runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vantor/draw/kernels.h"
#include "vantor/draw/pixel_format.h"

namespace kernel_test {

using namespace VantorDrawSystem;

inline constexpr TDisplayFormat kRgb565{16, 0xF800, 0x07E0, 0x001F};
inline constexpr TDisplayFormat kRgb888{24, 0xFF0000, 0x00FF00, 0x0000FF};
inline constexpr TDisplayFormat kXrgb8888{32, 0xFF0000, 0x00FF00, 0x0000FF};
inline constexpr TDisplayFormat kPalette{8, 0, 0, 0};

inline void UseFormat(const TDisplayFormat& format, TTransparentColor key = tcBlack, int width = 640,
                      int height = 480) {
  SetPixelFormat(format, key, width, height);
}

// A width x height picture whose rows are `pitch` bytes, with guard bytes
// before, between (pitch padding) and after the pixels.
class Canvas {
 public:
  static constexpr uint8_t kGuard = 0xA5;
  static constexpr size_t kMargin = 64;

  Canvas(int width, int height, int bytes, int padding = 0)
      : width_(width), height_(height), bytes_(bytes), pitch_(width * bytes + padding),
        memory_(2 * kMargin + static_cast<size_t>(pitch_) * height, kGuard) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Set(x, y, 0);
  }

  uint8_t* Pixels() { return memory_.data() + kMargin; }
  int Pitch() const { return pitch_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  uint32_t Get(int x, int y) const {
    uint32_t v = 0;
    std::memcpy(&v, memory_.data() + kMargin + Offset(x, y), PixelBytes());
    return v;
  }
  void Set(int x, int y, uint32_t v) {
    uint8_t* pixel = memory_.data() + kMargin + Offset(x, y);
    for (size_t i = 0; i < PixelBytes(); ++i) pixel[i] = static_cast<uint8_t>(v >> (8 * i));
  }
  // 1 to 4 bytes of a pixel value (bounded so the copies never exceed it).
  size_t PixelBytes() const { return std::min(static_cast<size_t>(bytes_), sizeof(uint32_t)); }

  // True when every byte outside the pixels still holds the guard value.
  bool GuardsIntact() const {
    for (size_t i = 0; i < memory_.size(); ++i) {
      const bool inside = i >= kMargin && i < kMargin + static_cast<size_t>(pitch_) * height_ &&
                          (i - kMargin) % pitch_ < static_cast<size_t>(width_ * bytes_);
      if (!inside && memory_[i] != kGuard) return false;
    }
    return true;
  }

 private:
  size_t Offset(int x, int y) const { return static_cast<size_t>(y) * pitch_ + static_cast<size_t>(x) * bytes_; }

  int width_, height_, bytes_, pitch_;
  std::vector<uint8_t> memory_;
};

// The record Draw hands a blend kernel: the whole of both canvases.
inline TVantorDrawDirect BlendDirect(Canvas& dst, Canvas& src, int32_t level) {
  TVantorDrawDirect dd{};
  dd.Dst = dst.Pixels();
  dd.Src = src.Pixels();
  dd.DstPitch = dst.Pitch();
  dd.SrcPitch = src.Pitch();
  dd.Width = dst.Width();
  dd.Height = dst.Height();
  dd.Param1 = level;
  return dd;
}

// One pixel through a kernel of the current format.
inline uint32_t BlendPixel(TVantorDrawKernel kernel, uint32_t d, uint32_t s, int32_t level) {
  const int bytes = static_cast<int>(PixelFormat.PixelBytes);
  Canvas dst(1, 1, bytes), src(1, 1, bytes);
  dst.Set(0, 0, d);
  src.Set(0, 0, s);
  kernel(BlendDirect(dst, src, level));
  EXPECT_TRUE(dst.GuardsIntact());
  return dst.Get(0, 0);
}

// The accelerated sets this processor can run.
inline std::vector<TKernelSet> AcceleratedSets() {
  std::vector<TKernelSet> sets;
  const TKernelSet best = AcceleratedKernelSet();
  if (best != TKernelSet::Generic) sets.push_back(TKernelSet::Sse2);
  if (best == TKernelSet::Avx2) sets.push_back(TKernelSet::Avx2);
  return sets;
}

}  // namespace kernel_test
