#pragma once
// The ways finished frames reach the SDL window, chosen when the display
// device opens:
//  - a renderer with a graphics processor: the frame uploaded to a texture of
//    its own size and scaled by the processor (nearest neighbour to the whole
//    multiple at or above the picture's size, then smoothed down to it);
//  - no graphics processor, a window with a framebuffer of its own (X11, in
//    X shared memory): the draw component's frame scaler writes the picture
//    straight into the window surface, with no renderer at all;
//  - no graphics processor and no such framebuffer (Wayland): the scaler
//    fills a streaming texture of the output's size, drawn 1:1 by the
//    renderer.
// On the scaler's ways the black bars are written once per change of size or
// place, and only the picture after that.
#include <SDL.h>

#include <memory>
#include <string>

#include "platform/display.h"
#include "platform/sdl/window.h"

namespace platform::sdl {

class Presenter {
 public:
  virtual ~Presenter() = default;
  // The drawable's size in pixels (more than the window's on a high-density
  // output); false when there is none now.
  virtual bool OutputSize(int& width, int& height) = 0;
  // Shows `frame` scaled to `target` (inside the output), black around it.
  virtual bool Show(const FrameView& frame, const SDL_Rect& target) = 0;
  // Shows the last picture again; with vertical sync this waits for the
  // blank. False when nothing has been shown.
  virtual bool ShowAgain() = 0;
  // Presents wait for the vertical blank (on) or go out at once. True when
  // they now wait for the display's own blank.
  virtual bool SetVSync(bool on) = 0;
  // What the window shows now.
  virtual bool ReadScreen(Picture& picture) = 0;
  // The way, for the log: "opengl", "window surface, frames scaled by ...".
  virtual std::string Name() const = 0;
};

// On the renderer, scaled by it (takes the renderer).
std::unique_ptr<Presenter> TexturePresenter(SDL_Renderer* renderer);
// Into the window's own framebuffer; null (with the reason) when the window
// has none the scaler can fill.
std::unique_ptr<Presenter> SurfacePresenter(SdlWindow& window, FrameScaler& scaler, std::string& reason);
// Into a streaming texture of the output's size on the renderer (takes it).
std::unique_ptr<Presenter> StreamingPresenter(SDL_Renderer* renderer, FrameScaler& scaler);

// The name of the renderer ("opengl", "software").
std::string RendererName(SDL_Renderer* renderer);

// What the ways that draw with a renderer share (it owns the renderer).
class RendererPresenter : public Presenter {
 public:
  explicit RendererPresenter(SDL_Renderer* renderer) : renderer_(renderer) {}
  ~RendererPresenter() override { SDL_DestroyRenderer(renderer_); }

  bool OutputSize(int& width, int& height) override;
  bool ShowAgain() override;
  // Vertical sync only where presents really wait for the display: SDL
  // imitates the sync it cannot get with a timer, which the clock does better.
  bool SetVSync(bool on) override;
  bool ReadScreen(Picture& picture) override;

 protected:
  // Draws the last picture shown and presents it.
  virtual void Draw() = 0;

  SDL_Renderer* renderer_;
  bool shown_ = false;
};

}  // namespace platform::sdl
