// The picture under the menus on the headless display device (the same
// memory surfaces the SDL backend uses), full screen at 640 x 480: a menu
// frame that adds the picture dimmed once when the menu opened, against one
// that dims it with the blend kernel every frame; and the opening, which
// saves the picture with and without dimming it. Each frame clears the back
// surface first, as the menus' frames do.
#include <memory>
#include <string>

#include "bench/bench_images.h"
#include "bench/ratio_report.h"
#include "game/screens/menus/backdrop.h"
#include "platform/headless/backend.h"
#include "vantor/draw/draw.h"

namespace bench {
namespace {

// A picture on the whole back surface: every pixel a different colour.
void Paint(const TVantorDrawDirect& dd) {
  const uint32_t bytes = PixelFormat.PixelBytes;
  for (int y = 0; y < dd.Height; ++y)
    for (int x = 0; x < dd.Width; ++x) {
      const uint32_t v = (uint32_t(x) * 2654435761u) ^ (uint32_t(y) * 40503u);
      std::memcpy(dd.Dst + y * dd.DstPitch + x * int(bytes), &v, bytes);
    }
}

class Scene {
 public:
  explicit Scene(const BenchFormat& f) {
    draw_ = std::make_unique<TVantorDraw>(nullptr);
    draw_->SetFullScreen(true);
    draw_->SetColorDepth(f.display.BitCount == 16 ? cd16bpp : cd32bpp);
    draw_->Init();
    draw_->EffectDraw(0, 0, Paint, "", 0, 0, 0);
  }
  TVantorDraw& Draw() { return *draw_; }

 private:
  platform::headless::Backend backend_;
  std::unique_ptr<TVantorDraw> draw_;
};

void FrameDimmedOnce(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  scene.Draw().EffectDraw(0, 0, game::DimPicture, "", 0, game::kMenuDimming, 0);
  scene.Draw().UpdateTmp();
  for (auto _ : state) {
    scene.Draw().Clear();
    scene.Draw().UpdateEx(0, ueBlendAdd);
  }
}

void FrameDimmedEachTime(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  scene.Draw().UpdateTmp();
  for (auto _ : state) {
    scene.Draw().Clear();
    scene.Draw().UpdateEx(game::kMenuDimming, ueBlendAdd);
  }
}

void OpenDimming(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) {
    scene.Draw().EffectDraw(0, 0, game::DimPicture, "", 0, game::kMenuDimming, 0);
    scene.Draw().UpdateTmp();
  }
}

void OpenSaving(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) scene.Draw().UpdateTmp();
}

void RegisterBenchmarks() {
  for (const BenchFormat& f : kFormats) {
    const std::string name = f.name;
    benchmark::RegisterBenchmark((name + "/menu_frame/dimmed_once").c_str(), FrameDimmedOnce, f);
    benchmark::RegisterBenchmark((name + "/menu_frame/blend_kernel").c_str(), FrameDimmedEachTime, f);
    benchmark::RegisterBenchmark((name + "/menu_open/dimmed_once").c_str(), OpenDimming, f);
    benchmark::RegisterBenchmark((name + "/menu_open/saved_only").c_str(), OpenSaving, f);
  }
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  bench::RegisterBenchmarks();
  // A menu frame takes at most a tenth longer than with the blend kernel's
  // dimming; the opening's cost (once a menu) is measured for information.
  return bench::RunWithRatios(argc, argv, {{"dimmed_once", "blend_kernel", 1 / 1.1}});
}
