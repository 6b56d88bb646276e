#include "platform/sdl/display_device.h"

#include <SDL.h>

#include <vector>

#include "platform/platform.h"
#include "platform/sdl/display_picture.h"
#include "platform/sdl/display_surface.h"
#include "platform/sdl/window.h"

namespace platform::sdl {

// The renderer side of presentation; exists while the device is open on a
// window.
struct SdlDisplayDevice::Presenter {
  SdlWindow* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0, textureHeight = 0;
  SDL_Texture* enlarged = nullptr;  // the frame at a whole multiple, smoothed down from
  int enlargedWidth = 0, enlargedHeight = 0;
  PixelFormat textureSource = PixelFormat::Xrgb8888;
  bool native = false;  // the frame is XRGB8888 already
  std::vector<uint32_t> rgb565To8888;

  ~Presenter() {
    if (enlarged) SDL_DestroyTexture(enlarged);
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
  }

  // 16- and 24-bit frames are converted here, in the one copy into a locked
  // XRGB8888 texture. Measured for a 640 x 480 frame shown at 1280 x 960: the
  // OpenGL renderer has no 5-6-5 textures and SDL converts them through a
  // staging copy (15.5 ms a frame either way on llvmpipe); the software
  // renderer takes 5-6-5 but scales it at 36 ms a frame against 3.1 ms for
  // a converted XRGB8888 texture.
  bool PrepareTexture(PixelFormat format, int w, int h) {
    if (texture && textureWidth == w && textureHeight == h && textureSource == format) return true;
    if (texture) SDL_DestroyTexture(texture);
    native = format == PixelFormat::Xrgb8888;
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (!texture) return false;
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    textureWidth = w;
    textureHeight = h;
    textureSource = format;
    if (!native && format == PixelFormat::Rgb565 && rgb565To8888.empty()) {
      rgb565To8888.resize(65536);
      for (uint32_t v = 0; v < 65536; ++v) {
        Rgb c = UnpackPixel(PixelFormat::Rgb565, v);
        rgb565To8888[v] = PackPixel(PixelFormat::Xrgb8888, c.r, c.g, c.b);
      }
    }
    return true;
  }

  void Upload(const uint8_t* pixels, int pitch, int w, int h) {
    if (native) {
      SDL_UpdateTexture(texture, nullptr, pixels, pitch);
      return;
    }
    void* out;
    int outPitch;
    if (SDL_LockTexture(texture, nullptr, &out, &outPitch) != 0) return;
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = pixels + size_t(y) * pitch;
      auto* d = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(out) + size_t(y) * outPitch);
      if (textureSource == PixelFormat::Rgb565) {
        auto* s16 = reinterpret_cast<const uint16_t*>(s);
        for (int x = 0; x < w; ++x) d[x] = rgb565To8888[s16[x]];
      } else {
        for (int x = 0; x < w; ++x, s += 3) d[x] = uint32_t(s[0]) | (uint32_t(s[1]) << 8) | (uint32_t(s[2]) << 16);
      }
    }
    SDL_UnlockTexture(texture);
  }

  // Draws the uploaded frame into `target`. A whole multiple of the frame's
  // size is drawn with nearest neighbour; any other size is drawn with
  // nearest neighbour at the whole multiple at or above it and smoothed down
  // from there, so every source pixel keeps an even, crisp square.
  void DrawScaled(const SDL_Rect& target) {
    const int w = textureWidth, h = textureHeight;
    const int factor = std::max({(target.w + w - 1) / w, (target.h + h - 1) / h, 1});
    const bool whole = target.w == factor * w && target.h == factor * h;
    SDL_Texture* source = texture;
    if (!whole && PrepareEnlarged(factor * w, factor * h)) {
      SDL_SetRenderTarget(renderer, enlarged);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_SetRenderTarget(renderer, nullptr);
      source = enlarged;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, source, nullptr, &target);
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
    presenter->renderer = SDL_CreateRenderer(sdlWindow->Handle(), -1, 0);
    if (!presenter->renderer) return false;
    presenter_ = std::move(presenter);
  }
  open_ = true;
  return true;
}

void SdlDisplayDevice::Close() {
  presenter_.reset();
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
  if (!p.PrepareTexture(format_, from.Width(), from.Height())) return SurfaceResult::Failed;
  int bytes = LayoutOf(format_).bytesPerPixel;
  p.Upload(frame->Pixels() + size_t(from.top) * frame->Pitch() + size_t(from.left) * bytes, frame->Pitch(),
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
  p.DrawScaled(target);
  return SurfaceResult::Ok;
}

void SdlDisplayDevice::WaitVSync() {
  // SDL has no wait for the vertical blank: sleep to the next boundary of the
  // display's refresh period.
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
