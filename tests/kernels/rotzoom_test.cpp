// The rotate-zoom kernels: the 16.16 sampling to the pixel, clipping against
// the back surface, the key, and arguments at the ends of their ranges.
#include <climits>
#include <random>

#include "tests/kernels/kernel_fixture.h"

namespace kernel_test {
namespace {

class RotZoomTest : public ::testing::Test {
 protected:
  // A cell whose every pixel is distinct and none is the black key.
  static Canvas NumberedCell(int width, int height, int bytes) {
    Canvas cell(width, height, bytes, 2);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) cell.Set(x, y, static_cast<uint32_t>(0x100 + y * 64 + x));
    return cell;
  }

  // Draws into `screen`, which the global state takes as the back surface.
  static void Draw(Canvas& screen, Canvas& cell, int cx, int cy, int angle, int zoom, bool keyed = false) {
    PixelFormat.ScreenWidth = screen.Width();
    PixelFormat.ScreenHeight = screen.Height();
    TVantorDrawDirect dd{};
    dd.Dst = screen.Pixels();
    dd.Src = cell.Pixels();
    dd.DstPitch = screen.Pitch();
    dd.SrcPitch = cell.Pitch();
    dd.Width = cell.Width();
    dd.Height = cell.Height();
    dd.X = cx;
    dd.Y = cy;
    dd.Param1 = angle;
    dd.Param2 = zoom;
    const TVantorKernelTable table = KernelTable(PixelFormat.PixelBytes, TKernelSet::Generic);
    (keyed ? table.RotZoomKey : table.RotZoom)(dd);
  }

  void SetUp() override { UseFormat(kRgb565); }
};

TEST_F(RotZoomTest, NaturalSizeCopiesTheCellCentredOnThePoint) {
  Canvas screen(40, 30, 2, 4);
  Canvas cell = NumberedCell(8, 6, 2);
  Draw(screen, cell, 20, 15, 0, 256);
  EXPECT_EQ(screen.Get(20, 15), cell.Get(4, 3));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 16 && x < 24 && y >= 12 && y < 18;
      ASSERT_EQ(screen.Get(x, y), inside ? cell.Get(x - 16, y - 12) : 0u) << x << "," << y;
    }
  EXPECT_TRUE(screen.GuardsIntact());
}

TEST_F(RotZoomTest, OddWidthDrawsOneColumnLess) {
  Canvas screen(20, 20, 2);
  Canvas cell = NumberedCell(5, 4, 2);
  Draw(screen, cell, 10, 10, 0, 256);
  // hw = 2: columns cx-2 .. cx+1 take cell columns 0 .. 3.
  for (int x = 0; x < 20; ++x)
    for (int y = 8; y < 12; ++y) {
      const bool drawn = x >= 8 && x < 12;
      ASSERT_EQ(screen.Get(x, y), drawn ? cell.Get(x - 8, y - 8) : 0u) << x << "," << y;
    }
}

TEST_F(RotZoomTest, QuarterTurnRotatesCounterClockwise) {
  Canvas screen(30, 30, 2);
  Canvas cell = NumberedCell(8, 6, 2);
  Draw(screen, cell, 15, 15, 16384, 256);
  // Box 6 wide (hw = 3) and 8 tall (hh = 4); row i samples cell column 8 - i,
  // so the box's top row falls just outside the cell.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const int i = y - 11, j = x - 12;
      const bool drawn = i >= 1 && i < 8 && j >= 0 && j < 6;
      ASSERT_EQ(screen.Get(x, y), drawn ? cell.Get(8 - i, j) : 0u) << x << "," << y;
    }
}

TEST_F(RotZoomTest, DoubleZoomRepeatsEachPixel) {
  Canvas screen(20, 20, 2);
  Canvas cell = NumberedCell(4, 4, 2);
  Draw(screen, cell, 10, 10, 0, 512);
  for (int y = 6; y < 14; ++y)
    for (int x = 6; x < 14; ++x) ASSERT_EQ(screen.Get(x, y), cell.Get((x - 6) / 2, (y - 6) / 2)) << x << "," << y;
  EXPECT_EQ(screen.Get(5, 10), 0u);
  EXPECT_EQ(screen.Get(14, 10), 0u);
}

TEST_F(RotZoomTest, AnglesRepeatEveryFullTurnAndZoomZeroDrawsNothing) {
  Canvas cell = NumberedCell(9, 7, 2);
  Canvas a(30, 30, 2), b(30, 30, 2), c(30, 30, 2);
  Draw(a, cell, 15, 15, 12345, 300);
  Draw(b, cell, 15, 15, 12345 + 65536, 300);
  Draw(c, cell, 15, 15, 12345 - 65536, 300);
  int drawn = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      ASSERT_EQ(a.Get(x, y), b.Get(x, y));
      ASSERT_EQ(a.Get(x, y), c.Get(x, y));
      drawn += a.Get(x, y) != 0;
    }
  EXPECT_GT(drawn, 40);

  Canvas empty(30, 30, 2);
  Draw(empty, cell, 15, 15, 12345, 0);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(empty.Get(x, y), 0u);
}

