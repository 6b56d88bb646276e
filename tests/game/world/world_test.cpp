#include <gtest/gtest.h>

#include <numeric>

#include "game/world/world.h"
#include "platform/random.h"

namespace game {
namespace {

TEST(AimDirection, AxesAndDiagonals) {
  EXPECT_EQ(AimDirection(0, 0, 20, 100), 4);
  EXPECT_EQ(AimDirection(0, 0, 100, 0), 0);
  EXPECT_EQ(AimDirection(0, 0, 100, -20), 0);
  EXPECT_EQ(AimDirection(0, 0, 100, -40), 15);
  EXPECT_EQ(AimDirection(0, 0, -100, -1), 8);
  EXPECT_EQ(AimDirection(0, 0, -100, -100), 10);
  // The vertical window is -31 ... 31 in x; straight up when dy is not positive.
  EXPECT_EQ(AimDirection(0, 0, 31, 0), 12);
  EXPECT_EQ(AimDirection(0, 0, -31, -200), 12);
  // The horizontal window is -1 ... 31 in y, not symmetric.
  EXPECT_EQ(AimDirection(0, 0, -100, 31), 8);
  EXPECT_EQ(AimDirection(0, 0, -100, -40), 9);
  // The four diagonals.
  EXPECT_EQ(AimDirection(0, 0, 100, 100), 2);
  EXPECT_EQ(AimDirection(0, 0, -100, 100), 6);
  EXPECT_EQ(AimDirection(0, 0, 100, -100), 14);
}

TEST(AimDirection, UsesSixteenBitDifferencesFromAnyOrigin) {
  EXPECT_EQ(AimDirection(300, 200, 320, 300), 4);
  EXPECT_EQ(AimDirection(500, 500, 400, 400), 10);
  // 70000 wraps to 4464 in 16 bits: far to the right, not to the left.
  EXPECT_EQ(AimDirection(0, 0, 70000, 0), 0);
}

TEST(AimDirection, EveryResultIsADirection) {
  for (int dx = -400; dx <= 400; dx += 7)
    for (int dy = -400; dy <= 400; dy += 7) {
      int d = AimDirection(0, 0, dx, dy);
      ASSERT_GE(d, 0) << dx << "," << dy;
      ASSERT_LE(d, 15) << dx << "," << dy;
    }
}

TEST(DirectionTables, TruncatedValuesOfTheShortTurn) {
  int32_t c[16], s[16];
  FillDirectionTables(c, s);
  const int32_t wantCos[16] = {16, 14, 11, 6, 0, -6, -11, -14, -15, -14, -11, -6, 0, 6, 11, 14};
  const int32_t wantSin[16] = {0, 6, 11, 14, 15, 14, 11, 6, 0, -6, -11, -14, -15, -14, -11, -6};
  for (int d = 0; d < 16; ++d) {
    EXPECT_EQ(c[d], wantCos[d]) << d;
    EXPECT_EQ(s[d], wantSin[d]) << d;
  }
}

TEST(Pools, TakeTheLowestFreeRecordAndDropWhenFull) {
  ShotPool shots{};
  for (size_t i = 0; i < kShotCapacity; ++i) {
    Shot* s = TakeFree(shots);
    ASSERT_EQ(s, &shots[i]);
    s->active = 1;
    s->x = static_cast<int32_t>(i);
  }
  // The 41st shot finds no record and nothing live is replaced.
  EXPECT_EQ(TakeFree(shots), nullptr);
  EXPECT_EQ(LiveCount(shots), 40);
  // A freed record keeps its fields until it is taken again, lowest first.
  shots[17].active = 0;
  shots[3].active = 0;
  EXPECT_EQ(TakeFree(shots), &shots[3]);
  EXPECT_EQ(shots[17].x, 17);
  EXPECT_EQ(LiveCount(shots), 38);
}

TEST(Pools, BannersAreFreeWhenTheirTimerIsZero) {
  BannerPool banners{};
  banners[0].timer = 5;
  EXPECT_EQ(TakeFree(banners), &banners[1]);
  FreeAll(banners);
  EXPECT_EQ(LiveCount(banners), 0);
}

TEST(SpriteNames, GroupsInTableOrder) {
  EXPECT_EQ(SpriteNames[sprite::k5_0], "5_0");
  EXPECT_EQ(SpriteNames[7], "5_7");
  EXPECT_EQ(SpriteNames[sprite::k0s], "0s");
  EXPECT_EQ(SpriteNames[17], "9s");
  EXPECT_EQ(SpriteNames[sprite::kGlyph], "0");
  EXPECT_EQ(SpriteNames[sprite::kGlyph + 10], "A");
  EXPECT_EQ(SpriteNames[sprite::kGlyph + 36], "[");
  EXPECT_EQ(SpriteNames[sprite::k24_00], "24_00");
  EXPECT_EQ(SpriteNames[sprite::k32_00 + 18], "32_18");
  EXPECT_EQ(SpriteNames[sprite::k40_00 + 11], "40_11");
  EXPECT_EQ(SpriteNames[sprite::k62_00], "62_00");
  EXPECT_EQ(SpriteNames[sprite::k60_00 + 6], "60_06");
  EXPECT_EQ(SpriteNames[sprite::k64_00], "64_00");
  EXPECT_EQ(SpriteNames[sprite::k70_00], "70_00");
  EXPECT_EQ(SpriteNames[sprite::k80_00 + 76], "80_76");
  EXPECT_EQ(SpriteNames[sprite::k96_00 + 47], "96_47");
  EXPECT_EQ(SpriteNames[sprite::k100_00 + 44], "100_44");
  EXPECT_EQ(SpriteNames[sprite::k120_00], "120_00");
  EXPECT_EQ(SpriteNames[sprite::k150_00 + 14], "150_14");
  EXPECT_EQ(SpriteNames[sprite::k1507_00 + 9], "1507_09");
  EXPECT_EQ(SpriteNames[sprite::k180_00 + 19], "180_19");
  EXPECT_EQ(SpriteNames[sprite::k200_00 + 51], "200_51");
  EXPECT_EQ(SpriteNames[sprite::k300_00 + 1], "300_01");
  EXPECT_EQ(SpriteNames.back(), "300_01");
  // Every name is distinct: each is the key of its own surface.
  for (size_t i = 0; i < kSpriteCount; ++i)
    for (size_t j = i + 1; j < kSpriteCount; ++j) ASSERT_NE(SpriteNames[i], SpriteNames[j]) << i << " " << j;
}

TEST(DirectionScripts, RunsExpandToTheirSteps) {
  EXPECT_EQ(path::P1[0], 4);
  EXPECT_EQ(path::P1[4], 5);
  EXPECT_EQ(path::P1[8], 7);
  EXPECT_EQ(path::P1[9], 8);
  EXPECT_EQ(path::P1[59], 4);
  EXPECT_EQ(path::L[13], 12);
  EXPECT_EQ(path::L[14], 13);
  EXPECT_EQ(path::L[219], 4);
  EXPECT_EQ(path::Q1[3], 0);
  EXPECT_EQ(path::Q1[4], 12);
  EXPECT_EQ(path::Q5[12], 3);
  EXPECT_EQ(path::R2[7], 11);
  for (int16_t d : path::L) {
    EXPECT_GE(d, 0);
    EXPECT_LE(d, 15);
  }
}

TEST(ConstantTables, MirrorAndWobble) {
  // A spin shot at step s flies against mirror[s]: (16 - s) mod 16 ahead.
  for (int s = 0; s < 16; ++s) EXPECT_EQ((kMirror[s] + 8) % 16, (16 - s) % 16) << s;
  // The second wobble table is the first shifted by six entries.
  for (int i = 0; i < 24; ++i) EXPECT_EQ(kWobbleY[i], kWobbleX[(i + 6) % 24]) << i;
  EXPECT_EQ(std::accumulate(std::begin(kWobbleX), std::end(kWobbleX), 0), 0);
}

TEST(Random, DrawsBelowItsBoundFromTheSeededGenerator) {
  platform::Rand().Seed(7);
  int first = Random(1000);
  platform::Rand().Seed(7);
  EXPECT_EQ(Random(1000), first);
  for (int i = 0; i < 1000; ++i) {
    int r = Random(5);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 5);
  }
}

}  // namespace
}  // namespace game
