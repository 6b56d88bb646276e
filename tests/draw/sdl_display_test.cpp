// The SDL display device on SDL's dummy video driver (no screen needed):
// the frame reaches the window scaled to fit, nearest neighbour, with black
// bars, in each pixel format.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sdl/application.h"
#include "platform/sdl/display_device.h"

namespace {

using platform::PixelFormat;
using platform::Rect;
using platform::Rgb;

class SdlDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }

  // Presents a 640 x 480 frame (blue with a red top-left pixel) and reads the
  // window back.
  platform::Picture PresentFrame(platform::Window& window, bool fullScreen, int bits) {
    platform::sdl::SdlDisplayDevice device;
    EXPECT_TRUE(device.Open(&window, fullScreen, 640, 480, bits));
    auto primary = device.CreatePrimary();
    auto frame = device.CreateSurface(640, 480, false);
    frame->Fill(nullptr, platform::PackPixel(device.Format(), 0, 0, 255));
    Rect corner{0, 0, 1, 1};
    frame->Fill(&corner, platform::PackPixel(device.Format(), 255, 0, 0));
    // The draw component aims at the whole primary: the virtual display, or
    // the client area.
    Rect to{0, 0, primary->Width(), primary->Height()};
    EXPECT_EQ(device.Present(*primary, *frame, {0, 0, 640, 480}, to), platform::SurfaceResult::Ok);
    platform::Picture screen;
    EXPECT_TRUE(device.ReadScreen(screen));
    return screen;
  }

  static Rgb At(const platform::Picture& p, int x, int y) {
    const uint8_t* c = &p.rgb[(size_t(y) * p.width + x) * 3];
    return {c[0], c[1], c[2]};
  }
};

TEST_F(SdlDisplayTest, WindowedFrameIsScaledByWholeFactorsWithNearestNeighbour) {
  platform::sdl::SdlApplication app;
  platform::Window& window = app.CreateMainWindow("test", 1280, 960);
  platform::Picture screen = PresentFrame(window, false, 32);
  ASSERT_EQ(screen.width, 1280);
  ASSERT_EQ(screen.height, 960);
  EXPECT_EQ(At(screen, 0, 0).r, 255);
  EXPECT_EQ(At(screen, 1, 1).r, 255);  // one source pixel covers 2 x 2
  EXPECT_EQ(At(screen, 2, 0).b, 255);
  EXPECT_EQ(At(screen, 2, 0).r, 0);
  EXPECT_EQ(At(screen, 1279, 959).b, 255);
}

TEST_F(SdlDisplayTest, FullScreenKeepsTheAspectWithBlackBarsInEveryFormat) {
  platform::sdl::SdlApplication app;
  platform::Window& window = app.CreateMainWindow("test", 640, 480);
  for (int bits : {16, 24, 32}) {
    SCOPED_TRACE(bits);
    platform::Picture screen = PresentFrame(window, true, bits);
    ASSERT_GT(screen.width, 0);
    Rect fit = platform::FitRect(640, 480, screen.width, screen.height);
    ASSERT_GT(fit.Width(), 0) << screen.width << "x" << screen.height;
    EXPECT_EQ(At(screen, fit.left, fit.top).r, 255);
    EXPECT_EQ(At(screen, fit.right - 1, fit.bottom - 1).b, 255);
    if (fit.left > 0) {
      Rgb bar = At(screen, fit.left - 1, fit.top);
      EXPECT_EQ(bar.r + bar.g + bar.b, 0);
    }
    if (fit.top > 0) {
      Rgb bar = At(screen, fit.left, fit.top - 1);
      EXPECT_EQ(bar.r + bar.g + bar.b, 0);
    }
  }
}

}  // namespace
