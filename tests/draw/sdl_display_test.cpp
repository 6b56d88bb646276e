// The SDL display device on SDL's dummy video driver (no screen needed):
// the frame reaches the window scaled as chosen, with black bars, in each
// pixel format, both ways: scaled by SDL's renderer, and (the dummy driver
// has no graphics processor but a framebuffer of its own) by the draw
// component's frame scaler straight into the window surface.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sdl/application.h"
#include "platform/sdl/display_device.h"
#include "vantor/draw/scale.h"

namespace {

using platform::PixelFormat;
using platform::Rect;
using platform::Rgb;

// The test runs once with the renderer scaling, once with the frame scaler.
class SdlDisplayTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }

  bool Kernels() const { return GetParam(); }

  // Presents a 640 x 480 frame (blue with a red top-left pixel) and reads the
  // window back.
  platform::Picture PresentFrame(platform::Window& window, bool fullScreen, int bits,
                                 platform::Scaling scaling = platform::Scaling::Fit, bool stripes = false) {
    platform::sdl::SdlDisplayDevice device;
    device.SetScaling(scaling);
    if (Kernels()) device.SetScaler(&scaler_);
    EXPECT_TRUE(device.Open(&window, fullScreen, 640, 480, bits));
    EXPECT_EQ(device.Description().find("window surface") != std::string::npos, Kernels()) << device.Description();
    return PresentOn(device, stripes);
  }

  // A frame presented on the open `device`, and the window read back.
  platform::Picture PresentOn(platform::sdl::SdlDisplayDevice& device, bool stripes = false) {
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

  VantorDrawSystem::KernelScaler scaler_{VantorDrawSystem::AcceleratedKernelSet()};

  static Rgb At(const platform::Picture& p, int x, int y) {
    const uint8_t* c = &p.rgb[(size_t(y) * p.width + x) * 3];
    return {c[0], c[1], c[2]};
  }
};

TEST_P(SdlDisplayTest, WindowedFrameIsScaledByWholeFactorsWithNearestNeighbour) {
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

TEST_P(SdlDisplayTest, FullScreenKeepsTheAspectWithBlackBarsInEveryFormat) {
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
TEST_P(SdlDisplayTest, FitAndIntegerScalingOfAWideWindow) {
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
    platform::Picture screen = PresentFrame(window, true, 32, c.scaling, /*stripes=*/true);
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

// Windows the player (or a desktop) makes of it, one after the other on one
// open device, and the scaling switched while it runs: the picture follows
// each, in its place with black bars (where the last one showed picture
// too), and a window too small for a picture shows none. With the frame
// scaler the window's buffers follow the sizes, down to a single pixel and up
// to 16000 pixels wide.
TEST_P(SdlDisplayTest, ThePictureFollowsEveryWindowSize) {
  struct Step {
    int width, height;
    platform::Scaling scaling;
  };
  constexpr auto kFit = platform::Scaling::Fit;
  const Step steps[] = {{1366, 768, kFit},  {1, 1, kFit},       {16000, 600, kFit},
                        {641, 481, kFit},   {1920, 1080, kFit}, {3, 4000, kFit},
                        {1366, 768, kFit},  {1366, 768, platform::Scaling::Integer}};
  platform::sdl::SdlApplication app;
  platform::Window& window = app.CreateMainWindow("test", 640, 480);
  app.Sdl()->SetPreferredFullScreen(false);
  platform::sdl::SdlDisplayDevice device;
  if (Kernels()) device.SetScaler(&scaler_);
  ASSERT_TRUE(device.Open(&window, true, 640, 480, 16));
  for (const Step& step : steps) {
    SCOPED_TRACE(std::to_string(step.width) + "x" + std::to_string(step.height) + " " + std::to_string(int(step.scaling)));
    SDL_SetWindowSize(app.Sdl()->Handle(), step.width, step.height);
    device.SetScaling(step.scaling);
    platform::Picture screen = PresentOn(device);
    ASSERT_EQ(screen.width, step.width);
    ASSERT_EQ(screen.height, step.height);
    const Rect box = platform::ScaledRect(640, 480, step.width, step.height, step.scaling);
    if (box.Width() == 0 || box.Height() == 0) continue;
    // Smaller than the frame, the picture samples it and may miss the red pixel.
    if (box.Width() >= 640) {
      EXPECT_EQ(At(screen, box.left, box.top).r, 255);
    }
    EXPECT_EQ(At(screen, box.right - 1, box.bottom - 1).b, 255);
    for (Rect bar : {Rect{0, 0, box.left, step.height}, Rect{box.right, 0, step.width, step.height},
                     Rect{0, 0, step.width, box.top}, Rect{0, box.bottom, step.width, step.height}}) {
      if (bar.Width() <= 0 || bar.Height() <= 0) continue;
      const Rgb p = At(screen, bar.left + bar.Width() / 2, bar.top + bar.Height() / 2);
      EXPECT_EQ(p.r + p.g + p.b, 0) << "bar at " << bar.left << "," << bar.top;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, SdlDisplayTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "FrameScaler" : "Renderer";
                         });

}  // namespace
