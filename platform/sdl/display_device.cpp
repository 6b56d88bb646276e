#include "platform/sdl/display_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "platform/sdl/display_picture.h"
#include "platform/sdl/display_surface.h"
#include "platform/sdl/window.h"

namespace platform::sdl {

namespace {

// True when OpenGL draws with the processor (Mesa's llvmpipe or softpipe, as
// on a virtual X display). SDL's software renderer, drawing into the
// window's shared memory, then shows the same picture for a fraction of the
// processor time: measured at 640 x 480 under Xvfb, the game's whole share
// of a core fell from 11.7% to 5.5%.
bool DrawsWithTheProcessor(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned kGlRenderer = 0x1F01;
  const char* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
  return name && (std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") ||
                  std::strstr(name, "Software Rasterizer"));
}

// The window's renderer: SDL's choice, unless that is OpenGL drawn by the
// processor and the player has not named one (SDL_RENDER_DRIVER).
SDL_Renderer* CreateRenderer(SDL_Window* window) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
  if (!renderer || SDL_GetHint(SDL_HINT_RENDER_DRIVER) || !DrawsWithTheProcessor(renderer)) return renderer;
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) != 0 || std::strcmp(info.name, "software") != 0) continue;
    SDL_DestroyRenderer(renderer);
    // The window's own framebuffer in X shared memory, not another OpenGL texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return SDL_CreateRenderer(window, i, 0);
  }
  return renderer;
}

}  // namespace

// The renderer side of presentation; exists while the device is open on a
// window.
struct SdlDisplayDevice::Presenter {
  SdlWindow* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0, textureHeight = 0;
  SDL_Texture* enlarged = nullptr;  // the frame at a whole multiple, smoothed down from
  int enlargedWidth = 0, enlargedHeight = 0;
  SDL_Texture* shown = nullptr;     // what Show draws: the texture or the enlarged frame
  SDL_Rect target{};                // where
  bool vsync = false;               // presents wait for the display's vertical blank

  ~Presenter() {
    if (enlarged) SDL_DestroyTexture(enlarged);
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
  }

  // Every format is converted here, in the one copy into a locked XRGB8888
  // texture. Measured for a 640 x 480 frame shown at 1280 x 960: the OpenGL
  // renderer has no 5-6-5 textures and SDL converts them through a staging
  // copy (15.5 ms a frame either way on llvmpipe); the software renderer
  // takes 5-6-5 but scales it at 36 ms a frame against 3.1 ms for a
  // converted XRGB8888 texture.
  bool PrepareTexture(int w, int h) {
    if (texture && textureWidth == w && textureHeight == h) return true;
    if (texture) SDL_DestroyTexture(texture);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
    shown = nullptr;
    if (!texture) return false;
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    textureWidth = w;
    textureHeight = h;
    return true;
  }

  void Upload(PixelFormat format, const uint8_t* pixels, int pitch, int w, int h) {
    void* out;
    int outPitch;
    if (SDL_LockTexture(texture, nullptr, &out, &outPitch) != 0) return;
    for (int y = 0; y < h; ++y)
      ConvertToXrgb8888(format, pixels + size_t(y) * pitch,
                        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(out) + size_t(y) * outPitch), w);
    SDL_UnlockTexture(texture);
  }

  // Prepares the uploaded frame for `to`. A whole multiple of the frame's
  // size is drawn with nearest neighbour; any other size is drawn with
  // nearest neighbour at the whole multiple at or above it and smoothed down
  // from there, so every source pixel keeps an even, crisp square.
  void Compose(const SDL_Rect& to) {
    const int w = textureWidth, h = textureHeight;
    const int factor = std::max({(to.w + w - 1) / w, (to.h + h - 1) / h, 1});
    const bool whole = to.w == factor * w && to.h == factor * h;
    shown = texture;
    target = to;
    if (!whole && PrepareEnlarged(factor * w, factor * h)) {
      SDL_SetRenderTarget(renderer, enlarged);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_SetRenderTarget(renderer, nullptr);
      shown = enlarged;
    }
  }

  // Draws the composed frame and presents it; with vertical sync this waits
  // for the blank. Black bars only where the picture leaves some.
  void Show() {
    int outWidth = 0, outHeight = 0;
    SDL_GetRendererOutputSize(renderer, &outWidth, &outHeight);
    if (target.x > 0 || target.y > 0 || target.x + target.w < outWidth || target.y + target.h < outHeight) {
      SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
      SDL_RenderClear(renderer);
    }
    SDL_RenderCopy(renderer, shown, nullptr, &target);
    SDL_RenderPresent(renderer);
  }

  // False when the renderer cannot draw into textures (the frame is then
  // drawn with nearest neighbour alone).
  bool PrepareEnlarged(int w, int h) {
    if (enlarged && enlargedWidth == w && enlargedHeight == h) return true;
    if (enlarged) SDL_DestroyTexture(enlarged);
    enlarged = nullptr;
    if (!SDL_RenderTargetSupported(renderer)) return false;
    enlarged = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!enlarged) return false;
    SDL_SetTextureScaleMode(enlarged, SDL_ScaleModeLinear);
    enlargedWidth = w;
    enlargedHeight = h;
    return true;
  }

  // Whether presents really wait for the display: SDL imitates the sync it
  // cannot get with a timer, which the clock does better.
  bool WaitsForTheDisplay() {
    SDL_RendererInfo info;
    return SDL_GetRendererInfo(renderer, &info) == 0 && std::strncmp(info.name, "opengl", 6) == 0 &&
           SDL_GL_GetSwapInterval() != 0;
  }
};

