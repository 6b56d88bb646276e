#pragma once
#include <SDL.h>

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

 private:
  SDL_Window* window_ = nullptr;
  bool fullScreen_ = false;
  bool preferredFullScreen_ = true;
  int windowedWidth_;
  int windowedHeight_;
};

}  // namespace platform::sdl
