#pragma once
// TVantorDrawSurface: a named picture, loaded from a BMP file into a pixel
// surface of the display's format and cut into equal pattern cells.
#include <cstdint>
#include <memory>

#include "vantor/system/text.h"

namespace platform {
class DisplayDevice;
class Surface;
}  // namespace platform

namespace VantorDrawSystem {

// A copy of a picture's record.
struct TVantorDrawSurfaceInfo {
  int CellWidth = 0;
  int CellHeight = 0;
  int Width = 0;
  int Height = 0;
  int CellsPerLine = 0;
  int CellCount = 0;
  AnsiString FileName;
  AnsiString SurfaceName;
};

class TVantorDrawSurface {
 public:
  // `device` is the draw component's and outlives the surface.
  explicit TVantorDrawSurface(platform::DisplayDevice* device);
  virtual ~TVantorDrawSurface();
  TVantorDrawSurface(const TVantorDrawSurface&) = delete;
  TVantorDrawSurface& operator=(const TVantorDrawSurface&) = delete;

  // Loads `file` ("bmp\name.bmp") into a new pixel surface keyed with `key`.
  // A cell size of 0 means the whole picture in that direction.
  virtual void LoadFile(const AnsiString& name, const AnsiString& file, bool videoMemory, uint32_t key,
                        int cellWidth, int cellHeight);
  // Brings back a lost pixel surface and loads the picture into it again.
  virtual void Restore();

  const TVantorDrawSurfaceInfo& Info() const { return FInfo; }
  // Null until LoadFile succeeds.
  platform::Surface* PixelSurface() const { return FSurface.get(); }

 private:
  platform::DisplayDevice* FDevice;
  TVantorDrawSurfaceInfo FInfo;
  std::unique_ptr<platform::Surface> FSurface;
};

}  // namespace VantorDrawSystem