// A picture cut by the back surface's edges shows exactly the part an
// uncut one shows there.
TEST_F(RotZoomTest, ClippingKeepsTheSamplingOfTheUnclippedPicture) {
  std::mt19937 random(7);
  Canvas cell = NumberedCell(13, 9, 2);
  constexpr int kOffset = 40;
  for (int round = 0; round < 60; ++round) {
    const int angle = static_cast<int>(random() % 65536), zoom = 64 + static_cast<int>(random() % 600);
    const int cx = static_cast<int>(random() % 60) - 10, cy = static_cast<int>(random() % 50) - 10;
    Canvas small(40, 30, 2, 6), big(40 + 2 * kOffset, 30 + 2 * kOffset, 2);
    Draw(small, cell, cx, cy, angle, zoom);
    Draw(big, cell, cx + kOffset, cy + kOffset, angle, zoom);
    ASSERT_TRUE(small.GuardsIntact()) << round;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        ASSERT_EQ(small.Get(x, y), big.Get(x + kOffset, y + kOffset))
            << "round " << round << " at " << x << "," << y << " angle " << angle << " zoom " << zoom;
  }
}

TEST_F(RotZoomTest, KeyedKernelLeavesKeyPixelsOut) {
  for (const auto& [format, bytes, key] : {std::tuple{&kRgb565, 2, tcWhite}, std::tuple{&kRgb888, 3, tcBlack},
                                           std::tuple{&kXrgb8888, 4, tcBlack}}) {
    UseFormat(*format, key);
    Canvas cell = NumberedCell(6, 6, bytes);
    cell.Set(1, 1, PixelFormat.KeyColor);
    // The unused byte of a 4-byte pixel does not hide the key colour.
    cell.Set(2, 2, PixelFormat.KeyColor | (bytes == 4 ? 0xFF000000u : 0u));
    Canvas keyed(12, 12, bytes), opaque(12, 12, bytes);
    for (Canvas* c : {&keyed, &opaque})
      for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) c->Set(x, y, 0x0123);
    Draw(keyed, cell, 6, 6, 0, 256, true);
    Draw(opaque, cell, 6, 6, 0, 256, false);
    EXPECT_EQ(keyed.Get(4, 4), 0x0123u) << bytes;
    EXPECT_EQ(keyed.Get(5, 5), 0x0123u) << bytes;
    EXPECT_EQ(opaque.Get(4, 4), PixelFormat.KeyColor) << bytes;
    EXPECT_EQ(keyed.Get(3, 3), cell.Get(0, 0)) << bytes;
    EXPECT_EQ(keyed.Get(8, 8), cell.Get(5, 5)) << bytes;
  }
}

// Packed 3-byte pixels: the copy keeps the destination's following byte, also
// at the last pixel of the surface, where there is none to keep.
TEST_F(RotZoomTest, ThreeBytePixelsStayWithinTheSurface) {
  UseFormat(kRgb888);
  Canvas screen(10, 10, 3);
  Canvas cell = NumberedCell(8, 8, 3);
  Draw(screen, cell, 9, 9, 0, 256);
  EXPECT_TRUE(screen.GuardsIntact());
  EXPECT_EQ(screen.Get(9, 9), cell.Get(4, 4));
  EXPECT_EQ(screen.Get(8, 9), cell.Get(3, 4));
}

TEST_F(RotZoomTest, ExtremeArgumentsStayInsideBothSurfaces) {
  Canvas cell = NumberedCell(7, 5, 2);
  const int zooms[] = {1, -1, -256, 3, 65536, INT_MAX, INT_MIN};
  const int centres[] = {INT_MIN, -70000, -3, 0, 19, 39, 70000, INT_MAX};
  for (int zoom : zooms)
    for (int cx : centres)
      for (int angle : {0, 5000, 16384, 40000}) {
        Canvas screen(40, 30, 2, 4);
        Draw(screen, cell, cx, 15, angle, zoom);
        Draw(screen, cell, 20, cx, angle, zoom, true);
        ASSERT_TRUE(screen.GuardsIntact()) << zoom << " " << cx << " " << angle;
      }
}

TEST_F(RotZoomTest, PaletteFormatHasNoRotateZoomKernel) {
  UseFormat(kPalette);
  EXPECT_EQ(SelectKernels().RotZoom, nullptr);
  EXPECT_EQ(SelectKernels().RotZoomKey, nullptr);
}

}  // namespace
}  // namespace kernel_test
