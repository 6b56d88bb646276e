#include "vantor/draw/scale.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "vantor/draw/kernels_sets.h"

namespace VantorDrawSystem {

using platform::FrameView;
using platform::OutputView;
using platform::PixelFormat;

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

uint32_t ConvertPixel(PixelFormat format, const uint8_t* p) {
  switch (format) {
    case PixelFormat::Rgb565: {
      const platform::Rgb c = platform::UnpackPixel(format, uint32_t(p[0]) | uint32_t(p[1]) << 8);
      return kOpaque | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
    }
    case PixelFormat::Rgb888: return kOpaque | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    case PixelFormat::Xrgb8888: break;
  }
  return kOpaque | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

}  // namespace

// Two channels at a time in the 16-bit halves of a word: no sum reaches
// the next half (255 * 256 + 128 < 65536).
uint32_t MixPixel(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t blueRed = (((a & 0x00FF00FF) * keep + (b & 0x00FF00FF) * weight + 0x00800080) >> 8) & 0x00FF00FF;
  const uint32_t greenAlpha =
      (((a >> 8) & 0x00FF00FF) * keep + ((b >> 8) & 0x00FF00FF) * weight + 0x00800080) & 0xFF00FF00;
  return blueRed | greenAlpha;
}

void ConvertRowGeneric(PixelFormat format, const uint8_t* in, uint32_t* out, int count) {
  const int bytes = platform::LayoutOf(format).bytesPerPixel;
  for (int i = 0; i < count; ++i, in += bytes) out[i] = ConvertPixel(format, in);
}

// Every column takes its pixel, then the few that fall on an edge mix.
void WidenRowGeneric(const uint32_t* in, uint32_t* out, const TScaleColumns& columns) {
  const int32_t* index = columns.axis.index.data();
  const int width = int(columns.axis.index.size());
  for (int x = 0; x < width; ++x) out[x] = in[index[x]];
  for (const int32_t x : columns.mixed) out[x] = MixPixel(in[index[x]], in[index[x] + 1], columns.axis.weight[x]);
}

void MixRowGeneric(const uint32_t* a, const uint32_t* b, uint32_t* out, int count, int weight) {
  for (int i = 0; i < count; ++i) out[i] = MixPixel(a[i], b[i], uint32_t(weight));
}

TScaleRowKernels ScaleRowKernels(TKernelSet set) {
  TScaleRowKernels kernels{ConvertRowGeneric, WidenRowGeneric, MixRowGeneric};
  if (set == TKernelSet::Sse2) InstallSse2ScaleKernels(kernels);
  if (set == TKernelSet::Avx2) InstallAvx2ScaleKernels(kernels);
  return kernels;
}

int ScaleFactor(int frameWidth, int frameHeight, int outWidth, int outHeight) {
  if (frameWidth <= 0 || frameHeight <= 0) return 1;
  return std::max({(outWidth + frameWidth - 1) / frameWidth, (outHeight + frameHeight - 1) / frameHeight, 1});
}

// Output pixel x samples the enlarged axis (factor * frameSize pixels) at
// u = (x + 1/2) * enlarged / outSize - 1/2, between its pixels floor(u) and
// the next, which is never negative nor past the end since the enlarged
// axis is at least the output's size. Exact in integers: u = n / (2 outSize).
TScaleAxis PlanScaleAxis(int frameSize, int outSize, int factor) {
  TScaleAxis axis;
  if (frameSize <= 0 || outSize <= 0) return axis;
  axis.index.resize(size_t(outSize));
  axis.weight.resize(size_t(outSize));
  const int64_t enlarged = int64_t(factor) * frameSize, twice = 2 * int64_t(outSize);
  for (int x = 0; x < outSize; ++x) {
    const int64_t n = (2 * int64_t(x) + 1) * enlarged - outSize;
    int64_t at = n / twice;
    int64_t weight = ((n % twice) * 256 + outSize) / twice;
    if (weight == 256) {
      ++at;
      weight = 0;
    }
    const int64_t next = std::min(at + 1, enlarged - 1);
    // Both enlarged pixels inside one frame pixel: nothing to mix.
    if (at / factor == next / factor) weight = 0;
    axis.index[size_t(x)] = int32_t(at / factor);
    axis.weight[size_t(x)] = uint16_t(weight);
  }
  return axis;
}

TScaleColumns PlanScaleColumns(int frameWidth, int outWidth, int factor) {
  constexpr int kBlock = 8;
  TScaleColumns columns;
  columns.axis = PlanScaleAxis(frameWidth, outWidth, factor);
  const std::vector<int32_t>& index = columns.axis.index;
  for (int x = 0; x < outWidth; ++x)
    if (columns.axis.weight[x]) columns.mixed.push_back(x);
  // Whole blocks only; the kernels finish the last columns one by one.
  columns.blocked = true;
  for (int x = 0; x + kBlock <= outWidth; x += kBlock) {
    const int32_t base = index[x];
    columns.blocked = columns.blocked && index[x + kBlock - 1] - base < kBlock;
    columns.blockBase.push_back(base);
    for (int i = x; i < x + kBlock; ++i) {
      columns.blockOffset.push_back(uint32_t(index[i] - base));
      columns.blockWeight.push_back(columns.axis.weight[i] * 0x10001u);
    }
  }
  return columns;
}

KernelScaler::KernelScaler(TKernelSet set) : set_(set), kernels_(ScaleRowKernels(set)) {}

std::string KernelScaler::Kernels() const {
  switch (set_) {
    case TKernelSet::Sse2: return "SSE2";
    case TKernelSet::Avx2: return "AVX2";
    case TKernelSet::Generic: break;
  }
  return "generic";
}

void KernelScaler::Plan(int frameWidth, int frameHeight, int outWidth, int outHeight) {
  if (frameWidth == frameWidth_ && frameHeight == frameHeight_ && outWidth == outWidth_ && outHeight == outHeight_)
    return;
  const int factor = ScaleFactor(frameWidth, frameHeight, outWidth, outHeight);
  columns_ = PlanScaleColumns(frameWidth, outWidth, factor);
  rows_ = PlanScaleAxis(frameHeight, outHeight, factor);
  converted_.assign(size_t(frameWidth) + kScaleRowSlack, 0);
  for (std::vector<uint32_t>& row : widened_) row.assign(size_t(outWidth), 0);
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  outWidth_ = outWidth;
  outHeight_ = outHeight;
}

const uint32_t* KernelScaler::Widened(const FrameView& frame, int row, int keep) {
  for (int b = 0; b < 2; ++b)
    if (widenedRow_[b] == row) return widened_[b].data();
  // Rows only go down the frame: the buffer of the higher row stays.
  const int b = widenedRow_[0] == keep ? 1 : widenedRow_[1] == keep ? 0 : widenedRow_[0] < widenedRow_[1] ? 0 : 1;
  kernels_.Convert(frame.format, frame.pixels + size_t(row) * frame.pitch, converted_.data(), frameWidth_);
  kernels_.Widen(converted_.data(), widened_[b].data(), columns_);
  widenedRow_[b] = row;
  return widened_[b].data();
}

void KernelScaler::Scale(const FrameView& frame, const OutputView& output) {
  if (frame.width <= 0 || frame.height <= 0 || output.width <= 0 || output.height <= 0) return;
  Plan(frame.width, frame.height, output.width, output.height);
  // The row buffers hold rows of the last frame only.
  widenedRow_[0] = widenedRow_[1] = -1;
  const size_t rowBytes = size_t(output.width) * 4;
  for (int y = 0; y < output.height; ++y) {
    const int row = rows_.index[size_t(y)];
    const uint16_t weight = rows_.weight[size_t(y)];
    auto* out = reinterpret_cast<uint32_t*>(output.pixels + size_t(y) * output.pitch);
    const uint32_t* upper = Widened(frame, row, -1);
    if (weight == 0) {
      std::memcpy(out, upper, rowBytes);
      continue;
    }
    const uint32_t* lower = Widened(frame, row + 1, row);
    kernels_.Mix(upper, lower, out, output.width, weight);
  }
}

void ScaleReference(const FrameView& frame, const OutputView& output) {
  if (frame.width <= 0 || frame.height <= 0 || output.width <= 0 || output.height <= 0) return;
  const int factor = ScaleFactor(frame.width, frame.height, output.width, output.height);
  const int bytes = platform::LayoutOf(frame.format).bytesPerPixel;
  // One axis of the linear filter over the enlarged frame: the two frame
  // pixels either side of the sample and how much the second one counts.
  struct Sample {
    int first, second;
    double part;
  };
  auto sample = [factor](int x, int frameSize, int outSize) {
    const double enlarged = double(factor) * frameSize;
    const double u = std::clamp((x + 0.5) * enlarged / outSize - 0.5, 0.0, enlarged - 1);
    const double at = std::floor(u);
    const int next = std::min(int(at) + 1, int(enlarged) - 1);
    return Sample{int(at) / factor, next / factor, u - at};
  };
  std::vector<uint32_t> converted(size_t(frame.width) * frame.height);
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      converted[size_t(y) * frame.width + x] =
          ConvertPixel(frame.format, frame.pixels + size_t(y) * frame.pitch + size_t(x) * bytes);
  auto pixel = [&](int x, int y) { return converted[size_t(y) * frame.width + x]; };
  std::vector<Sample> columns;
  for (int x = 0; x < output.width; ++x) columns.push_back(sample(x, frame.width, output.width));
  for (int y = 0; y < output.height; ++y) {
    const Sample v = sample(y, frame.height, output.height);
    auto* out = reinterpret_cast<uint32_t*>(output.pixels + size_t(y) * output.pitch);
    for (int x = 0; x < output.width; ++x) {
      const Sample& h = columns[size_t(x)];
      const uint32_t corners[4] = {pixel(h.first, v.first), pixel(h.second, v.first), pixel(h.first, v.second),
                                   pixel(h.second, v.second)};
      const double weights[4] = {(1 - h.part) * (1 - v.part), h.part * (1 - v.part), (1 - h.part) * v.part,
                                 h.part * v.part};
      uint32_t result = kOpaque;
      for (int shift = 0; shift < 24; shift += 8) {
        double sum = 0;
        for (int c = 0; c < 4; ++c) sum += weights[c] * ((corners[c] >> shift) & 0xFF);
        result |= uint32_t(sum + 0.5) << shift;
      }
      out[x] = result;
    }
  }
}

}  // namespace VantorDrawSystem
