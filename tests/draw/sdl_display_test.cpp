// The SDL display device on SDL's dummy video driver (no screen needed):
// the frame reaches the window scaled as chosen, with black bars, in each
// pixel format.
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
  platform::Picture PresentFrame(platform::Window& window, bool fullScreen, int bits,
                                 platform::Scaling scaling = platform::Scaling::Fit, bool stripes = false) {
    platform::sdl::SdlDisplayDevice device;
    device.SetScaling(scaling);
    EXPECT_TRUE(device.Open(&window, fullScreen, 640, 480, bits));
    auto primary = device.CreatePrimary();
    auto frame = device.CreateSurface(640, 480, false);
    frame->Fill(nullptr, platform::PackPixel(device.Format(), 0, 0, 255));
    Rect corner{0, 0, 1, 1};
    frame->Fill(&corner, platform::PackPixel(device.Format(), 255, 0, 0));
    for (int x = 0; stripes && x < 640; x += 2) {
      Rect column{x, 0, x + 1, 480};
      frame->Fill(&column, platform::PackPixel(device.Format(), 255, 0, 0));
    }
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
    Rect fit = platform::ScaledRect(640, 480, screen.width, screen.height, platform::Scaling::Fit);
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

// A full-screen display shown in a 1366 x 768 window, as the player may
// choose: the picture fills 1024 x 768 (fit) or 640 x 480 (integer). Red and
// blue columns one pixel wide stay pure at a whole multiple and blend at
// their edges where they are smoothed down to 1.6x.
TEST_F(SdlDisplayTest, FitAndIntegerScalingOfAWideWindow) {
  struct Case {
    platform::Scaling scaling;
    Rect box;
    bool blended;
  };
  const Case cases[] = {
      {platform::Scaling::Fit, {171, 0, 1195, 768}, true},
      {platform::Scaling::Integer, {363, 144, 1003, 624}, false},
  };
  platform::sdl::SdlApplication app;
  platform::Window& window = app.CreateMainWindow("test", 1366, 768);
  app.Sdl()->SetPreferredFullScreen(false);
  for (const Case& c : cases) {
    platform::Picture screen = PresentFrame(window, true, 32, c.scaling, true);
    ASSERT_EQ(screen.width, 1366);
    Rect box{screen.width, screen.height, 0, 0};
    bool blended = false;
    for (int y = 0; y < screen.height; ++y)
      for (int x = 0; x < screen.width; ++x) {
        const Rgb p = At(screen, x, y);
        if (p.r + p.g + p.b == 0) continue;
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        blended |= p.r > 40 && p.r < 215 && p.b > 40 && p.b < 215;
      }
    EXPECT_EQ(box, c.box) << int(c.scaling);
    EXPECT_EQ(blended, c.blended) << int(c.scaling);
  }
}

}  // namespace
