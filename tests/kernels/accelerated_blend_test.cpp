// The SSE2 and AVX2 kernels against the generic ones and against the
// accelerated behaviour: the fast paths at 128 and 255, the reduced 5-6-5
// alpha, the four 8-bit lanes of 4-byte pixels.
#include <algorithm>
#include <random>

#include "tests/kernels/kernel_fixture.h"

namespace kernel_test {
namespace {

constexpr int kLevels[] = {0, 1, 64, 127, 128, 129, 200, 254, 255};
constexpr int kWidths[] = {1, 3, 7, 8, 9, 15, 16, 17, 31, 33, 100};

uint32_t Field(uint32_t v, int shift, uint32_t max) { return (v >> shift) & max; }

// 5-6-5 pixels as the accelerated kernels must produce them.
uint32_t Accelerated565(int effect, uint32_t d, uint32_t s, uint32_t a) {
  if (effect == 1 && a == 128) return ((d >> 1) & 0x7BEF) + ((s >> 1) & 0x7BEF);
  if (effect == 1) {
    // Channels reduced to their top five bits at shifts 11, 6 and 0.
    uint32_t r = 0;
    for (int shift : {11, 6, 0}) {
      const uint32_t dc = Field(d, shift, 31), sc = Field(s, shift, 31);
      r |= ((dc * (255 - a) + sc * a) >> 8) << shift;
    }
    return r;
  }
  // Level 255 (the only level checked here): the full source value, saturated.
  uint32_t r = 0;
  for (auto [shift, max] : {std::pair{11, 31u}, std::pair{5, 63u}, std::pair{0, 31u}}) {
    const int dc = static_cast<int>(Field(d, shift, max)), sc = static_cast<int>(Field(s, shift, max));
    const int m = static_cast<int>(max);
    const int v = effect == 2 ? std::min(m, dc + sc) : effect == 3 ? std::max(0, dc - (m - sc)) : std::max(0, dc - sc);
    r |= static_cast<uint32_t>(v) << shift;
  }
  return r;
}

// 4-byte pixels: four independent 8-bit lanes.
uint32_t Accelerated8888(int effect, uint32_t d, uint32_t s, uint32_t a) {
  uint32_t r = 0;
  for (int lane = 0; lane < 4; ++lane) {
    const int db = static_cast<int>(Field(d, lane * 8, 255)), sb = static_cast<int>(Field(s, lane * 8, 255));
    const int ia = static_cast<int>(a);
    int v = 0;
    switch (effect) {
      case 1: v = a == 128 ? (db >> 1) + (sb >> 1) : std::min(255, ((db * (255 - ia)) >> 8) + ((sb * ia) >> 8)); break;
      case 2: v = std::min(255, db + (a == 255 ? sb : (sb * ia) >> 8)); break;
      case 3: v = std::max(0, db - (a == 255 ? 255 - sb : ((255 - sb) * ia) >> 8)); break;
      case 4: v = std::max(0, db - (a == 255 ? sb : (sb * ia) >> 8)); break;
    }
    r |= static_cast<uint32_t>(v) << (lane * 8);
  }
  return r;
}

struct Format {
  const TDisplayFormat* display;
  int bytes;
  uint32_t key;
};

class AcceleratedBlendTest : public ::testing::TestWithParam<TKernelSet> {
 protected:
  void SetUp() override {
    if (GetParam() == TKernelSet::Avx2 && AcceleratedKernelSet() != TKernelSet::Avx2)
      GTEST_SKIP() << "no AVX2 on this processor";
    if (AcceleratedKernelSet() == TKernelSet::Generic) GTEST_SKIP() << "no SSE2 on this processor";
  }

  // Random pixels, about one in eight of the source's equal to the key.
  void Fill(Canvas& dst, Canvas& src, uint32_t colourBits, uint32_t key) {
    for (int y = 0; y < dst.Height(); ++y)
      for (int x = 0; x < dst.Width(); ++x) {
        dst.Set(x, y, random_() & colourBits);
        src.Set(x, y, random_() % 8 == 0 ? key : random_() & colourBits);
      }
  }

  // Runs the accelerated and the generic kernel of one slot on copies of the
  // same random rows and hands every pixel to `check`.
  template <class Check>
  void Compare(const Format& f, int slot, int level, Check check) {
    // Rebuilding the format (and its trigonometry tables) only when it changes.
    if (PixelFormat.PixelBytes != static_cast<uint32_t>(f.bytes)) UseFormat(*f.display, tcBlack);
    PixelFormat.KeyColor = f.key;
    const uint32_t all = f.bytes == 2 ? 0xFFFF : 0xFFFFFFFF;
    const TVantorDrawKernel fast = KernelTable(f.bytes, GetParam()).Blend[slot];
    const TVantorDrawKernel generic = KernelTable(f.bytes, TKernelSet::Generic).Blend[slot];
    for (int width : kWidths) {
      Canvas dst(width, 3, f.bytes, 6), src(width, 3, f.bytes, 2);
      Fill(dst, src, all, f.key);
      Canvas reference = dst, before = dst;
      fast(BlendDirect(dst, src, level));
      generic(BlendDirect(reference, src, level));
      ASSERT_TRUE(dst.GuardsIntact()) << "slot " << slot << " width " << width;
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x)
          check(before.Get(x, y), src.Get(x, y), dst.Get(x, y), reference.Get(x, y));
    }
  }

