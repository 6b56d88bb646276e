// The frame scaler's kernels (generic, SSE2, AVX2) against the plain
// reference twin, from the game's 640 x 480 frame to outputs from a single
// pixel up to 3840 x 2160, odd sizes and other aspects among them: every
// channel within 2, whole multiples exactly, nothing written outside the
// output.
#include <random>

#include "tests/kernels/kernel_fixture.h"
#include "vantor/draw/scale.h"

namespace kernel_test {
namespace {

using platform::PixelFormat;

struct ScaleCase {
  int width, height;
  PixelFormat format;
};

constexpr ScaleCase kScaleCases[] = {
    {1, 1, PixelFormat::Rgb565},        {320, 240, PixelFormat::Rgb565},    {640, 480, PixelFormat::Rgb565},
    {641, 481, PixelFormat::Rgb565},    {800, 600, PixelFormat::Xrgb8888},  {960, 720, PixelFormat::Rgb565},
    {1023, 767, PixelFormat::Rgb565},   {1024, 768, PixelFormat::Rgb888},   {1280, 960, PixelFormat::Rgb565},
    {1366, 768, PixelFormat::Rgb565},   {1440, 1080, PixelFormat::Rgb565}, {1441, 1079, PixelFormat::Xrgb8888},
    {1600, 1200, PixelFormat::Rgb565},  {1920, 1080, PixelFormat::Rgb565}, {1920, 1440, PixelFormat::Rgb888},
    {2048, 1536, PixelFormat::Rgb565},  {2560, 1920, PixelFormat::Rgb565}, {2880, 2160, PixelFormat::Rgb565},
    {2881, 2161, PixelFormat::Rgb565},  {3199, 2399, PixelFormat::Xrgb8888}, {3200, 2400, PixelFormat::Rgb565},
    {3840, 2160, PixelFormat::Rgb565},
};

// The game's frame size, filled with noise: every pair of neighbours differs,
// so every edge the filter smooths shows.
Canvas NoiseFrame(PixelFormat format) {
  const int bytes = platform::LayoutOf(format).bytesPerPixel;
  Canvas frame(640, 480, bytes, 4 - (640 * bytes) % 4);
  std::mt19937 random(7);
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) frame.Set(x, y, random());
  return frame;
}

// Output memory with guard bytes before, after and between its rows.
struct Output {
  static constexpr uint8_t kGuard = 0x5A;
  static constexpr int kPadding = 12;
  int width, height, pitch;
  std::vector<uint8_t> memory;
  Output(int w, int h) : width(w), height(h), pitch(4 * w + kPadding), memory(size_t(pitch) * (h + 2), kGuard) {}
  uint8_t* Row(int y) { return memory.data() + size_t(y + 1) * pitch; }
  platform::OutputView View() { return {Row(0), pitch, width, height}; }
  bool GuardsIntact() const {
    auto intact = [&](size_t from, size_t to) {
      return std::all_of(memory.begin() + from, memory.begin() + to, [](uint8_t b) { return b == kGuard; });
    };
    for (int y = 1; y <= height; ++y)
      if (!intact(size_t(y) * pitch + 4 * width, size_t(y + 1) * pitch)) return false;
    return intact(0, pitch) && intact(size_t(height + 1) * pitch, memory.size());
  }
};

TEST(ScaleKernelTest, EveryKernelSetStaysWithinTwoOfTheReference) {
  std::vector<TKernelSet> sets = AcceleratedSets();
  sets.insert(sets.begin(), TKernelSet::Generic);
  for (const ScaleCase& c : kScaleCases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    Canvas frame = NoiseFrame(c.format);
    const platform::FrameView in{frame.Pixels(), frame.Pitch(), frame.Width(), frame.Height(), c.format};
    Output expected(c.width, c.height);
    ScaleReference(in, expected.View());
    const bool whole = c.width % 640 == 0 && c.height % 480 == 0 && c.width / 640 == c.height / 480;
    for (TKernelSet set : sets) {
      KernelScaler scaler(set);
      SCOPED_TRACE(scaler.Kernels());
      Output out(c.width, c.height);
      scaler.Scale(in, out.View());
      ASSERT_TRUE(out.GuardsIntact());
      // The largest difference of any channel, the alpha byte (255) counted too.
      int worst = 0;
      for (int y = 0; y < c.height; ++y) {
        const uint8_t* got = out.Row(y);
        const uint8_t* want = expected.Row(y);
        for (int i = 0; i < 4 * c.width; ++i) worst = std::max(worst, got[i] > want[i] ? got[i] - want[i] : want[i] - got[i]);
      }
      EXPECT_LE(worst, whole ? 0 : 2);
    }
  }
}

}  // namespace
}  // namespace kernel_test
