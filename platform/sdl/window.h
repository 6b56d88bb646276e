#pragma once
#include <SDL.h>

#include <utility>

#include "platform/app.h"

namespace platform::sdl {

// The program's one SDL window. The display device renders into it.
class SdlWindow final : public Window {
 public:
  // As a window, its client area is the largest whole multiple of width x
  // height that fits the screen's usable area (at least width x height).
  SdlWindow(const std::string& cp932Caption, int width, int height);
  ~SdlWindow() override;

  void SetTitle(const std::string& cp932Title) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetFullScreen(bool fullScreen) override;
  bool FullScreen() const override { return fullScreen_; }
  void SetClientSize(int width, int height) override;
  void ShowCursor(bool show) override;

  // The player's choice between full screen and a window: what a display
  // opened full screen shows.
  void SetPreferredFullScreen(bool fullScreen) { preferredFullScreen_ = fullScreen; }
  bool PreferredFullScreen() const { return preferredFullScreen_; }
  // The window's icon from a PNG file; a file that cannot be read is reported on
  // stderr and leaves the window without one.
  void SetIcon(const std::string& pngFile);

  SDL_Window* Handle() const { return window_; }
  // Shows the window the first time something is presented into it.
  void Show();

  // Whether the display device presents through the window surface (then a
  // message is drawn there too: a renderer would take the surface away).
  void SetSurfacePresentation(bool on) { surfacePresentation_ = on; }
  bool SurfacePresentation() const { return surfacePresentation_; }
  // The picture in the window is gone (uncovered, or drawn over by a
  // message); the next present draws all of it, its bars too.
  void LosePicture() { pictureLost_ = true; }
  bool TakePictureLost() { return std::exchange(pictureLost_, false); }

 private:
  SDL_Window* window_ = nullptr;
  bool fullScreen_ = false;
  bool preferredFullScreen_ = true;
  int windowedWidth_;
  int windowedHeight_;
  bool surfacePresentation_ = false;
  bool pictureLost_ = false;
};

}  // namespace platform::sdl
