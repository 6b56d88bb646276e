// The generic kernels' integer formulas at their edge values.
#include "tests/kernels/kernel_fixture.h"

namespace kernel_test {
namespace {

class GenericBlendTest : public ::testing::Test {
 protected:
  uint32_t Run(int slot, uint32_t d, uint32_t s, int32_t level) {
    return BlendPixel(KernelTable(PixelFormat.PixelBytes, TKernelSet::Generic).Blend[slot], d, s, level);
  }
};

uint16_t Rgb565(uint32_t r, uint32_t g, uint32_t b) { return static_cast<uint16_t>(r << 11 | g << 5 | b); }

TEST_F(GenericBlendTest, AlphaAtTheEndsOfTheLevelRangeLosesOneStep) {
  UseFormat(kRgb565);
  // Level 0 still scales the destination by 255/256: 31 -> 30, 63 -> 62.
  EXPECT_EQ(Run(1, 0xFFFF, 0x0000, 0), Rgb565(30, 62, 30));
  EXPECT_EQ(Run(1, 0xFFFF, 0xFFFF, 0), Rgb565(30, 62, 30));
  // Level 255 gives one step below the source at a channel's maximum.
  EXPECT_EQ(Run(1, 0x0000, 0xFFFF, 255), Rgb565(30, 62, 30));
  EXPECT_EQ(Run(1, 0x0000, Rgb565(16, 32, 16), 255), Rgb565(15, 31, 15));
  EXPECT_EQ(Run(1, 0xFFFF, 0x0000, 128), Rgb565(15, 31, 15));

  UseFormat(kXrgb8888);
  // The unused byte keeps the destination's value.
  EXPECT_EQ(Run(1, 0xAAFFFFFF, 0x00000000, 0), 0xAAFEFEFEu);
  EXPECT_EQ(Run(1, 0x00000000, 0x55FFFFFF, 255), 0x00FEFEFEu);
  EXPECT_EQ(Run(1, 0x00FF0000, 0x000000FF, 128), 0x007E007Fu);
}

TEST_F(GenericBlendTest, AddSaturatesOnTheChannelGrid) {
  UseFormat(kRgb565);
  EXPECT_EQ(Run(2, 0x1234, 0x0000, 255), 0x1234);  // black adds nothing
  EXPECT_EQ(Run(2, 0x1234, 0x0000, 77), 0x1234);
  // White at 255: non-zero channels reach the maximum, zero ones land at max*255/256.
  EXPECT_EQ(Run(2, Rgb565(1, 0, 5), 0xFFFF, 255), Rgb565(31, 62, 31));
  EXPECT_EQ(Run(2, Rgb565(0, 0, 0), 0xFFFF, 255), Rgb565(30, 62, 30));
  EXPECT_EQ(Run(2, Rgb565(10, 20, 30), Rgb565(16, 32, 16), 128), Rgb565(18, 36, 31));

  UseFormat(kXrgb8888);
  EXPECT_EQ(Run(2, 0x00010000, 0x00FFFFFF, 255), 0x00FFFEFEu);
  EXPECT_EQ(Run(2, 0x7F102030, 0x00000000, 255), 0x7F102030u);
  EXPECT_EQ(Run(2, 0x00102030, 0x00808080, 128), 0x00506070u);
}

TEST_F(GenericBlendTest, SubtractInverseDarkensByTheSourcesComplement) {
  UseFormat(kRgb565);
  for (int level : {0, 1, 128, 255}) EXPECT_EQ(Run(3, 0x1234, 0xFFFF, level), 0x1234) << level;
  // Black at 255: a 5-bit 31 becomes 1 and any lower value 0 (63 -> 1 in green).
  EXPECT_EQ(Run(3, 0xFFFF, 0x0000, 255), Rgb565(1, 1, 1));
  EXPECT_EQ(Run(3, Rgb565(31, 10, 30), 0x0000, 255), Rgb565(1, 0, 0));
  EXPECT_EQ(Run(3, Rgb565(31, 63, 31), Rgb565(15, 31, 15), 128), Rgb565(23, 47, 23));

  UseFormat(kXrgb8888);
  EXPECT_EQ(Run(3, 0x00FF0A01, 0x00000000, 255), 0x00010000u);
  EXPECT_EQ(Run(3, 0x33FF0A01, 0x00FFFFFF, 200), 0x33FF0A01u);
}

TEST_F(GenericBlendTest, SubtractStopsAtZero) {
  UseFormat(kRgb565);
  EXPECT_EQ(Run(4, 0xFFFF, 0xFFFF, 255), Rgb565(1, 1, 1));
  EXPECT_EQ(Run(4, 0xFFFF, 0xFFFF, 128), Rgb565(16, 32, 16));
  EXPECT_EQ(Run(4, Rgb565(3, 3, 3), 0xFFFF, 255), 0);
  EXPECT_EQ(Run(4, 0x1234, 0x0000, 255), 0x1234);

  UseFormat(kXrgb8888);
  EXPECT_EQ(Run(4, 0x00FFFFFF, 0x00FFFFFF, 255), 0x00010101u);
  EXPECT_EQ(Run(4, 0x00804020, 0x00404040, 128), 0x00602000u);
}

TEST_F(GenericBlendTest, ColourAddIgnoresTheDestinationsColour) {
  UseFormat(kRgb565);
  // 0x77/256 of each channel's full value, cut to the channel grid.
  EXPECT_EQ(Run(5, 0x0000, 0x0000, 0x777777), Rgb565(14, 29, 14));
  EXPECT_EQ(Run(5, 0x5555, 0x0000, 0x777777), Rgb565(14, 29, 14));
  EXPECT_EQ(Run(5, 0x0000, 0xFFFF, 0x777777), 0xFFFF);
  EXPECT_EQ(Run(5, 0x0000, Rgb565(1, 2, 3), 0x0000FF), Rgb565(1, 2, 31));  // blue saturates

  UseFormat(kXrgb8888);
  EXPECT_EQ(Run(5, 0xAB123456, 0x00010203, 0x102030), 0xAB102132u);
  EXPECT_EQ(Run(5, 0x00000000, 0x00F0F0F0, 0x203040), 0x00FFFFFFu);
}

TEST_F(GenericBlendTest, ColourMultiplyScalesEachChannel) {
  UseFormat(kRgb565);
  EXPECT_EQ(Run(6, 0x1234, 0xFFFF, 0xFF8000), Rgb565(30, 31, 0));
  EXPECT_EQ(Run(6, 0x1234, 0xFFFF, 0x000000), 0);

  UseFormat(kXrgb8888);
  EXPECT_EQ(Run(6, 0xCD000000, 0x00FF8040, 0x80FF00), 0xCD7F7F00u);
}

TEST_F(GenericBlendTest, KeyedKernelsSkipKeyColouredSources) {
  UseFormat(kRgb565, tcBlack);
  for (int effect = 1; effect <= 6; ++effect) {
    EXPECT_EQ(Run(effect + KeyedBlendOffset, 0x1234, 0x0000, 128), 0x1234) << effect;
    EXPECT_EQ(Run(effect + KeyedBlendOffset, 0x1234, 0x0001, 128), Run(effect, 0x1234, 0x0001, 128)) << effect;
  }
  UseFormat(kRgb565, tcWhite);
  EXPECT_EQ(Run(9, 0x1234, 0xFFFF, 255), 0x1234);
  EXPECT_EQ(Run(8, 0xFFFF, 0x0000, 255), 0);  // black is drawn now

  // The unused byte of a 4-byte source does not hide its colour from the key.
  UseFormat(kXrgb8888, tcBlack);
  EXPECT_EQ(Run(8, 0x00FFFFFF, 0xFF000000, 255), 0x00FFFFFFu);
  EXPECT_EQ(Run(8, 0x00FFFFFF, 0xFF000001, 255), 0x00000000u);
}

TEST_F(GenericBlendTest, PaletteFormatLeavesTheDestinationUnchanged) {
  UseFormat(kPalette);
  for (int slot = 1; slot < BlendKernelCount; ++slot) {
    if (slot == KeyedBlendOffset) continue;
    EXPECT_EQ(Run(slot, 0x37, 0xC8, 200), 0x37u) << slot;
  }
}

// Packed 3-byte pixels are written with their own three bytes: the row's
// last pixel leaves the byte after it alone.
TEST_F(GenericBlendTest, ThreeBytePixelsKeepTheFollowingByte) {
  UseFormat(kRgb888);
  Canvas dst(5, 3, 3), src(5, 3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      dst.Set(x, y, 0x102030u * (x + 1));
      src.Set(x, y, x == 2 ? 0 : 0xFFFFFF);
    }
  const TVantorKernelTable table = KernelTable(3, TKernelSet::Generic);
  for (int slot : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13}) table.Blend[slot](BlendDirect(dst, src, 200));
  EXPECT_TRUE(dst.GuardsIntact());
}

TEST_F(GenericBlendTest, RowsFollowThePitchesAndStopAtTheWidth) {
  UseFormat(kRgb565);
  Canvas dst(7, 4, 2, 6), src(7, 4, 2, 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 7; ++x) src.Set(x, y, static_cast<uint32_t>(Rgb565(x, y, 1)));
  KernelTable(2, TKernelSet::Generic).Blend[2](BlendDirect(dst, src, 255));
  EXPECT_TRUE(dst.GuardsIntact());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(dst.Get(x, y), Run(2, 0, Rgb565(x, y, 1), 255)) << x << "," << y;
}

}  // namespace
}  // namespace kernel_test
