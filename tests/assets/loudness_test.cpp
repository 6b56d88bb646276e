// How the generated sound plays in the game: every song and effect rendered
// offline through the game's own chain with TimGM6mb, measured after
// EBU R 128. The songs sit within 3 LU of each other and every effect 0 to
// 6 LU above them; the levels in the generator are data this test holds.
#include <gtest/gtest.h>
#include <unistd.h>

#include "balance.h"
#include "platform/sdl/midi_synth.h"

namespace assets_test {
namespace {

TEST(Loudness, SongsPlayEvenlyAndEffectsJustAboveThem) {
  if (access(platform::sdl::kTimGm6mb, R_OK) != 0) GTEST_SKIP() << "TimGM6mb is not installed";
  loudness::Balance balance;
  std::string error;
  ASSERT_TRUE(loudness::MeasureAssets(std::string(SOLVARA_BUILD_DIR) + "/sound", platform::sdl::kTimGm6mb, balance,
                                      error))
      << error;
  ASSERT_EQ(balance.songs.size(), 6u);
  ASSERT_EQ(balance.effects.size(), 10u);
  EXPECT_TRUE(balance.Holds()) << loudness::Report(balance);
  for (const loudness::Measured& m : balance.songs) EXPECT_EQ(m.loudness.fullScale, 0u) << m.file;
  for (const loudness::Measured& m : balance.effects) EXPECT_EQ(m.loudness.fullScale, 0u) << m.file;
}

}  // namespace
}  // namespace assets_test
