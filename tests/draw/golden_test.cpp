// One scene drawn with every operation, in each pixel format, compared with a
// stored picture of it. After an intended change of the drawing, regenerate
// the references with
//   SOLVARA_UPDATE_GOLDEN=1 build/test_draw --gtest_filter='Golden*'
// and look at the new tests/draw/golden/*.png before committing them.
#include <cstdlib>

#include "draw_fixture.h"

namespace drawtest {
namespace {

// A routine for EffectDraw: inverts a 20 x 20 box at (X, Y).
void InvertBox(const TVantorDrawDirect& direct) {
  int bytes = int(PixelFormat.PixelBytes);
  for (int y = 0; y < 20; ++y) {
    uint8_t* row = direct.Dst + (direct.Y + y) * direct.DstPitch + direct.X * bytes;
    for (int i = 0; i < 20 * bytes; ++i) row[i] = uint8_t(~row[i]);
  }
}

Bitmap Gradient() {
  Bitmap b(64, 48);
  for (int y = 4; y < 44; ++y)
    for (int x = 4; x < 60; ++x) {
      // A black hole in the middle is left out by keyed operations.
      if ((x - 32) * (x - 32) + (y - 24) * (y - 24) < 64) continue;
      b.at(x, y) = Rgb{uint8_t(x * 4), uint8_t(y * 5), uint8_t(255 - x * 3)};
    }
  return b;
}

Bitmap Stripes() {
  Bitmap b(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) b.at(x, y) = (x / 4 + y / 4) % 2 ? Rgb{250, 250, 40} : Rgb{30, 90, 200};
  return b;
}

class GoldenTest : public DrawTest, public testing::WithParamInterface<TColorDepth> {};

TEST_P(GoldenTest, SceneMatchesTheStoredPicture) {
  const int bits[] = {16, 24, 32};
  const std::string reference =
      std::string(SOLVARA_SOURCE_DIR) + "/tests/draw/golden/scene_" + std::to_string(bits[GetParam()]) + ".png";

  platform::Rand().Seed(1);
  draw = std::make_unique<TestDraw>(nullptr);  // the wave table from seed 1
  InitFullScreen(GetParam());
  AddPicture("grad", Gradient());
  AddPicture("stripes", Stripes(), 8, 8);
  draw->Clear();

  draw->DirectDraw({0, 0, 640, 480}, {0, 0, 32, 16}, "stripes");  // background, stretched
  draw->SetTransparent(true);
  draw->Draw(10, 10, "grad", 0);
  const int levels[] = {0, 100, 255, 180, 0x3366CC, 0x80FF40};
  for (int effect = beAlpha; effect <= beColorMul; ++effect) {
    draw->Draw(10 + 70 * effect, 10, "grad", 0, TBlendEffect(effect), levels[effect - 1]);
    draw->Draw(10 + 70 * effect, 70, "grad", 0, TBlendEffect(effect), -1);
  }
  draw->SetTransparent(false);
  draw->Draw(10, 130, "grad", 0, beAlpha, 128);
  draw->Draw(-20, 440, "grad", 0, beAdd, 255);
  draw->SetTransparent(true);
  draw->WindDraw(100, 140, "grad", 0, beNormal, -1, 12);
  draw->WindDraw(180, 140, "grad", 0, beAlpha, 200, -10);
  draw->ZoomDraw(260, 130, 384, 200, "grad", 0);
  draw->ZoomDraw(600, 200, 512, 512, "grad", 0);
  draw->RotZoomDraw(120, 300, 9000, 300, "grad", 0);
  draw->RotZoomDraw(300, 300, 40000, 200, "stripes", 5);
  draw->SetTransparent(false);
  draw->RotZoomDraw(460, 300, 16384, 256, "grad", 0);
  draw->SetTransparent(true);
  draw->DirectDraw({500, 380, 620, 470}, {4, 4, 60, 44}, "grad");
  draw->EffectDraw(20, 400, InvertBox, "", 0, 0, 0);
  draw->UpdateTmp();
  draw->Draw(560, 20, "grad", 0, beSub, 255);
  draw->UpdateEx(96, 0x400);

  platform::headless::Frame frame = backend.display.LastFrame();
  ASSERT_EQ(frame.width, 640);
  if (std::getenv("SOLVARA_UPDATE_GOLDEN")) {
    ASSERT_TRUE(platform::headless::SavePng(reference, frame));
    GTEST_SKIP() << "wrote " << reference;
  }
  platform::headless::Frame expected;
  ASSERT_TRUE(platform::headless::LoadPng(reference, expected))
      << reference << " is missing: run with SOLVARA_UPDATE_GOLDEN=1 to write it";
  ASSERT_EQ(expected.width, frame.width);
  ASSERT_EQ(expected.height, frame.height);
  int differing = 0, firstX = -1, firstY = -1;
  for (size_t i = 0; i < frame.rgb.size(); i += 3) {
    if (std::equal(&frame.rgb[i], &frame.rgb[i] + 3, &expected.rgb[i])) continue;
    if (differing++ == 0) {
      firstX = int(i / 3) % frame.width;
      firstY = int(i / 3) / frame.width;
    }
  }
  EXPECT_EQ(differing, 0) << "first difference at " << firstX << "," << firstY;
}

INSTANTIATE_TEST_SUITE_P(Formats, GoldenTest, testing::Values(cd16bpp, cd24bpp, cd32bpp),
                         [](const auto& info) { return "Bits" + std::to_string(16 + 8 * int(info.param)); });

}  // namespace
}  // namespace drawtest
