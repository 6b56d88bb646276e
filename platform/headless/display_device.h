#pragma once
// The headless display device: surfaces in memory like the SDL backend's, a
// primary that keeps the presented picture (for screenshots), and faults a
// test can inject: lost surfaces, refused locks and copies, failed creation.
#include <memory>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/sdl/display_surface.h"

namespace platform::headless {

class HeadlessDisplayDevice;

class HeadlessSurface final : public sdl::MemorySurface {
 public:
  HeadlessSurface(HeadlessDisplayDevice* device, int width, int height, PixelFormat format, bool videoMemory,
                  bool primary);
  ~HeadlessSurface() override;

  SurfaceResult Lock(const Rect* area, PixelMemory& memory) override;
  SurfaceResult Restore() override;
  SurfaceResult Fill(const Rect* area, uint32_t pixel) override;
  SurfaceResult Copy(int x, int y, Surface& source, const Rect& from, bool keyed) override;
  SurfaceResult Stretch(const Rect& to, Surface& source, const Rect& from, bool keyed) override;
  SurfaceResult Transfer(const Picture& picture) override;

  // Takes the memory away, as a display mode switch does.
  void MakeLost() { lost_ = true; }
  bool VideoMemory() const { return videoMemory_; }
  bool Primary() const { return primary_; }

  // Faults: the next operations of that kind fail (not as a loss).
  bool failLocks = false;
  bool failBlits = false;   // fill, copy, stretch and transfer with this as destination
  bool refuseRestore = false;
  int restores = 0;         // Restore calls seen

 private:
  friend class HeadlessDisplayDevice;
  template <class Operation>
  SurfaceResult Blit(Operation&& operation);

  HeadlessDisplayDevice* device_;
  bool videoMemory_;
  bool primary_;
};

// The last presented picture as 8-bit red, green and blue.
using Frame = Picture;

// Reads a picture file (a host path) into 8-bit RGB; false when it cannot.
using PictureReader = bool (*)(const std::string& hostPath, Picture& picture);

class HeadlessDisplayDevice final : public DisplayDevice {
 public:
  // Pictures are read with `readPicture` (none: every picture is missing).
  explicit HeadlessDisplayDevice(PictureReader readPicture = nullptr);
  ~HeadlessDisplayDevice() override;

  bool Open(Window* window, bool fullScreen, int width, int height, int bitsPerPixel) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  PixelFormat Format() const override { return format_; }
  std::unique_ptr<Surface> CreatePrimary() override;
  std::unique_ptr<Surface> CreateSurface(int width, int height, bool videoMemory) override;
  SurfaceResult Present(Surface& primary, Surface& source, const Rect& from, const Rect& to) override;
  // No display, no refresh: frames are paced by the (virtual) clock.
  int RefreshRate() override { return 0; }
  bool SetVSync(bool) override { return false; }
  void WaitVSync() override { ++vsyncWaits; }
  bool LoadPicture(const std::string& hostPath, Picture& picture) override;
  void SetScaler(FrameScaler* given) override { scaler = given; }
  void SetScaling(Scaling given) override { scaling = given; }
  std::string Description() const override { return "Headless display"; }
  uint32_t TotalVideoMemory() const override { return 0; }
  uint32_t FreeVideoMemory() const override { return 0; }

  // The picture of the last Present (empty before the first).
  Frame LastFrame() const;
  // Writes LastFrame as a PNG file; false on failure (png.cpp, SDL2_image).
  bool SaveLastFrame(const std::string& pngPath) const;

  // Live surfaces in creation order (the primary included).
  const std::vector<HeadlessSurface*>& Surfaces() const { return surfaces_; }
  HeadlessSurface* LastCreated() const { return surfaces_.empty() ? nullptr : surfaces_.back(); }

  // What Open was given and what the last Present did.
  bool fullScreen = false;
  int openWidth = 0, openHeight = 0, openBits = 0;
  Window* window = nullptr;
  Rect lastFrom, lastTo;
  int presents = 0;
  int vsyncWaits = 0;
  // What the draw component and the player chose.
  FrameScaler* scaler = nullptr;
  Scaling scaling = Scaling::Fit;

  // The desktop's format, which windowed displays use.
  PixelFormat desktopFormat = PixelFormat::Xrgb8888;
  // Faults: refuse Open; fail the surface creation that would be number
  // `failCreation` (0 = the next one, counting every CreateSurface and
  // CreatePrimary; negative = none).
  bool refuseOpen = false;
  int failCreation = -1;

 private:
  friend class HeadlessSurface;
  bool CreationFails();

  PictureReader readPicture_;
  bool open_ = false;
  PixelFormat format_ = PixelFormat::Xrgb8888;
  std::vector<HeadlessSurface*> surfaces_;
  std::unique_ptr<sdl::MemorySurface> frame_;
};

// Writes 8-bit RGB pixels as a PNG file (SDL2_image); reads one back into
// 8-bit RGB. Both return false on failure.
bool SavePng(const std::string& path, const Frame& frame);
bool LoadPng(const std::string& path, Frame& frame);

}  // namespace platform::headless
