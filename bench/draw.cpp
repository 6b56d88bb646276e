// The draw component's own operations on the headless display device (the
// same memory surfaces the SDL backend uses) against SDL and its peers on the
// same back surface and picture memory: Draw's keyed copy against
// SDL_BlitSurface with a colour key, ZoomDraw against SDL_BlitScaled,
// RotZoomDraw against SDL2_gfx's rotozoomSurface plus its blit and pixman's
// nearest-neighbour affine composite.
#include <SDL2/SDL2_rotozoom.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_images.h"
#include "bench/ratio_report.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "vantor/draw/draw.h"

namespace bench {
namespace {

constexpr int kAngle = 5000;  // of 65536 per turn: about 27.5 degrees
constexpr int kZoom = 384;    // ZoomDraw: one and a half times, 150 x 150
constexpr int kZoomed = kSpriteSize * kZoom / 256;

// The memory the component draws on, as EffectDraw lends it.
struct Memory {
  uint8_t* back;
  const uint8_t* sprite;
  int backPitch, spritePitch;
};
Memory lent;
void Borrow(const TVantorDrawDirect& dd) { lent = {dd.Dst, dd.Src, dd.DstPitch, dd.SrcPitch}; }

// A full-screen component in the format's depth with the sprite registered
// under "sprite", and SDL surfaces on its back surface and picture memory.
class Scene {
 public:
  explicit Scene(const BenchFormat& f) : format_(f) {
    char folder[] = "/tmp/solvara-bench-XXXXXX";
    dir_ = mkdtemp(folder);
    platform::MapFolder("bmp", dir_);
    WriteSprite(dir_ + "/sprite.bmp");
    draw_ = std::make_unique<TVantorDraw>(nullptr);
    draw_->SetFullScreen(true);
    draw_->SetColorDepth(f.display.BitCount == 16 ? cd16bpp : cd32bpp);
    draw_->Init();
    draw_->CreateSurface("sprite", "bmp\\sprite.bmp", kSpriteSize, kSpriteSize);
    draw_->EffectDraw(0, 0, Borrow, "sprite", 0, 0, 0);
    const int bits = static_cast<int>(f.display.BitCount);
    back_ = SDL_CreateRGBSurfaceWithFormatFrom(lent.back, kScreenWidth, kScreenHeight, bits, lent.backPitch, f.sdl);
    sprite_ = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(lent.sprite), kSpriteSize, kSpriteSize, bits,
                                                 lent.spritePitch, f.sdl);
    SDL_SetColorKey(sprite_, SDL_TRUE, 0);
  }
  ~Scene() {
    SDL_FreeSurface(sprite_);
    SDL_FreeSurface(back_);
    draw_.reset();
    platform::ClearFolderMaps();
    std::filesystem::remove_all(dir_);
  }

  TVantorDraw& Draw() { return *draw_; }
  SDL_Surface* Back() { return back_; }
  SDL_Surface* Sprite() { return sprite_; }
  pixman_image_t* PixmanBack() {
    return pixman_image_create_bits(format_.pixman, kScreenWidth, kScreenHeight,
                                    reinterpret_cast<uint32_t*>(lent.back), lent.backPitch);
  }
  // The sprite with clear key pixels: how pixman leaves them out.
  pixman_image_t* PixmanKeyedSprite() {
    const BenchFormat argb{"argb", {32, 0xFF0000, 0x00FF00, 0x0000FF}, PIXMAN_a8r8g8b8, SDL_PIXELFORMAT_ARGB8888};
    keyed_ = std::make_unique<Picture>(argb, kSpriteSize, kSpriteSize);
    SDL_Surface* out = SdlSurface(argb, *keyed_);
    SDL_SetColorKey(sprite_, SDL_FALSE, 0);
    SDL_BlitSurface(sprite_, nullptr, out, nullptr);
    SDL_SetColorKey(sprite_, SDL_TRUE, 0);
    for (int y = 0; y < kSpriteSize; ++y)
      for (int x = 0; x < kSpriteSize; ++x) {
        uint32_t v = 0;
        std::memcpy(&v, keyed_->At(x, y), 4);
        keyed_->Set(x, y, (v & 0xFFFFFF) == 0 ? 0 : v | 0xFF000000);
      }
    SDL_FreeSurface(out);
    return PixmanImage(argb, *keyed_);
  }

