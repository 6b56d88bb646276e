// The effects the game ships, loaded and played the way the game does it.
#include <algorithm>
#include <cstdio>

#include "tests/sound/sound_fixture.h"

using namespace sound_test;

namespace {

TEST(GameEffects, TheTenGeneratedEffectsLoadAndSound) {
  const std::filesystem::path folder = std::filesystem::path(SOLVARA_BUILD_DIR) / "sound";
  ASSERT_TRUE(std::filesystem::exists(folder / "sou01.wav")) << "the assets are generated with the build";
  platform::headless::Backend backend;
  platform::MapFolder("sound", folder.string());
  {
    VantorSoundSystem::TVantorSound sound(nullptr);
    sound.Init(nullptr);
    for (int n = 1; n <= 10; ++n) {
      char name[3], path[32];
      std::snprintf(name, sizeof name, "%02d", n);
      std::snprintf(path, sizeof path, "sound\\sou%02d.wav", n);
      SCOPED_TRACE(path);
      sound.CreateBuffer(name, path, false);
      sound.SetVolume(name, 0);
      backend.sound.ClearCaptured();
      sound.Play(name, false);
      EXPECT_TRUE(sound.IsPlaying(name));
      // A tenth of a second at the default 22050 Hz, 16-bit stereo output.
      backend.sound.Advance(2205);
      const Bytes& out = backend.sound.Captured();
      EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](uint8_t b) { return b != 0; })) << "silent";
      sound.Stop(name);
    }
  }
  platform::ClearFolderMaps();
}

}  // namespace
