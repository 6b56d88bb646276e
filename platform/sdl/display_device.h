#pragma once
// The SDL display device: surfaces in system memory; presentation scales the
// frame into the window's drawable area as the player chose (the largest
// picture with the aspect kept, or whole multiples only), black bars
// elsewhere: by the graphics processor where there is one, else by the draw
// component's frame scaler (platform/sdl/presenters.h).
#include <memory>
#include <string>

#include "platform/display.h"

namespace platform::sdl {

class Presenter;
class SdlWindow;

class SdlDisplayDevice final : public DisplayDevice {
 public:
  SdlDisplayDevice();
  ~SdlDisplayDevice() override;

  bool Open(Window* window, bool fullScreen, int width, int height, int bitsPerPixel) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  PixelFormat Format() const override { return format_; }
  std::unique_ptr<Surface> CreatePrimary() override;
  std::unique_ptr<Surface> CreateSurface(int width, int height, bool videoMemory) override;
  SurfaceResult Present(Surface& primary, Surface& source, const Rect& from, const Rect& to) override;
  int RefreshRate() override;
  bool SetVSync(bool on) override;
  void WaitVSync() override;
  bool LoadPicture(const std::string& hostPath, Picture& picture) override;
  std::string Description() const override;
  uint32_t TotalVideoMemory() const override { return 0; }
  uint32_t FreeVideoMemory() const override { return 0; }

  void SetScaler(FrameScaler* scaler) override { scaler_ = scaler; }
  void SetScaling(Scaling scaling) override { scaling_ = scaling; }

  // What the window shows now (after the last Present); false when nothing
  // has been presented.
  bool ReadScreen(Picture& picture) const;

 private:
  std::unique_ptr<Presenter> presenter_;
  SdlWindow* window_ = nullptr;
  std::string way_;  // how frames reach the window, and why, for the log
  bool open_ = false;
  bool fullScreen_ = false;
  Scaling scaling_ = Scaling::Fit;
  FrameScaler* scaler_ = nullptr;
  bool vsync_ = false;      // what the pacing asked for
  bool vsyncWaits_ = false;  // presents wait for the display's blank
  int width_ = 0, height_ = 0;
  PixelFormat format_ = PixelFormat::Xrgb8888;
};

}  // namespace platform::sdl
