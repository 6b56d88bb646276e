// The picture loader on arbitrary bytes: CreateSurface on an initialised
// draw component, then every kind of blit of the first and last cells, so a
// picture the loader accepts with odd sizes or cells is also drawn.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/headless/backend.h"
#include "vantor/draw/draw.h"
#include "vantor/system/exceptions.h"

namespace {

using VantorDrawSystem::TVantorDraw;

// Cell sizes tried, chosen by the last byte of the input (which in a BMP is
// pixel data, so a seed stays a valid picture).
struct Cells {
  int width, height;
};
constexpr Cells kCells[] = {{0, 0}, {1, 1}, {16, 16}, {3, 700}, {700, 3}, {32, 0}, {0, 48}, {64, 64}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/picture_fuzz_" + std::to_string(getpid()) + ".bmp";
  static platform::headless::Backend backend;
  static TVantorDraw draw(nullptr);
  if (!draw.GetInitialized()) {
    draw.SetFullScreen(true);
    draw.Init();
  }

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  const Cells cells = kCells[size ? data[size - 1] % std::size(kCells) : 0];
  try {
    draw.CreateSurface("x", path, cells.width, cells.height);
    const int last = draw.GetSurfaceInfo("x").CellCount - 1;
    for (int pattern : {0, last}) {
      draw.Draw(-5, 10, "x", pattern, VantorDrawSystem::beNormal, -1);
      draw.Draw(600, 470, "x", pattern, VantorDrawSystem::beAlpha, 128);
      draw.Draw(20, 20, "x", pattern, VantorDrawSystem::beColorAdd, 0x777777);
      draw.WindDraw(30, 30, "x", pattern, VantorDrawSystem::beAdd, 200, 7);
      draw.ZoomDraw(100, 100, 700, 13, "x", pattern);
      draw.RotZoomDraw(320, 240, 9000, 900, "x", pattern);
    }
  } catch (const Exception&) {
  }
  draw.DeleteAllSurface();
  return 0;
}
