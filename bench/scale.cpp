// Presenting a finished 640 x 480 frame (5-6-5, the game's full-screen
// format) where no graphics processor scales it: the draw component's frame
// scaler (each kernel set) against SDL's software renderer doing what the
// display device asked of it before (a streaming texture, nearest neighbour
// to the whole multiple in a target texture, linear filtering down), and
// against a plain memcpy of the output's bytes, the least any way of filling
// that memory costs. Outputs: 1440 x 1080 (a 1080p screen) and 2880 x 2160
// (4K).
#include <SDL2/SDL.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "platform/sdl/display_surface.h"
#include "vantor/draw/scale.h"

namespace bench {
namespace {

using namespace VantorDrawSystem;

constexpr int kFrameWidth = 640, kFrameHeight = 480;

struct OutputSize {
  int width, height;
};
constexpr OutputSize kOutputs[] = {{1440, 1080}, {2880, 2160}};

// The frame: noise, in 5-6-5.
struct Frame {
  std::vector<uint16_t> pixels = std::vector<uint16_t>(size_t(kFrameWidth) * kFrameHeight);
  Frame() {
    std::mt19937 random(3);
    for (uint16_t& p : pixels) p = uint16_t(random());
  }
  platform::FrameView View() const {
    return {reinterpret_cast<const uint8_t*>(pixels.data()), kFrameWidth * 2, kFrameWidth, kFrameHeight,
            platform::PixelFormat::Rgb565};
  }
};

void Ours(benchmark::State& state, OutputSize size, TKernelSet set) {
  const Frame frame;
  std::vector<uint32_t> out(size_t(size.width) * size.height);
  KernelScaler scaler(set);
  const platform::OutputView view{reinterpret_cast<uint8_t*>(out.data()), size.width * 4, size.width, size.height};
  for (auto _ : state) {
    scaler.Scale(frame.View(), view);
    benchmark::DoNotOptimize(out.data());
  }
}

void SdlSoftware(benchmark::State& state, OutputSize size) {
  const Frame frame;
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, size.width, size.height, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(screen);
  SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                           kFrameWidth, kFrameHeight);
  SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  const int factor = ScaleFactor(kFrameWidth, kFrameHeight, size.width, size.height);
  SDL_Texture* enlarged = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                            factor * kFrameWidth, factor * kFrameHeight);
  SDL_SetTextureScaleMode(enlarged, SDL_ScaleModeLinear);
  if (!renderer || !texture || !enlarged) state.SkipWithError(SDL_GetError());
  for (auto _ : state) {
    if (!enlarged) break;
    void* pixels;
    int pitch;
    SDL_LockTexture(texture, nullptr, &pixels, &pitch);
    for (int y = 0; y < kFrameHeight; ++y)
      platform::sdl::ConvertToXrgb8888(platform::PixelFormat::Rgb565,
                                       reinterpret_cast<const uint8_t*>(frame.pixels.data() + y * kFrameWidth),
                                       reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + y * pitch),
                                       kFrameWidth);
    SDL_UnlockTexture(texture);
    SDL_SetRenderTarget(renderer, enlarged);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_RenderCopy(renderer, enlarged, nullptr, nullptr);
    benchmark::DoNotOptimize(screen->pixels);
  }
  SDL_DestroyTexture(enlarged);
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(screen);
}

void Memcpy(benchmark::State& state, OutputSize size) {
  const std::vector<uint32_t> from(size_t(size.width) * size.height, 0x00808080);
  std::vector<uint32_t> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size() * 4);
    benchmark::DoNotOptimize(to.data());
  }
}

void RegisterBenchmarks() {
  struct Named {
    const char* name;
    TKernelSet set;
  };
  const TKernelSet best = AcceleratedKernelSet();
  std::vector<Named> sets = {{"generic", TKernelSet::Generic}};
  if (best != TKernelSet::Generic) sets.push_back({"sse2", TKernelSet::Sse2});
  if (best == TKernelSet::Avx2) sets.push_back({"avx2", TKernelSet::Avx2});
  for (const OutputSize& size : kOutputs) {
    const std::string group = "scale/" + std::to_string(size.width) + "x" + std::to_string(size.height) + "/";
    auto unit = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
    // "ours" is the set the draw component chooses on this processor.
    unit(benchmark::RegisterBenchmark((group + "ours").c_str(), Ours, size, best));
    for (const Named& s : sets) unit(benchmark::RegisterBenchmark((group + s.name).c_str(), Ours, size, s.set));
    unit(benchmark::RegisterBenchmark((group + "sdl").c_str(), SdlSoftware, size));
    unit(benchmark::RegisterBenchmark((group + "memcpy").c_str(), Memcpy, size));
  }
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  bench::RegisterBenchmarks();
  // At least five times SDL's software scaling; within three times a plain
  // copy of the output (its time at most three times the copy's).
  return bench::RunWithRatios(argc, argv, {{"ours", "sdl", 5.0}, {"ours", "memcpy", 1.0 / 3}});
}
