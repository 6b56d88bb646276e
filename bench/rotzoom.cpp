// The rotate-zoom kernels at an arbitrary angle, a 100 x 100 sprite rotated
// about the middle of a 640 x 480 destination, against SDL2_gfx's
// rotozoomSurface plus its blit and pixman's nearest-neighbour affine
// composite, on the same buffers.
#include <SDL2/SDL2_rotozoom.h>

#include <string>

#include "bench/bench_images.h"
#include "bench/ratio_report.h"

namespace bench {
namespace {

constexpr int kAngle = 5000;  // of 65536 per turn: about 27.5 degrees
constexpr int kZoom = 256;
constexpr int kCentreX = kScreenWidth / 2, kCentreY = kScreenHeight / 2;

void Ours(benchmark::State& state, const BenchFormat& f, bool keyed) {
  SetPixelFormat(f.display, tcBlack, kScreenWidth, kScreenHeight);
  const TVantorKernelTable table = SelectKernels();
  const TVantorDrawKernel kernel = keyed ? table.RotZoomKey : table.RotZoom;
  Picture screen = MakeScreen(f), sprite = MakeSprite(f);
  TVantorDrawDirect dd{};
  dd.Dst = screen.Pixels();
  dd.Src = sprite.Pixels();
  dd.DstPitch = screen.Pitch();
  dd.SrcPitch = sprite.Pitch();
  dd.Width = dd.Height = kSpriteSize;
  dd.X = kCentreX;
  dd.Y = kCentreY;
  dd.Param1 = kAngle;
  dd.Param2 = kZoom;
  for (auto _ : state) {
    kernel(dd);
    benchmark::ClobberMemory();
  }
}

// rotozoomSurface makes a new rotated surface (keyed with the source's key),
// which is then blitted centred on the destination and freed: its way of
// drawing a rotated sprite.
void SdlGfx(benchmark::State& state, const BenchFormat& f, bool keyed) {
  Picture screen = MakeScreen(f), sprite = MakeSprite(f);
  SDL_Surface* dst = SdlSurface(f, screen);
  SDL_Surface* src = SdlSurface(f, sprite);
  if (keyed) SDL_SetColorKey(src, SDL_TRUE, 0);
  for (auto _ : state) {
    SDL_Surface* rotated = rotozoomSurface(src, kAngle * 360.0 / 65536, kZoom / 256.0, SMOOTHING_OFF);
    SDL_Rect at{kCentreX - rotated->w / 2, kCentreY - rotated->h / 2, rotated->w, rotated->h};
    SDL_BlitSurface(rotated, nullptr, dst, &at);
    SDL_FreeSurface(rotated);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}

// pixman samples the source through the inverse of the picture's rotation;
// the keyed variant composites an a8r8g8b8 copy whose key pixels are clear.
void Pixman(benchmark::State& state, const BenchFormat& f, bool keyed) {
  Picture screen = MakeScreen(f), sprite = MakeSprite(f);
  const BenchFormat argb{"a8r8g8b8", {32, 0xFF0000, 0x00FF00, 0x0000FF}, PIXMAN_a8r8g8b8, 0};
  Picture alphaSprite(argb, kSpriteSize, kSpriteSize);
  for (int y = 0; y < kSpriteSize; ++y)
    for (int x = 0; x < kSpriteSize; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, sprite.At(x, y), sprite.Bytes());
      const uint32_t rgb = f.display.BitCount == 16
                               ? ((v >> 11) & 31) << 19 | ((v >> 5) & 63) << 10 | (v & 31) << 3
                               : v & 0xFFFFFF;
      alphaSprite.Set(x, y, v == 0 ? 0 : 0xFF000000 | rgb);
    }
  pixman_image_t* dst = PixmanImage(f, screen);
  pixman_image_t* src = keyed ? PixmanImage(argb, alphaSprite) : PixmanImage(f, sprite);

  const int hw = SetRotation(src, kAngle, kZoom, kCentreX, kCentreY);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, kCentreX - hw, kCentreY - hw, 0, 0,
                             kCentreX - hw, kCentreY - hw, 2 * hw, 2 * hw);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
}

void RegisterBenchmarks() {
  for (const BenchFormat& f : kFormats)
    for (bool keyed : {false, true}) {
      const std::string group = std::string(f.name) + "/rotzoom" + (keyed ? "/keyed" : "/opaque");
      benchmark::RegisterBenchmark((group + "/ours").c_str(), Ours, f, keyed);
      benchmark::RegisterBenchmark((group + "/sdl2_gfx").c_str(), SdlGfx, f, keyed);
      benchmark::RegisterBenchmark((group + "/pixman").c_str(), Pixman, f, keyed);
    }
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  bench::RegisterBenchmarks();
  return bench::RunWithRatios(argc, argv, {{"ours", "sdl2_gfx", 3.0}, {"ours", "pixman", 1.0}});
}
