// The ten effects: PCM WAVs at 22050 Hz, short, audible, never clipped, with no click at
// either end; at least one of them 8-bit so that format is exercised.
#include <algorithm>
#include <cmath>

#include "asset_files.h"
#include "asset_names.h"

namespace assets_test {
namespace {

TEST(Effects, EachParsesAsShortCleanPcm) {
  int eightBit = 0;
  for (int n = 1; n <= 10; ++n) {
    SCOPED_TRACE(EffectFile(n));
    const auto wav = ReadWav(AssetPath("sound/" + EffectFile(n)));
    ASSERT_TRUE(wav.has_value());
    EXPECT_EQ(wav->formatTag, 1);
    EXPECT_EQ(wav->channels, 1);
    EXPECT_EQ(wav->rate, 22050);
    ASSERT_TRUE(wav->bits == 8 || wav->bits == 16);
    eightBit += wav->bits == 8;
    const double seconds = double(wav->samples.size()) / wav->rate;
    EXPECT_GE(seconds, 0.03);
    EXPECT_LE(seconds, 2.0);
    double peak = 0;
    int clipped = 0;
    for (double s : wav->samples) {
      peak = std::max(peak, std::fabs(s));
      clipped += std::fabs(s) >= 0.999;
    }
    // How loud each one plays is the loudness test's to judge; here only
    // that there is a sound at all.
    EXPECT_GE(peak, 0.1) << "silent";
    EXPECT_EQ(clipped, 0);
    EXPECT_LT(std::fabs(wav->samples.front()), 0.05) << "clicks at the start";
    EXPECT_LT(std::fabs(wav->samples.back()), 0.05) << "clicks at the end";
  }
  EXPECT_GE(eightBit, 1);
}

TEST(Effects, KillsGrowLongerAndHeavierWithTheEnemy) {
  // Small, medium and large kills (3, 6, 8): each lasts longer than the one before.
  auto seconds = [](int n) {
    const auto wav = ReadWav(AssetPath("sound/" + EffectFile(n)));
    return wav ? double(wav->samples.size()) / wav->rate : 0.0;
  };
  EXPECT_LT(seconds(3), seconds(6));
  EXPECT_LT(seconds(6), seconds(8));
  EXPECT_LT(seconds(4), seconds(3));  // the hit spark is the shortest tick of all
}

}  // namespace
}  // namespace assets_test