  std::mt19937 random_{20011};
};

const Format k565{&kRgb565, 2, 0x0000};
const Format k565WhiteKey{&kRgb565, 2, 0xFFFF};
const Format k8888{&kXrgb8888, 4, 0x000000};

TEST_P(AcceleratedBlendTest, SaturatingEffectsMatchTheGenericOnesBelowFullStrength) {
  for (const Format& f : {k565, k8888})
    for (int effect = 2; effect <= 4; ++effect)
      for (int level : kLevels) {
        if (level == 255) continue;
        Compare(f, effect, level, [&](uint32_t, uint32_t, uint32_t got, uint32_t generic) {
          // 4-byte pixels: the unused byte is a lane of its own, only colour must agree.
          const uint32_t colour = f.bytes == 2 ? 0xFFFF : 0xFFFFFF;
          ASSERT_EQ(got & colour, generic & colour) << "effect " << effect << " level " << level;
        });
      }
}

TEST_P(AcceleratedBlendTest, FullStrengthTakesTheWholeSourceValue) {
  for (int effect = 2; effect <= 4; ++effect) {
    Compare(k565, effect, 255, [&](uint32_t d, uint32_t s, uint32_t got, uint32_t) {
      ASSERT_EQ(got, Accelerated565(effect, d, s, 255)) << "effect " << effect;
    });
    Compare(k8888, effect, 255, [&](uint32_t d, uint32_t s, uint32_t got, uint32_t) {
      ASSERT_EQ(got, Accelerated8888(effect, d, s, 255)) << "effect " << effect;
    });
  }
  UseFormat(kRgb565);
  const TVantorKernelTable t = KernelTable(2, GetParam());
  EXPECT_EQ(BlendPixel(t.Blend[2], 0x0000, 0xFFFF, 255), 0xFFFFu);  // generic: 0xF7DE
  EXPECT_EQ(BlendPixel(t.Blend[3], 0xFFFF, 0x0000, 255), 0x0000u);  // generic: 0x0821
  EXPECT_EQ(BlendPixel(t.Blend[4], 0xFFFF, 0xFFFF, 255), 0x0000u);
}

TEST_P(AcceleratedBlendTest, AlphaReducesChannelsOn2BytePixels) {
  for (int level : kLevels)
    Compare(k565, 1, level, [&](uint32_t d, uint32_t s, uint32_t got, uint32_t generic) {
      ASSERT_EQ(got, Accelerated565(1, d, s, level)) << "level " << level;
      if (level == 128) return;
      EXPECT_EQ(got & 0x0020, 0u);                   // low green bit
      EXPECT_EQ(got & 0xF81F, generic & 0xF81F);     // red and blue as the generic
      const int greenDiff = static_cast<int>(Field(got, 5, 63)) - static_cast<int>(Field(generic, 5, 63));
      EXPECT_LE(std::abs(greenDiff), 2);
    });
  UseFormat(kRgb565);
  const TVantorKernelTable t = KernelTable(2, GetParam());
  EXPECT_EQ(BlendPixel(t.Blend[1], 0xFFFF, 0x0000, 128), 0x7BEFu);
  EXPECT_EQ(BlendPixel(t.Blend[1], 0xFFFF, 0xFFFF, 128), 0xF7DEu);
  EXPECT_EQ(BlendPixel(t.Blend[1], 0x0000, 0xFFFF, 255), 0xF79Eu);  // 30, 60, 30: green's low bit gone
}

TEST_P(AcceleratedBlendTest, AlphaWorksOnFourByteLanes) {
  for (int level : kLevels)
    Compare(k8888, 1, level, [&](uint32_t d, uint32_t s, uint32_t got, uint32_t generic) {
      ASSERT_EQ(got, Accelerated8888(1, d, s, level)) << "level " << level;
      if (level == 128) return;
      for (int lane = 0; lane < 3; ++lane) {
        const int diff = static_cast<int>(Field(generic, lane * 8, 255)) - static_cast<int>(Field(got, lane * 8, 255));
        EXPECT_TRUE(diff == 0 || diff == 1) << "lane " << lane << " level " << level;
      }
    });
  UseFormat(kXrgb8888);
  const TVantorKernelTable t = KernelTable(4, GetParam());
  EXPECT_EQ(BlendPixel(t.Blend[1], 0xFFFFFFFF, 0x00000000, 128), 0x7F7F7F7Fu);
  EXPECT_EQ(BlendPixel(t.Blend[1], 0x00000000, 0xFFFFFFFF, 255), 0xFEFEFEFEu);
}

TEST_P(AcceleratedBlendTest, KeyedVersionsLeaveKeyColouredSourcesOut) {
  for (const Format& f : {k565, k565WhiteKey, k8888})
    for (int effect = 1; effect <= 4; ++effect)
      for (int level : {77, 128, 255}) {
        // The opaque kernel's result on the same pixel, for the drawn ones.
        const TVantorDrawKernel opaque = KernelTable(f.bytes, GetParam()).Blend[effect];
        Compare(f, effect + KeyedBlendOffset, level, [&](uint32_t d, uint32_t s, uint32_t got, uint32_t) {
          const uint32_t colour = f.bytes == 2 ? 0xFFFF : 0xFFFFFF;
          if ((s & colour) == f.key) {
            ASSERT_EQ(got, d);
          } else {
            ASSERT_EQ(got, BlendPixel(opaque, d, s, level)) << "effect " << effect;
          }
        });
      }
}

INSTANTIATE_TEST_SUITE_P(Sets, AcceleratedBlendTest, ::testing::Values(TKernelSet::Sse2, TKernelSet::Avx2),
                         [](const ::testing::TestParamInfo<TKernelSet>& info) {
                           return info.param == TKernelSet::Sse2 ? "Sse2" : "Avx2";
                         });

}  // namespace
}  // namespace kernel_test