SdlDisplayDevice::SdlDisplayDevice() = default;
SdlDisplayDevice::~SdlDisplayDevice() = default;

bool SdlDisplayDevice::Open(Window* window, bool fullScreen, int width, int height, int bitsPerPixel) {
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
    auto presenter = std::make_unique<Presenter>();
    presenter->window = sdlWindow;
    presenter->renderer = CreateRenderer(sdlWindow->Handle());
    if (!presenter->renderer) return false;
    presenter_ = std::move(presenter);
    if (vsync_) SetVSync(true);
  }
  open_ = true;
  return true;
}

void SdlDisplayDevice::Close() {
  presenter_.reset();
  scaler_ = nullptr;
  open_ = false;
}

std::unique_ptr<Surface> SdlDisplayDevice::CreatePrimary() {
  if (!open_) return nullptr;
  int w = width_, h = height_;
  if (!fullScreen_ && presenter_) {
    w = presenter_->window->ClientWidth();
    h = presenter_->window->ClientHeight();
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
  Presenter& p = *presenter_;
  // A hidden window takes its full-screen size only when shown, so it is
  // shown before the first picture is drawn for that size.
  p.window->Show();
  if (from.left < 0 || from.top < 0 || from.right > frame->Width() || from.bottom > frame->Height() ||
      from.Width() <= 0 || from.Height() <= 0)
    return SurfaceResult::Failed;
  if (!p.PrepareTexture(from.Width(), from.Height())) return SurfaceResult::Failed;
  int bytes = LayoutOf(format_).bytesPerPixel;
  p.Upload(format_, frame->Pixels() + size_t(from.top) * frame->Pitch() + size_t(from.left) * bytes, frame->Pitch(),
           from.Width(), from.Height());

  // The primary is a virtual display; it is scaled into whatever the window
  // is now (full screen, windowed, resized by the user).
  int virtualWidth = std::max(primary.Width(), to.right), virtualHeight = std::max(primary.Height(), to.bottom);
  int outWidth = 0, outHeight = 0;
  SDL_GetRendererOutputSize(p.renderer, &outWidth, &outHeight);
  Rect shown = ScaledRect(virtualWidth, virtualHeight, outWidth, outHeight, scaling_);
  SDL_Rect target{shown.left + int(int64_t(to.left) * shown.Width() / virtualWidth),
                  shown.top + int(int64_t(to.top) * shown.Height() / virtualHeight), 0, 0};
  target.w = shown.left + int(int64_t(to.right) * shown.Width() / virtualWidth) - target.x;
  target.h = shown.top + int(int64_t(to.bottom) * shown.Height() / virtualHeight) - target.y;
  p.Compose(target);
  p.Show();
  return SurfaceResult::Ok;
}

int SdlDisplayDevice::RefreshRate() {
  if (!presenter_) return 0;
  const int display = SDL_GetWindowDisplayIndex(presenter_->window->Handle());
  SDL_DisplayMode mode;
  return display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
}

bool SdlDisplayDevice::SetVSync(bool on) {
  // Kept for the presenter of the next Open as well.
  vsync_ = on;
  if (!presenter_) return false;
  Presenter& p = *presenter_;
  SDL_RenderSetVSync(p.renderer, on ? 1 : 0);
  p.vsync = on && p.WaitsForTheDisplay();
  if (on && !p.vsync) SDL_RenderSetVSync(p.renderer, 0);
  return p.vsync;
}

void SdlDisplayDevice::WaitVSync() {
  // With vertical sync, presenting the last picture again waits for the
  // blank (SDL has no other wait for it).
  if (presenter_ && presenter_->vsync && presenter_->shown) {
    presenter_->Show();
    return;
  }
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

bool SdlDisplayDevice::ReadScreen(Picture& picture) const {
  if (!presenter_) return false;
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(presenter_->renderer, &w, &h) != 0) return false;
  picture.width = w;
  picture.height = h;
  picture.rgb.resize(size_t(w) * h * 3);
  return SDL_RenderReadPixels(presenter_->renderer, nullptr, SDL_PIXELFORMAT_RGB24, picture.rgb.data(), w * 3) == 0;
}

std::string SdlDisplayDevice::Description() const {
  std::string text = "SDL ";
  const char* driver = SDL_GetCurrentVideoDriver();
  text += driver ? driver : "(no video)";
  SDL_RendererInfo info;
  if (presenter_ && SDL_GetRendererInfo(presenter_->renderer, &info) == 0) {
    text += " / ";
    text += info.name;
  }
  return text;
}

}  // namespace platform::sdl
