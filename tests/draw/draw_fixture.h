#pragma once
// Shared set-up of the draw component's tests: a headless backend, a folder
// of small BMP pictures written by the test, and a component whose working
// surfaces and fields the tests can look at.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/headless/backend.h"
#include "platform/random.h"
#include "vantor/draw/draw.h"
#include "vantor/system/exceptions.h"

namespace drawtest {

using namespace VantorDrawSystem;
using platform::Rgb;

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// A picture built in memory and written as a 24-bit BMP.
struct Bitmap {
  int width, height;
  std::vector<Rgb> pixels;
  Bitmap(int w, int h, Rgb fill = kBlack) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  Rgb& at(int x, int y) { return pixels[size_t(y) * width + x]; }
};

inline void WriteBmp(const std::string& path, const Bitmap& bitmap) {
  int rowBytes = (bitmap.width * 3 + 3) & ~3;
  uint32_t imageSize = uint32_t(rowBytes) * bitmap.height;
  std::vector<uint8_t> file(54 + imageSize, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, uint32_t(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(bitmap.width));
  put32(22, uint32_t(bitmap.height));
  file[26] = 1;
  file[28] = 24;
  put32(34, imageSize);
  for (int y = 0; y < bitmap.height; ++y) {
    uint8_t* row = &file[54 + size_t(bitmap.height - 1 - y) * rowBytes];
    for (int x = 0; x < bitmap.width; ++x) {
      Rgb c = bitmap.pixels[size_t(y) * bitmap.width + x];
      row[x * 3] = c.b;
      row[x * 3 + 1] = c.g;
      row[x * 3 + 2] = c.r;
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}

// The component with its insides visible to the tests.
class TestDraw : public TVantorDraw {
 public:
  using TVantorDraw::TVantorDraw;
  using TVantorDraw::FBackSurface;
  using TVantorDraw::FBytesPerPixel;
  using TVantorDraw::FColorKey;
  using TVantorDraw::FFlipSurface;
  using TVantorDraw::FOuterWidth;
  using TVantorDraw::FPrimary;
  using TVantorDraw::FSurfaces;
  using TVantorDraw::FTempSurface;
  using TVantorDraw::FWaveCounter;
  using TVantorDraw::FWaveTable;
  using TVantorDraw::PresentTarget;
};

inline uint32_t ReadPixel(platform::Surface& surface, int x, int y) {
  platform::PixelMemory memory;
  platform::Rect one{x, y, x + 1, y + 1};
  if (surface.Lock(&one, memory) != platform::SurfaceResult::Ok) return 0xDEADBEEF;
  uint32_t v = 0;
  for (int i = 0; i < platform::LayoutOf(surface.Format()).bytesPerPixel; ++i) v |= uint32_t(memory.bits[i]) << (8 * i);
  surface.Unlock();
  return v;
}

// The UTF-8 message of a library exception of type E thrown by `action`.
template <class E, class F>
std::string ErrorOf(F&& action) {
  try {
    action();
  } catch (const E& e) {
    return platform::Cp932ToUtf8(e.Message());
  }
  return "(nothing thrown)";
}

inline std::string DrawError(const std::string& detail) { return "TVantorDraw(Ex) エラー\n\n" + detail; }
inline std::string SurfaceError(const std::string& detail) { return "TVantorDraw(Ex)Surface エラー\n\n" + detail; }

inline AnsiString Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8); }

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/drawtest-XXXXXX";
    dir = mkdtemp(folder);
    platform::MapFolder("bmp", dir);
    draw = std::make_unique<TestDraw>(nullptr);
  }
  void TearDown() override {
    draw.reset();
    platform::ClearFolderMaps();
    std::filesystem::remove_all(dir);
  }

  // Full screen at 16, 24 or 32 bits.
  void InitFullScreen(TColorDepth depth, TTransparentColor key = tcBlack) {
    draw->SetFullScreen(true);
    draw->SetColorDepth(depth);
    draw->SetTransparentColor(key);
    draw->Init();
  }

  // Writes "bmp\<name>.bmp" and registers it.
  void AddPicture(const std::string& name, const Bitmap& bitmap, int cellWidth = 0, int cellHeight = 0) {
    WriteBmp(dir + "/" + name + ".bmp", bitmap);
    draw->CreateSurface(name, "bmp\\" + name + ".bmp", cellWidth, cellHeight);
  }

  platform::PixelFormat Format() const { return draw->FBackSurface->Format(); }
  uint32_t Pixel(Rgb c) const { return platform::PackPixel(Format(), c.r, c.g, c.b); }
  uint32_t Back(int x, int y) { return ReadPixel(*draw->FBackSurface, x, y); }
  void FillBack(Rgb c) { draw->FBackSurface->Fill(nullptr, Pixel(c)); }
  platform::headless::HeadlessSurface& Headless(platform::Surface* s) {
    return *static_cast<platform::headless::HeadlessSurface*>(s);
  }
  platform::headless::HeadlessSurface& PictureSurface(const std::string& name) {
    return Headless(draw->FSurfaces->at(name)->PixelSurface());
  }

  platform::headless::Backend backend;
  std::string dir;
  std::unique_ptr<TestDraw> draw;
};

}  // namespace drawtest
