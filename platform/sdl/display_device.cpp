#include "platform/sdl/display_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/platform.h"
#include "platform/sdl/display_picture.h"
#include "platform/sdl/display_surface.h"
#include "platform/sdl/presenters.h"
#include "platform/sdl/window.h"
#include "platform/sdl/x11_server.h"

namespace platform::sdl {

namespace {

// True when OpenGL draws with the processor (Mesa's llvmpipe or softpipe, as
// on a virtual X display).
bool DrawsWithTheProcessor(SDL_Renderer* renderer) {
  if (RendererName(renderer).rfind("opengl", 0) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned kGlRenderer = 0x1F01;
  const char* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
  return name && (std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") ||
                  std::strstr(name, "Software Rasterizer"));
}

// SDL's own software renderer, or OpenGL drawn by the processor: no graphics
// processor would scale the picture.
bool WithoutGraphicsProcessor(SDL_Renderer* renderer) {
  return RendererName(renderer) == "software" || DrawsWithTheProcessor(renderer);
}

// The video drivers whose windows have a framebuffer of their own; SDL's
// Wayland driver has none.
constexpr const char* kFramebufferDrivers[] = {"x11", "offscreen", "dummy"};

bool HasOwnFramebuffer() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::any_of(std::begin(kFramebufferDrivers), std::end(kFramebufferDrivers),
                               [driver](const char* name) { return std::strcmp(driver, name) == 0; });
}

// The way frames reach `window`; `way` says which, and why when it is not
// the one expected. Without a graphics processor the scaler presents: into
// the window's own framebuffer where it has one, else into a streaming
// texture of the renderer SDL gives. A renderer the player names
// (SDL_RENDER_DRIVER) is used as it is.
std::unique_ptr<Presenter> ChoosePresenter(SdlWindow& window, FrameScaler* scaler, std::string& way) {
  SDL_Window* handle = window.Handle();
  const bool ours = scaler && !SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  std::string refused;
  auto surface = [&]() -> std::unique_ptr<Presenter> {
    auto presenter = refused.empty() ? SurfacePresenter(window, *scaler, refused) : nullptr;
    if (presenter) way = presenter->Name();
    return presenter;
  };
  // The X server is asked first: a renderer made only to find out would
  // load all of Mesa, some 65 ms on the way to the first frame under Xvfb.
  if (ours && HasOwnFramebuffer() && XServerWithoutDirectRendering(handle))
    if (auto presenter = surface()) return presenter;
  SDL_Renderer* renderer = SDL_CreateRenderer(handle, -1, 0);
  if (!renderer) return nullptr;
  if (ours && WithoutGraphicsProcessor(renderer)) {
    if (HasOwnFramebuffer()) {
      SDL_DestroyRenderer(renderer);
      if (auto presenter = surface()) return presenter;
      renderer = SDL_CreateRenderer(handle, -1, 0);
      if (!renderer) return nullptr;
    } else if (RendererName(renderer) != "software") {
      auto presenter = StreamingPresenter(renderer, *scaler);
      way = presenter->Name();
      return presenter;
    }
  }
  auto presenter = TexturePresenter(renderer);
  way = presenter->Name() + (refused.empty() ? "" : ", scaled by it (" + refused + ")");
  return presenter;
}

}  // namespace

SdlDisplayDevice::SdlDisplayDevice() = default;
SdlDisplayDevice::~SdlDisplayDevice() = default;

bool SdlDisplayDevice::Open(Window* window, bool fullScreen, int width, int height, int bitsPerPixel) {
  FrameScaler* scaler = scaler_;
  Close();
  if (!window && Current().app) window = Current().app->MainWindow();
  fullScreen_ = fullScreen;
  width_ = width;
  height_ = height;
  // Windowed, the picture takes the desktop's format.
  format_ = fullScreen ? FormatOfDepth(bitsPerPixel) : PixelFormat::Xrgb8888;
  if (auto* sdlWindow = dynamic_cast<SdlWindow*>(window)) {
    // A full-screen display shows in a window when the player chose one.
    sdlWindow->SetFullScreen(fullScreen && sdlWindow->PreferredFullScreen());
    presenter_ = ChoosePresenter(*sdlWindow, scaler, way_);
    if (!presenter_) return false;
    window_ = sdlWindow;
    if (vsync_) SetVSync(true);
  }
  open_ = true;
  return true;
}

void SdlDisplayDevice::Close() {
  presenter_.reset();
  window_ = nullptr;
  way_.clear();
  scaler_ = nullptr;
  vsyncWaits_ = false;
  open_ = false;
}

std::unique_ptr<Surface> SdlDisplayDevice::CreatePrimary() {
  if (!open_) return nullptr;
  int w = width_, h = height_;
  if (!fullScreen_ && window_) {
    w = window_->ClientWidth();
    h = window_->ClientHeight();
  }
  return std::make_unique<MemorySurface>(w, h, format_);
}

std::unique_ptr<Surface> SdlDisplayDevice::CreateSurface(int width, int height, bool) {
  if (!open_ || width <= 0 || height <= 0) return nullptr;
  return std::make_unique<MemorySurface>(width, height, format_);
}

SurfaceResult SdlDisplayDevice::Present(Surface& primary, Surface& source, const Rect& from, const Rect& to) {
  auto* frame = dynamic_cast<MemorySurface*>(&source);
  if (!frame || frame->Format() != format_) return SurfaceResult::Failed;
  if (!presenter_) return SurfaceResult::Ok;
  // A hidden window takes its full-screen size only when shown, so it is
  // shown before the first picture is drawn for that size.
  window_->Show();
  if (from.left < 0 || from.top < 0 || from.right > frame->Width() || from.bottom > frame->Height() ||
      from.Width() <= 0 || from.Height() <= 0)
    return SurfaceResult::Failed;

  // The primary is a virtual display; it is scaled into whatever the window
  // is now (full screen, windowed, resized by the user), in the drawable's
  // own pixels.
  int outWidth = 0, outHeight = 0;
  if (!presenter_->OutputSize(outWidth, outHeight)) return SurfaceResult::Failed;
  int virtualWidth = std::max(primary.Width(), to.right), virtualHeight = std::max(primary.Height(), to.bottom);
  Rect shown = ScaledRect(virtualWidth, virtualHeight, outWidth, outHeight, scaling_);
  SDL_Rect target{shown.left + int(int64_t(to.left) * shown.Width() / virtualWidth),
                  shown.top + int(int64_t(to.top) * shown.Height() / virtualHeight), 0, 0};
  target.w = shown.left + int(int64_t(to.right) * shown.Width() / virtualWidth) - target.x;
  target.h = shown.top + int(int64_t(to.bottom) * shown.Height() / virtualHeight) - target.y;
  // A window too small to hold a picture shows none.
  if (target.w <= 0 || target.h <= 0) return SurfaceResult::Ok;
  const int bytes = LayoutOf(format_).bytesPerPixel;
  const FrameView view{frame->Pixels() + size_t(from.top) * frame->Pitch() + size_t(from.left) * bytes,
                       frame->Pitch(), from.Width(), from.Height(), format_};
  return presenter_->Show(view, target) ? SurfaceResult::Ok : SurfaceResult::Failed;
}

int SdlDisplayDevice::RefreshRate() {
  if (!window_) return 0;
  const int display = SDL_GetWindowDisplayIndex(window_->Handle());
  SDL_DisplayMode mode;
  return display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
}

bool SdlDisplayDevice::SetVSync(bool on) {
  // Kept for the presenter of the next Open as well.
  vsync_ = on;
  vsyncWaits_ = presenter_ && presenter_->SetVSync(on);
  return vsyncWaits_;
}

void SdlDisplayDevice::WaitVSync() {
  // With vertical sync, presenting the last picture again waits for the
  // blank (SDL has no other wait for it).
  if (presenter_ && vsyncWaits_ && presenter_->ShowAgain()) return;
  // Otherwise sleep to the next boundary of the display's refresh period.
  SDL_DisplayMode mode;
  int rate = SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
  Uint64 frequency = SDL_GetPerformanceFrequency();
  Uint64 period = frequency / rate;
  Uint64 now = SDL_GetPerformanceCounter();
  Uint64 wait = period - now % period;
  SDL_Delay(Uint32(wait * 1000 / frequency));
}

bool SdlDisplayDevice::LoadPicture(const std::string& hostPath, Picture& picture) {
  return LoadBmpPicture(hostPath, picture);
}

bool SdlDisplayDevice::ReadScreen(Picture& picture) const { return presenter_ && presenter_->ReadScreen(picture); }

std::string SdlDisplayDevice::Description() const {
  std::string text = "SDL ";
  const char* driver = SDL_GetCurrentVideoDriver();
  text += driver ? driver : "(no video)";
  if (!way_.empty()) text += " / " + way_;
  return text;
}

}  // namespace platform::sdl
