// The display device's memory surfaces: keyed copies across widths and
// formats, nearest-neighbour stretch, fills, copies onto themselves, and
// rectangles that do not lie inside.
#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/display_surface.h"

namespace {

using platform::PixelFormat;
using platform::Rect;
using platform::SurfaceResult;
using platform::sdl::MemorySurface;

uint32_t Read(MemorySurface& s, int x, int y) {
  int bytes = platform::LayoutOf(s.Format()).bytesPerPixel;
  const uint8_t* p = s.Pixels() + size_t(y) * s.Pitch() + size_t(x) * bytes;
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
  return v;
}

void Put(MemorySurface& s, int x, int y, uint32_t v) {
  Rect one{x, y, x + 1, y + 1};
  s.Fill(&one, v);
}

class MemorySurfaceTest : public ::testing::TestWithParam<PixelFormat> {};

TEST_P(MemorySurfaceTest, KeyedCopyLeavesOutExactlyTheKeyAtEveryWidth) {
  const PixelFormat format = GetParam();
  const uint32_t key = platform::PackPixel(format, 255, 0, 255);
  const uint32_t background = platform::PackPixel(format, 10, 20, 30);
  for (int width = 1; width <= 21; ++width) {
    MemorySurface source(width, 2, format), target(32, 4, format);
    source.SetColorKey(key);
    target.Fill(nullptr, background);
    for (int x = 0; x < width; ++x) Put(source, x, 1, x % 3 == 1 ? key : platform::PackPixel(format, uint8_t(x * 9), 7, 1));
    ASSERT_EQ(target.Copy(3, 2, source, {0, 1, width, 2}, true), SurfaceResult::Ok);
    for (int x = 0; x < 32; ++x) {
      uint32_t expected = background;
      if (x >= 3 && x < 3 + width && (x - 3) % 3 != 1) expected = Read(source, x - 3, 1);
      ASSERT_EQ(Read(target, x, 2), expected) << "width " << width << " x " << x;
      ASSERT_EQ(Read(target, x, 1), background);
    }
    // Unkeyed, the key colour is copied like any other.
    ASSERT_EQ(target.Copy(3, 3, source, {0, 1, width, 2}, false), SurfaceResult::Ok);
    if (width > 1) {
      ASSERT_EQ(Read(target, 4, 3), key);
    }
  }
}

TEST_P(MemorySurfaceTest, StretchTakesOneSourcePixelPerDestinationPixel) {
  const PixelFormat format = GetParam();
  MemorySurface source(3, 2, format), target(9, 5, format);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) Put(source, x, y, uint32_t(1 + x + 3 * y));
  ASSERT_EQ(target.Stretch({1, 1, 7, 5}, source, {0, 0, 3, 2}, false), SurfaceResult::Ok);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) {
      uint32_t expected = 0;
      if (x >= 1 && x < 7 && y >= 1 && y < 5) expected = uint32_t(1 + (x - 1) / 2 + 3 * ((y - 1) / 2));
      EXPECT_EQ(Read(target, x, y), expected) << x << "," << y;
    }
  // Shrinking, and a keyed stretch.
  source.SetColorKey(2);
  MemorySurface small(2, 1, format);
  ASSERT_EQ(small.Stretch({0, 0, 2, 1}, source, {0, 0, 3, 1}, true), SurfaceResult::Ok);
  EXPECT_EQ(Read(small, 0, 0), 1u);
  EXPECT_EQ(Read(small, 1, 0), 0u);  // source x = 1 holds the key
}