 private:
  // The benchmark sprite as a 24-bit BMP for the component to load.
  static void WriteSprite(const std::string& path) {
    const BenchFormat rgb{"rgb", {32, 0xFF0000, 0x00FF00, 0x0000FF}, PIXMAN_x8r8g8b8, SDL_PIXELFORMAT_RGB888};
    Picture picture = MakeSprite(rgb);
    SDL_Surface* s = SdlSurface(rgb, picture);
    SDL_Surface* packed = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_BGR24, 0);
    SDL_SaveBMP(packed, path.c_str());
    SDL_FreeSurface(packed);
    SDL_FreeSurface(s);
  }

  const BenchFormat& format_;
  platform::headless::Backend backend_;
  std::string dir_;
  std::unique_ptr<TVantorDraw> draw_;
  std::unique_ptr<Picture> keyed_;
  SDL_Surface* back_ = nullptr;
  SDL_Surface* sprite_ = nullptr;
};

void KeyedCopyOurs(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) scene.Draw().Draw(kSpriteX, kSpriteY, "sprite", 0, beNormal, -1);
}

void KeyedCopySdl(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) {
    SDL_Rect at{kSpriteX, kSpriteY, kSpriteSize, kSpriteSize};
    SDL_BlitSurface(scene.Sprite(), nullptr, scene.Back(), &at);
  }
}

void ZoomOurs(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) scene.Draw().ZoomDraw(245, 165, kZoom, kZoom, "sprite", 0);
}

void ZoomSdl(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) {
    SDL_Rect at{245, 165, kZoomed, kZoomed};
    SDL_BlitScaled(scene.Sprite(), nullptr, scene.Back(), &at);
  }
}

void RotZoomOurs(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) scene.Draw().RotZoomDraw(kScreenWidth / 2, kScreenHeight / 2, kAngle, 256, "sprite", 0);
}

void RotZoomSdlGfx(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  for (auto _ : state) {
    SDL_Surface* rotated = rotozoomSurface(scene.Sprite(), kAngle * 360.0 / 65536, 1.0, SMOOTHING_OFF);
    SDL_Rect at{kScreenWidth / 2 - rotated->w / 2, kScreenHeight / 2 - rotated->h / 2, rotated->w, rotated->h};
    SDL_BlitSurface(rotated, nullptr, scene.Back(), &at);
    SDL_FreeSurface(rotated);
  }
}

void RotZoomPixman(benchmark::State& state, const BenchFormat& f) {
  Scene scene(f);
  pixman_image_t* dst = scene.PixmanBack();
  pixman_image_t* src = scene.PixmanKeyedSprite();
  const int cx = kScreenWidth / 2, cy = kScreenHeight / 2;
  const int hw = SetRotation(src, kAngle, 256, cx, cy);
  const int x = cx - hw, y = cy - hw;
  for (auto _ : state) pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, x, y, 0, 0, x, y, 2 * hw, 2 * hw);
  pixman_image_unref(src);
  pixman_image_unref(dst);
}

void RegisterBenchmarks() {
  for (const BenchFormat& f : kFormats) {
    const std::string name = f.name;
    benchmark::RegisterBenchmark((name + "/keyed_copy/ours").c_str(), KeyedCopyOurs, f);
    benchmark::RegisterBenchmark((name + "/keyed_copy/sdl").c_str(), KeyedCopySdl, f);
    benchmark::RegisterBenchmark((name + "/zoom/ours").c_str(), ZoomOurs, f);
    benchmark::RegisterBenchmark((name + "/zoom/sdl").c_str(), ZoomSdl, f);
    benchmark::RegisterBenchmark((name + "/rotzoom/ours").c_str(), RotZoomOurs, f);
    benchmark::RegisterBenchmark((name + "/rotzoom/sdl2_gfx").c_str(), RotZoomSdlGfx, f);
    benchmark::RegisterBenchmark((name + "/rotzoom/pixman").c_str(), RotZoomPixman, f);
  }
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  bench::RegisterBenchmarks();
  // The keyed copy should keep up with SDL's; RotZoomDraw should be three
  // times SDL2_gfx's rotate-and-blit and no slower than pixman. ZoomDraw is
  // measured against SDL_BlitScaled for information.
  return bench::RunWithRatios(argc, argv, {{"ours", "sdl", 1.0}, {"ours", "sdl2_gfx", 3.0}, {"ours", "pixman", 1.0}});
}
