#include <cmath>

#include "tests/kernels/kernel_fixture.h"

namespace kernel_test {
namespace {

TEST(PixelFormatTest, NormalisedShiftsAddressTheTopBitsOfEachChannel) {
  UseFormat(kRgb565);
  EXPECT_EQ(PixelFormat.PixelBytes, 2u);
  EXPECT_EQ((std::vector<uint32_t>{PixelFormat.RShift, PixelFormat.GShift, PixelFormat.BShift}),
            (std::vector<uint32_t>{11, 6, 0}));
  EXPECT_EQ((std::vector<uint32_t>{PixelFormat.RBits, PixelFormat.GBits, PixelFormat.BBits}),
            (std::vector<uint32_t>{5, 6, 5}));
  EXPECT_EQ(PixelFormat.ColorMask, 0xFFFFu);
  EXPECT_EQ(PixelFormat.OtherMask, 0xFFFF0000u);

  UseFormat(TDisplayFormat{16, 0x7C00, 0x03E0, 0x001F});  // 5-5-5: every channel already narrowest
  EXPECT_EQ((std::vector<uint32_t>{PixelFormat.RShift, PixelFormat.GShift, PixelFormat.BShift}),
            (std::vector<uint32_t>{10, 5, 0}));

  for (const TDisplayFormat& f : {kRgb888, kXrgb8888}) {
    UseFormat(f);
    EXPECT_EQ((std::vector<uint32_t>{PixelFormat.RShift, PixelFormat.GShift, PixelFormat.BShift}),
              (std::vector<uint32_t>{16, 8, 0}));
    EXPECT_EQ(PixelFormat.RBits, 8u);
    EXPECT_EQ(PixelFormat.OtherMask, 0xFF000000u);
  }
  EXPECT_EQ(PixelFormat.PixelBytes, 4u);
}

TEST(PixelFormatTest, PaletteFormatHasNoChannels) {
  UseFormat(kPalette);
  EXPECT_EQ(PixelFormat.PixelBytes, 1u);
  EXPECT_EQ(PixelFormat.RShift + PixelFormat.GShift + PixelFormat.BShift, 0u);
  EXPECT_EQ(PixelFormat.RBits + PixelFormat.GBits + PixelFormat.BBits, 0u);
  EXPECT_EQ(PixelFormat.ColorMask, 0u);
}

TEST(PixelFormatTest, KeyColourPerTransparentColourAndFormat) {
  struct Case {
    TDisplayFormat format;
    TTransparentColor colour;
    uint32_t key;
  };
  const Case cases[] = {
      {kRgb565, tcBlack, 0},           {kRgb565, tcWhite, 0xFFFF},         {kRgb565, tcRed, 0xF800},
      {kRgb565, tcGreen, 0x07E0},      {kRgb565, tcBlue, 0x001F},          {kXrgb8888, tcBlack, 0},
      {kXrgb8888, tcWhite, 0xFFFFFF},  {kXrgb8888, tcRed, 0xFF0000},       {kXrgb8888, tcGreen, 0x00FF00},
      {kXrgb8888, tcBlue, 0x0000FF},   {kRgb888, tcWhite, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    UseFormat(c.format, c.colour);
    EXPECT_EQ(PixelFormat.KeyColor, c.key) << "colour " << int(c.colour) << " bits " << c.format.BitCount;
  }
}

TEST(PixelFormatTest, SineAndCosineTablesAreTruncatedTowardZero) {
  UseFormat(kRgb565);
  EXPECT_EQ(CosTable[0], 65536);
  EXPECT_EQ(SinTable[0], 0);
  EXPECT_EQ(SinTable[16384], 65536);
  EXPECT_EQ(CosTable[16384], 0);
  EXPECT_EQ(CosTable[32768], -65536);
  EXPECT_EQ(SinTable[49152], -65536);
  // sin(2*pi/65536) * 65536 = 6.28...: 6, and -6 on the other half turn.
  EXPECT_EQ(SinTable[1], 6);
  EXPECT_EQ(SinTable[32769], -6);
  // 45 degrees: 46340.95 truncates to 46340 for both.
  EXPECT_EQ(SinTable[8192], 46340);
  EXPECT_EQ(CosTable[8192], 46340);
  for (int i = 0; i < AngleSteps; i += 97) {
    const double exact = std::sin(2 * M_PI * i / AngleSteps) * 65536;
    EXPECT_LE(std::abs(SinTable[i]), std::abs(exact) + 1e-6) << i;
    EXPECT_LT(std::abs(exact) - std::abs(SinTable[i]), 1.0) << i;
  }
}

TEST(PixelFormatTest, StateFollowsTheLastCall) {
  UseFormat(kXrgb8888, tcWhite, 320, 240);
  UseFormat(kRgb565, tcBlue, 640, 480);
  EXPECT_EQ(PixelFormat.PixelBytes, 2u);
  EXPECT_EQ(PixelFormat.KeyColor, 0x1Fu);
  EXPECT_EQ(PixelFormat.ScreenWidth, 640);
  EXPECT_EQ(PixelFormat.ScreenHeight, 480);
}

TEST(PixelFormatTest, ReportLinesGiveSizesMasksAndKeyInHex) {
  UseFormat(kRgb565, tcWhite, 640, 480);
  const AnsiString mmx = PixelFormat.HasMMX ? "Yes" : "No";
  EXPECT_EQ(PixelFormatReport(), "TVantorDraw(Ex)::HasMMX:" + mmx +
                                     "  Width:640  Height:480  ColorBit:16\n"
                                     "TVantorDraw(Ex)::RMask:0000F800  GMask:000007E0  BMask:0000001F  Key:0000FFFF");
}

#if defined(__x86_64__)
TEST(PixelFormatTest, X86ProcessorsReportMmxAndGetAnAcceleratedSet) {
  UseFormat(kRgb565);
  EXPECT_TRUE(PixelFormat.HasMMX);
  EXPECT_NE(AcceleratedKernelSet(), TKernelSet::Generic);
}
#endif

TEST(KernelTableTest, SlotsFollowTheInstallationTable) {
  for (uint32_t bytes : {1u, 2u, 3u, 4u}) {
    const TVantorKernelTable generic = KernelTable(bytes, TKernelSet::Generic);
    EXPECT_EQ(generic.Blend[0], nullptr);
    EXPECT_EQ(generic.Blend[7], nullptr);
    for (int slot : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13}) EXPECT_NE(generic.Blend[slot], nullptr) << slot;
    EXPECT_EQ(generic.RotZoom != nullptr, bytes != 1);
    EXPECT_EQ(generic.RotZoomKey != nullptr, bytes != 1);

    for (TKernelSet set : AcceleratedSets()) {
      const TVantorKernelTable fast = KernelTable(bytes, set);
      const bool accelerated = bytes == 2 || bytes == 4;
      for (int slot : {1, 2, 3, 4, 8, 9, 10, 11})
        EXPECT_EQ(fast.Blend[slot] != generic.Blend[slot], accelerated) << bytes << " slot " << slot;
      for (int slot : {0, 5, 6, 7, 12, 13}) EXPECT_EQ(fast.Blend[slot], generic.Blend[slot]) << slot;
      EXPECT_EQ(fast.RotZoom, generic.RotZoom);
    }
  }
  const TVantorKernelTable none = KernelTable(5, TKernelSet::Generic);
  for (TVantorDrawKernel k : none.Blend) EXPECT_EQ(k, nullptr);
  EXPECT_EQ(none.RotZoom, nullptr);
}

TEST(KernelTableTest, SelectKernelsUsesTheCurrentPixelSize) {
  UseFormat(kPalette);
  EXPECT_EQ(SelectKernels().RotZoom, nullptr);
  UseFormat(kXrgb8888);
  const TKernelSet set = PixelFormat.HasMMX ? AcceleratedKernelSet() : TKernelSet::Generic;
  EXPECT_EQ(SelectKernels().Blend[1], KernelTable(4, set).Blend[1]);
}

}  // namespace
}  // namespace kernel_test