TEST_P(MemorySurfaceTest, RectanglesOutsideAreRefusedAndNothingIsWritten) {
  const PixelFormat format = GetParam();
  MemorySurface source(4, 4, format), target(4, 4, format);
  source.Fill(nullptr, 5);
  EXPECT_EQ(target.Copy(2, 0, source, {0, 0, 3, 1}, false), SurfaceResult::Failed);
  EXPECT_EQ(target.Copy(0, 0, source, {-1, 0, 1, 1}, false), SurfaceResult::Failed);
  EXPECT_EQ(target.Stretch({0, 0, 5, 4}, source, {0, 0, 4, 4}, false), SurfaceResult::Failed);
  EXPECT_EQ(target.Stretch({0, 0, 4, 4}, source, {0, 4, 4, 0}, false), SurfaceResult::Failed);
  Rect outside{3, 3, 5, 5};
  EXPECT_EQ(target.Fill(&outside, 5), SurfaceResult::Failed);
  platform::PixelMemory memory;
  EXPECT_EQ(target.Lock(&outside, memory), SurfaceResult::Failed);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Read(target, x, y), 0u);
  // A surface of another format is not a source.
  MemorySurface other(4, 4, format == PixelFormat::Rgb565 ? PixelFormat::Xrgb8888 : PixelFormat::Rgb565);
  EXPECT_EQ(target.Copy(0, 0, other, {0, 0, 1, 1}, false), SurfaceResult::Failed);
}

TEST_P(MemorySurfaceTest, CopyOntoItselfReadsTheRowsBeforeWritingThem) {
  const PixelFormat format = GetParam();
  MemorySurface s(6, 3, format);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) Put(s, x, y, uint32_t(1 + x + 6 * y));
  ASSERT_EQ(s.Copy(1, 1, s, {0, 0, 5, 2}, false), SurfaceResult::Ok);
  EXPECT_EQ(Read(s, 1, 1), 1u);
  EXPECT_EQ(Read(s, 5, 2), 11u);
  EXPECT_EQ(Read(s, 0, 0), 1u);
}

TEST_P(MemorySurfaceTest, TransferConvertsPureColoursExactly) {
  const PixelFormat format = GetParam();
  const platform::PixelLayout layout = platform::LayoutOf(format);
  platform::Picture picture{3, 1, {255, 0, 0, 0, 255, 0, 255, 255, 255}};
  MemorySurface s(3, 1, format);
  ASSERT_EQ(s.Transfer(picture), SurfaceResult::Ok);
  EXPECT_EQ(Read(s, 0, 0), layout.redMask);
  EXPECT_EQ(Read(s, 1, 0), layout.greenMask);
  EXPECT_EQ(Read(s, 2, 0), layout.redMask | layout.greenMask | layout.blueMask);
  platform::Picture tooBig{4, 1, std::vector<uint8_t>(12)};
  EXPECT_EQ(s.Transfer(tooBig), SurfaceResult::Failed);
}

// Every 16-bit value (and a row whose length is no multiple of the eight the
// fast path takes), and a spread of the wider ones.
TEST_P(MemorySurfaceTest, ConversionToTheTextureFormatKeepsEveryColour) {
  const PixelFormat format = GetParam();
  const int bytes = platform::LayoutOf(format).bytesPerPixel;
  const int count = format == PixelFormat::Rgb565 ? 65536 + 5 : 4099;
  std::vector<uint8_t> row(size_t(count) * bytes);
  for (int i = 0; i < count; ++i) {
    const uint32_t v = format == PixelFormat::Rgb565 ? uint32_t(i & 0xFFFF) : uint32_t(i) * 0x9E3779B1u >> 8;
    for (int b = 0; b < bytes; ++b) row[size_t(i) * bytes + b] = uint8_t(v >> (8 * b));
  }
  std::vector<uint32_t> out(count);
  platform::sdl::ConvertToXrgb8888(format, row.data(), out.data(), count);
  for (int i = 0; i < count; ++i) {
    uint32_t v = 0;
    for (int b = 0; b < bytes; ++b) v |= uint32_t(row[size_t(i) * bytes + b]) << (8 * b);
    const platform::Rgb c = platform::UnpackPixel(format, v);
    ASSERT_EQ(out[i], platform::PackPixel(PixelFormat::Xrgb8888, c.r, c.g, c.b)) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, MemorySurfaceTest,
                         testing::Values(PixelFormat::Rgb565, PixelFormat::Rgb888, PixelFormat::Xrgb8888),
                         [](const auto& info) { return "Bytes" + std::to_string(platform::LayoutOf(info.param).bytesPerPixel); });

}  // namespace
