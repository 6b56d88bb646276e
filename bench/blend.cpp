// Blend kernels 1-6, opaque and keyed, generic and accelerated, one 100 x 100
// sprite onto a 640 x 480 destination; pixman's OVER with a solid mask (alpha)
// and ADD (add) on the same buffers.
#include <string>

#include "bench/bench_images.h"
#include "bench/ratio_report.h"

namespace bench {
namespace {

struct Effect {
  const char* name;
  int effect;
  int32_t level;
  pixman_op_t peer;  // PIXMAN_OP_CLEAR: pixman has no such operation
  bool peerMask;     // the level as a solid mask
};

const Effect kEffects[] = {
    {"alpha200", 1, 200, PIXMAN_OP_OVER, true},  {"alpha128", 1, 128, PIXMAN_OP_OVER, true},
    {"add200", 2, 200, PIXMAN_OP_ADD, true},     {"add255", 2, 255, PIXMAN_OP_ADD, false},
    {"subinv200", 3, 200, PIXMAN_OP_CLEAR, false}, {"subinv255", 3, 255, PIXMAN_OP_CLEAR, false},
    {"sub200", 4, 200, PIXMAN_OP_CLEAR, false},  {"sub255", 4, 255, PIXMAN_OP_CLEAR, false},
    {"coloradd", 5, 0x406080, PIXMAN_OP_CLEAR, false}, {"colormul", 6, 0x80C0FF, PIXMAN_OP_CLEAR, false},
};

void Kernel(benchmark::State& state, const BenchFormat& f, TVantorDrawKernel kernel, int32_t level) {
  SetPixelFormat(f.display, tcBlack, kScreenWidth, kScreenHeight);
  Picture screen = MakeScreen(f), sprite = MakeSprite(f);
  TVantorDrawDirect dd{};
  dd.Dst = screen.At(kSpriteX, kSpriteY);
  dd.Src = sprite.Pixels();
  dd.DstPitch = screen.Pitch();
  dd.SrcPitch = sprite.Pitch();
  dd.Width = dd.Height = kSpriteSize;
  dd.Param1 = level;
  for (auto _ : state) {
    kernel(dd);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSpriteSize * kSpriteSize);
}

void Pixman(benchmark::State& state, const BenchFormat& f, const Effect& e) {
  Picture screen = MakeScreen(f), sprite = MakeSprite(f);
  pixman_image_t* dst = PixmanImage(f, screen);
  pixman_image_t* src = PixmanImage(f, sprite);
  const pixman_color_t level{0, 0, 0, static_cast<uint16_t>(e.level * 257)};
  pixman_image_t* mask = e.peerMask ? pixman_image_create_solid_fill(&level) : nullptr;
  for (auto _ : state) {
    pixman_image_composite32(e.peer, src, mask, dst, 0, 0, 0, 0, kSpriteX, kSpriteY, kSpriteSize, kSpriteSize);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSpriteSize * kSpriteSize);
  if (mask) pixman_image_unref(mask);
  pixman_image_unref(src);
  pixman_image_unref(dst);
}

void RegisterBenchmarks() {
  const TKernelSet best = AcceleratedKernelSet();
  for (const BenchFormat& f : kFormats) {
    const uint32_t bytes = f.display.BitCount / 8;
    const TVantorKernelTable generic = KernelTable(bytes, TKernelSet::Generic);
    const TVantorKernelTable accelerated = KernelTable(bytes, best);
    const TVantorKernelTable sse2 = KernelTable(bytes, TKernelSet::Sse2);
    for (const Effect& e : kEffects)
      for (bool keyed : {false, true}) {
        const int slot = e.effect + (keyed ? KeyedBlendOffset : 0);
        const std::string group = std::string(f.name) + "/" + e.name + (keyed ? "/keyed" : "/opaque");
        const auto add = [&](const char* variant, TVantorDrawKernel kernel) {
          benchmark::RegisterBenchmark((group + "/" + variant).c_str(), Kernel, f, kernel, e.level);
        };
        add("generic", generic.Blend[slot]);
        // Effects 5 and 6 run the generic kernels in every set.
        if (accelerated.Blend[slot] == generic.Blend[slot]) continue;
        add("accelerated", accelerated.Blend[slot]);
        if (best == TKernelSet::Avx2) add("sse2", sse2.Blend[slot]);
        if (!keyed && e.peer != PIXMAN_OP_CLEAR)
          benchmark::RegisterBenchmark((group + "/pixman").c_str(), Pixman, f, e);
      }
  }
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  bench::RegisterBenchmarks();
  return bench::RunWithRatios(argc, argv,
                              {{"accelerated", "generic", 2.0}, {"accelerated", "pixman", 1.0},
                               {"sse2", "generic", 2.0}, {"sse2", "pixman", 1.0}});
}
